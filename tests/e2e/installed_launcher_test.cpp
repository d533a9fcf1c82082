// The installation: `cmake --install` into a temporary prefix, then the installed launcher
// started with a temporary HOME. It must run the program in the user's data directory with
// the installed catalogues; on an X display the window must then speak English when the
// user's preference says so.

#include "support/e2e/checks.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifndef LASER_BUILD_DIR
#define LASER_BUILD_DIR ""
#endif

namespace {

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class InstalledLauncherTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installPutsEveryPieceInPlace();
    void launcherRunsTheProgramInTheUsersDataDirectory();
    void launcherHonoursXdgDataHomeAndKeepsTheUsersOwnCatalogues();
    void installedProgramSpeaksEnglishWhenThePreferenceSaysSo();

private:
    // Starts the launcher with `env` added, lets it run `ms` and ends it. False when it ended
    // on its own before that (a crash or a refusal).
    bool runLauncher(const QStringList &env, int ms, QString *output = nullptr);

    QTemporaryDir root;
    QString prefix;
    QString home;
};

void InstalledLauncherTest::initTestCase() {
    QVERIFY(root.isValid());
    prefix = root.path() + QStringLiteral("/prefix");
    home = root.path() + QStringLiteral("/home");
    QVERIFY(QDir().mkpath(home));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral("cmake"),
                  {QStringLiteral("--install"), QStringLiteral(LASER_BUILD_DIR),
                   QStringLiteral("--prefix"), prefix});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

bool InstalledLauncherTest::runLauncher(const QStringList &env, int ms, QString *output) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("HOME"), home);
    e.remove(QStringLiteral("XDG_DATA_HOME"));
    for (const QString &kv : env) {
        const int eq = kv.indexOf(QLatin1Char('='));
        if (eq < 0)
            e.remove(kv);
        else
            e.insert(kv.left(eq), kv.mid(eq + 1));
    }
    p.setProcessEnvironment(e);
    p.setProcessChannelMode(QProcess::MergedChannels);
    // Started from elsewhere on purpose: the launcher must not depend on the caller's directory.
    p.setWorkingDirectory(QDir::rootPath());
    p.start(prefix + QStringLiteral("/bin/laser-host"), QStringList());
    if (!p.waitForStarted(5000))
        return false;
    const bool stayed = !p.waitForFinished(ms);
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(2000);
    }
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return stayed;
}

void InstalledLauncherTest::installPutsEveryPieceInPlace() {
    const QString launcher = prefix + QStringLiteral("/bin/laser-host");
    QVERIFY(QFileInfo(launcher).isExecutable());
    QVERIFY2(readFile(launcher).startsWith("#!/bin/sh"), "bin/laser-host is not the launcher");
    const QString program = prefix + QStringLiteral("/lib/laser-host/laser-host");
    QVERIFY(QFileInfo(program).isExecutable());
    QVERIFY2(readFile(program).startsWith("\x7f"
                                          "ELF"),
             "lib/laser-host/laser-host is no program");
    for (const char *qm : {"lang_Chinese.qm", "lang_English.qm"}) {
        const QString path =
            prefix + QStringLiteral("/share/laser-host/language/") + QLatin1String(qm);
        QVERIFY2(QFileInfo(path).size() > 0, qPrintable(path));
    }
    const QByteArray desktop = readFile(prefix + QStringLiteral("/share/applications/"
                                                                "laser-host.desktop"));
    QVERIFY(desktop.startsWith("[Desktop Entry]\n"));
    for (const char *line : {"\nType=Application\n", "\nExec=laser-host\n", "\nIcon=laser-host\n",
                             "\nTerminal=false\n"})
        QVERIFY2(desktop.contains(line), line);
    const QImage icon(prefix + QStringLiteral("/share/icons/hicolor/48x48/apps/laser-host.png"));
    QCOMPARE(icon.size(), QSize(48, 48));

    // The simulator answers --help with its command list.
    QProcess sim;
    sim.start(prefix + QStringLiteral("/bin/ccb-sim"), {QStringLiteral("--help")});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 0);
    const QByteArray help = sim.readAllStandardOutput();
    for (const char *word : {"--port", "--script", "alarm NAME on|off", "silent SECONDS", "badcrc",
                             "module N", "period MS", "quit"})
        QVERIFY2(help.contains(word), word);
    QVERIFY(QFileInfo(prefix + QStringLiteral("/share/laser-host/demo.sh")).isExecutable());
    QVERIFY(QFileInfo(prefix + QStringLiteral("/lib/laser-host/virtual-port.sh")).isExecutable());
}

void InstalledLauncherTest::launcherRunsTheProgramInTheUsersDataDirectory() {
    const QString data = home + QStringLiteral("/.local/share/laser-host");
    QDir(data).removeRecursively();
    // Not in the form the program writes: only a program that read it rewrites it like this.
    QVERIFY(writeFile(data + QStringLiteral("/config/language.gl"), "language=english\r\n"));
    QString output;
    QVERIFY2(runLauncher({QStringLiteral("QT_QPA_PLATFORM=offscreen")}, 2500, &output),
             qPrintable(output));
    QCOMPARE(readFile(data + QStringLiteral("/config/language.gl")),
             QByteArray("language = english"));
    const QFileInfo language(data + QStringLiteral("/language"));
    QVERIFY(language.isSymLink());
    QCOMPARE(QFileInfo(language.symLinkTarget()).canonicalFilePath(),
             QFileInfo(prefix + QStringLiteral("/share/laser-host/language")).canonicalFilePath());
    QVERIFY(QFile::exists(data + QStringLiteral("/language/lang_English.qm")));

    // A first start with no preference creates it with the default.
    QDir(data).removeRecursively();
    QVERIFY(runLauncher({QStringLiteral("QT_QPA_PLATFORM=offscreen")}, 2500, &output));
    QCOMPARE(readFile(data + QStringLiteral("/config/language.gl")),
             QByteArray("language = chinese"));
}

void InstalledLauncherTest::launcherHonoursXdgDataHomeAndKeepsTheUsersOwnCatalogues() {
    const QString xdg = root.path() + QStringLiteral("/xdg");
    const QString data = xdg + QStringLiteral("/laser-host");
    // A language directory of the user's own (a real directory, not a link) is left alone.
    QVERIFY(writeFile(data + QStringLiteral("/language/lang_English.qm"), "own"));
    QVERIFY(runLauncher(
        {QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("XDG_DATA_HOME=") + xdg},
        2000));
    QCOMPARE(readFile(data + QStringLiteral("/config/language.gl")),
             QByteArray("language = chinese"));
    QVERIFY(!QFileInfo(data + QStringLiteral("/language")).isSymLink());
    QCOMPARE(readFile(data + QStringLiteral("/language/lang_English.qm")), QByteArray("own"));
}

void InstalledLauncherTest::installedProgramSpeaksEnglishWhenThePreferenceSaysSo() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        QSKIP("needs DISPLAY, xdotool and ImageMagick's import");
    const QString data = home + QStringLiteral("/.local/share/laser-host");
    QDir(data).removeRecursively();
    QVERIFY(writeFile(data + QStringLiteral("/config/language.gl"), "language = english"));

    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("HOME"), home);
    e.remove(QStringLiteral("XDG_DATA_HOME"));
    e.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(e);
    p.start(prefix + QStringLiteral("/bin/laser-host"), QStringList());
    QVERIFY(p.waitForStarted(5000));

    // What the window should look like, drawn here from the installed English catalogue.
    harness::FormMap english(prefix + QStringLiteral("/share/laser-host/language/lang_English.qm"));
    const QString open = english.text(QStringLiteral("pushButtonSerialSwitch"));
    QVERIFY2(open != QStringLiteral("打开串口"), "the installed catalogue has no English text");
    harness::Driver driver(english);
    QVERIFY2(driver.attach(15000), "no window \"LASER SYSTEM\" appeared");
    const bool english_shown =
        driver.waitForText(QStringLiteral("pushButtonSerialSwitch"), open, 4000);
    const QString chinese = QStringLiteral("打开串口");
    const bool chinese_shown =
        driver.shows(QStringLiteral("pushButtonSerialSwitch"), &chinese, harness::Screen::shot());
    p.terminate();
    if (!p.waitForFinished(3000))
        p.kill();
    p.waitForFinished(2000);
    QVERIFY2(english_shown,
             qPrintable(QStringLiteral("the switch button does not read \"%1\"").arg(open)));
    QVERIFY(!chinese_shown);
}

LASER_DISPLAY_TEST_MAIN(InstalledLauncherTest)

#include "installed_launcher_test.moc"
