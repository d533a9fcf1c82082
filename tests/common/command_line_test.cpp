// Both programs' command lines as a person types them: the real programs, without a display, in
// a working directory with the English preference.

#include "common/signal_exit.h"
#include "support/table.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString host = QStringLiteral(LASER_HOST_BIN);
const QString fleet = QStringLiteral(LASER_FLEET_BIN);

// The program started with no display at all: a window must never be needed.
void startWithoutDisplay(QProcess &p, const QString &program, const QStringList &args,
                         const QString &dir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(program, args);
}

// The text of the first ``` block after `heading` in a page of docs/.
QString documentedBlock(const QString &page, const QString &heading) {
    QFile file(QStringLiteral(LASER_SOURCE_DIR "/docs/") + page);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no %1)").arg(page);
    const QString text = QString::fromUtf8(file.readAll());
    const int from = text.indexOf(QStringLiteral("```"), text.indexOf(heading));
    const int start = text.indexOf(QLatin1Char('\n'), from) + 1;
    return from < 0 ? QString()
                    : text.mid(start, text.indexOf(QStringLiteral("```"), start) - start);
}

} // namespace

class CommandLine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(work.isValid());
        QDir root(work.path());
        QVERIFY(root.mkpath(QStringLiteral("config")) && root.mkpath(QStringLiteral("language")));
        QFile preference(root.filePath(QStringLiteral("config/language.gl")));
        QVERIFY(preference.open(QIODevice::WriteOnly) &&
                preference.write("language = english") > 0);
        QVERIFY(QFile::copy(QStringLiteral(LASER_LANGUAGE_DIR "/lang_English.qm"),
                            root.filePath(QStringLiteral("language/lang_English.qm"))));
    }

    void everyArgumentIsCheckedBeforeAnythingStarts_data() {
        fixture::columns<QString, QStringList, int, QString>("program", "args", "status", "says");
        const auto row = [](const char *name, const QString &program, const QStringList &args,
                            int status, const char *says) {
            QTest::newRow(name) << program << args << status << QString::fromUtf8(says);
        };
        row("a typo", host, {"--support-bundel", "x.zip"}, 2, "unknown option --support-bundel");
        row("--since alone", host, {"--since", "1h"}, 2, "--since goes only with --support-bundle");
        row("no file", host, {"--support-bundle"}, 2, "--support-bundle needs a value");
        row("an option for a file", host, {"--support-bundle", "--since", "1h"}, 2,
            "needs a value");
        row("another period", host, {"--support-bundle", "x.zip", "--since", "2h"}, 2,
            "1h, 1d, 7d or all");
        row("given twice", host, {"--support-bundle=a.zip", "--support-bundle", "x.zip"}, 2,
            "given twice");
        row("a stray word", host, {"x.zip"}, 2, "argument 1 belongs to no option");
        // Bytes no terminal of this system sends as text: never written under another name.
        row("a name that is no text here", QStringLiteral("/bin/sh"),
            {"-c", "exec \"$0\" --support-bundle \"$(printf '\\351.zip')\"", host}, 2,
            "argument 2 is not text");
        row("a value is never said back", host, {"--password=Pw-7f3k!x"}, 2,
            "unknown option --password\n");
        row("nor a word that is no option name", host, {"-Pw-7f3k!x"}, 2,
            "argument 1 is no known option");
        row("a Qt option without its value", host, {"-platform"}, 2, "-platform needs a value");
        row("a Qt option misspelt", host, {"-platfrom", "offscreen"}, 2,
            "unknown option -platfrom");
        row("help", host, {"--help"}, 0, "Usage: laser-host");
        row("the end of the options", host, {"--help", "--"}, 0, "Usage: laser-host");
        row("a word after the end", host, {"--", "--help"}, 2, "argument 2 belongs to no option");
        row("help among Qt options", host, {"-platform", "offscreen", "-style=fusion", "-h"}, 0,
            "Usage:");
        row("version", host, {"--version"}, 0, "laser-host " LASER_VERSION_TEXT);
        row("a folder without history", host, {"--support-bundle", "x.zip"}, 1,
            "No history in the working directory");
        row("a report of a folder without history", host, {"--alarm-report", "x.csv"}, 1,
            "No history in the working directory");
        row("a report neither CSV nor page", host, {"--alarm-report", "x.zip"}, 2, ".csv or .html");
        row("a bundle's period for a report", host, {"--alarm-report", "x.csv", "--since", "1h"}, 2,
            "24h, 7d, 30d, 90d or all");
        row("two jobs at once", host, {"--alarm-report=x.csv", "--support-bundle", "x.zip"}, 2,
            "one at a time");
        row("no display for the window", host, {}, 1, "laser-host: ");
        row("fleet: an unknown option", fleet, {"--bogus"}, 2, "unknown option --bogus");
        row("fleet: no bundle", fleet, {"--support-bundle", "x.zip"}, 2,
            "unknown option --support-bundle");
        row("fleet: help", fleet, {"--help"}, 0, "Usage: laser-fleet");
        row("fleet: version", fleet, {"-style", "fusion", "--version"}, 0,
            "laser-fleet " LASER_VERSION_TEXT);
        row("fleet: no display for the window", fleet, {}, 1, "laser-fleet: ");
    }
    void everyArgumentIsCheckedBeforeAnythingStarts() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        QProcess p;
        startWithoutDisplay(p, program, args, work.path());
        QVERIFY(p.waitForFinished(30000));
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit); // never an abort
        QCOMPARE(p.exitCode(), status);
        QVERIFY2((status == 0 ? out : err).contains(says), qPrintable(out + err));
        if (status == 2)
            QVERIFY(err.contains(QStringLiteral("\nUsage: ")) && out.isEmpty());
        if (status == 1 && !args.isEmpty())
            QVERIFY2(err.contains(QDir::toNativeSeparators(work.path())), qPrintable(err));
        QVERIFY(!err.contains(QStringLiteral("Pw-7f3k!x")));
        QVERIFY(!QFile::exists(QDir(work.path()).filePath(QStringLiteral("x.zip"))));
    }

    // A pipe in the language file's place is no preference: opening it would wait for ever (a
    // bundle's Ctrl+C included), where the window passes it by.
    void aPipeForTheLanguageFileIsPassedBy() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("config")));
        const QString pipe = dir.filePath(QStringLiteral("config/language.gl"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QProcess p;
        startWithoutDisplay(p, host, {QStringLiteral("--help")}, dir.path());
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
    }

    // A stream closed at the start (`2>&-`) lends its number to the next file opened (the
    // display's connection), and every notice on standard error goes there.
    void aClosedStandardStreamIsNeverLentToTheNextFile() {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(0), ::close(2);
            guardStandardStreams();
            ::_exit(::open("/dev/null", O_RDONLY) > 2 && ::fcntl(2, F_GETFD) != -1 ? 0 : 1);
        }
        int status = -1;
        QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    // The usage in the docs is the program's own --help, word for word.
    void theHelpIsTheDocumentedUsage_data() {
        fixture::columns<QString, QString>("program", "page");
        QTest::newRow("laser-host") << host << "operator.md";
        QTest::newRow("laser-fleet") << fleet << "fleet.md";
    }
    void theHelpIsTheDocumentedUsage() {
        QFETCH(QString, program);
        QFETCH(QString, page);
        QProcess p;
        startWithoutDisplay(p, program, {QStringLiteral("--help")}, work.path());
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(documentedBlock(page, QStringLiteral("## Command line")),
                 QString::fromLocal8Bit(p.readAllStandardOutput()));
    }

    // Ctrl+C, SIGTERM or a closed terminal in the middle of a large bundle: nothing is left
    // beside the target, and the command ends by that signal.
    void aSignalDuringALargeBundleLeavesNothingAndEndsByIt_data() {
        fixture::columns<int, int>("signal", "then");
        QTest::newRow("SIGINT") << SIGINT << 0;
        QTest::newRow("SIGTERM") << SIGTERM << 0;
        QTest::newRow("SIGHUP") << SIGHUP << 0;
        // A second signal while the first is being handled does not leave the scratch copy.
        QTest::newRow("Ctrl+C, then the terminal closed") << SIGINT << SIGHUP;
    }
    void aSignalDuringALargeBundleLeavesNothingAndEndsByIt() {
        QFETCH(int, signal);
        QFETCH(int, then);
        QDir root(large.path());
        const QString history = root.filePath(QStringLiteral("log/history.sqlite"));
        if (!QFile::exists(history)) {
            QVERIFY(root.mkpath(QStringLiteral("log")));
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
            db.setDatabaseName(history);
            QSqlQuery q(db);
            QVERIFY(db.open() &&
                    q.exec(QStringLiteral("CREATE TABLE events(at INTEGER, detail TEXT)")));
            // Some 50 MB: longer to copy and pack than a signal takes to arrive.
            QVERIFY(q.exec(QStringLiteral(
                "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 200000) "
                "INSERT INTO events SELECT x, hex(randomblob(120)) FROM n")));
        }
        QTemporaryDir out;
        QProcess p;
        startWithoutDisplay(p, host, {"--support-bundle", out.filePath(QStringLiteral("b.zip"))},
                            large.path());
        // Its scratch copy beside the target shows the copy has begun.
        QVERIFY(fixture::waitUntil(
            [&] { return !QDir(out.path()).isEmpty(QDir::Files | QDir::Hidden); }, 20000));
        ::kill(pid_t(p.processId()), signal);
        if (then != 0)
            ::kill(pid_t(p.processId()), then);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        QVERIFY(p.exitCode() == signal || p.exitCode() == then);
        QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

private:
    QTemporaryDir work;
    QTemporaryDir large; // a working directory with a large history
};

QTEST_GUILESS_MAIN(CommandLine)
#include "command_line_test.moc"
