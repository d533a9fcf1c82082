// laser-host --support-bundle: the real program, with no display, in a scratch working
// directory.

#include "bundle_reader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run laserHost(const QString &workDir, const QStringList &args, const QString &callerDir = {}) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display: the command must not need one.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!callerDir.isEmpty())
        env.insert(QStringLiteral("LASER_HOST_CALLER_DIR"), callerDir);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LASER_HOST_BIN), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

class SupportBundleCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(work.isValid() && caller.isValid());
        QDir root(work.path());
        QVERIFY(root.mkpath(QStringLiteral("log")) && root.mkpath(QStringLiteral("config")));
        QFile capture(root.filePath(QStringLiteral("log/capture-20261207-080000-ttyUSB0.txt")));
        QVERIFY(capture.open(QIODevice::WriteOnly));
        capture.write("2026-12-07T08:00:00.000Z RX 99 03 00 33 7B\n");
        capture.close();
        QFile ini(root.filePath(QStringLiteral("config/plant.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[mqtt]\nurl = mqtt://h\npassword = Pw-7f3k!x\n");
    }

    void aRelativeFileLandsWhereTheCommandWasTypedAndExitsZero() {
        const Run run = laserHost(work.path(),
                                  {QStringLiteral("--support-bundle"), QStringLiteral("b.zip"),
                                   QStringLiteral("--since"), QStringLiteral("all")},
                                  caller.path());
        QVERIFY2(run.status == 0, run.err.constData());
        BundleReader bundle(QDir(caller.path()).filePath(QStringLiteral("b.zip")));
        QCOMPARE(bundle.test(), 0);
        QCOMPARE(bundle.names(),
                 QStringList({"about.txt", "capture/capture-20261207-080000-ttyUSB0.txt",
                              "config/plant.ini", "notes.txt"}));
        // The password's line is left out and said; about.txt says there is no database.
        QVERIFY(bundle.entry(QStringLiteral("notes.txt")).startsWith("config/plant.ini: 1 of"));
        QVERIFY(bundle.entry(QStringLiteral("about.txt"))
                    .contains("history: no history.sqlite, capture files only"));
        QCOMPARE(bundle.entriesContaining("Pw-7f3k!x"), QStringList());
        QVERIFY(bundle.entry(QStringLiteral("about.txt")).contains("made by: command line"));
    }

    void wrongArgumentsAndAnUnwritableFileFailWithTheirOwnStatus_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no file") << QStringList{"--support-bundle"} << 2;
        QTest::newRow("unknown period")
            << QStringList{"--support-bundle", "x.zip", "--since", "2h"} << 2;
        QTest::newRow("unknown option") << QStringList{"--support-bundle", "x.zip", "-v"} << 2;
        QTest::newRow("folder missing") << QStringList{"--support-bundle", "no/such/x.zip"} << 1;
        // The alarm report, in a folder with a history.
        QTest::newRow("report written")
            << QStringList{"--alarm-report", "r.csv", "--since", "all"} << 0;
    }
    void wrongArgumentsAndAnUnwritableFileFailWithTheirOwnStatus() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        const bool report = args.first() == QLatin1String("--alarm-report");
        QDir dir(report ? reportDir.path() : work.path());
        if (report && dir.mkpath(QStringLiteral("log")))
            QFile::copy(QStringLiteral(LASER_SOURCE_DIR "/tests/history/data/history-v1.sqlite"),
                        dir.filePath(QStringLiteral("log/history.sqlite")));
        const Run run = laserHost(dir.path(), args);
        QCOMPARE(run.status, status);
        QVERIFY(status == 0 || run.err.startsWith("laser-host: "));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.zip"))));
        QFile written(dir.filePath(QStringLiteral("r.csv"))); // with the history's alarm
        QCOMPARE(written.open(QIODevice::ReadOnly) && written.readAll().contains("chillerFault"),
                 status == 0);
    }

private:
    QTemporaryDir work;
    QTemporaryDir caller;
    QTemporaryDir reportDir;
};

QTEST_GUILESS_MAIN(SupportBundleCommand)
#include "support_bundle_command_test.moc"
