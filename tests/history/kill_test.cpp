// Killed at any moment: the program at full line rate with alarms coming and going, killed by
// SIGKILL again and again in one folder. Every start goes on in the same sound database, the
// newest row is about a second old at a kill, and every capture reads back whole but for, at
// the most, its last line. LASER_KILLS sets how many kills (5).

#include "history/capture.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/program_process.h"
#include "support/wait.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

using fixture::rows;

class KillTest : public QObject {
    Q_OBJECT

private slots:
    void aProgramKilledAtAnyMomentLeavesASoundHistory() {
        // The simulator keeps its pseudo-terminal's slave open, and the port of a program killed
        // stays in exclusive use (TIOCEXCL) that only root may pass by.
        if (geteuid() != 0)
            QSKIP("not root (a killed program leaves the simulator's pseudo-terminal in exclusive "
                  "use, which only root may open again)");
        const int kills = qMax(5, qEnvironmentVariableIntValue("LASER_KILLS"));
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        QTemporaryDir work;
        // A round every 12 ms (the line's full rate), alarms switching every 100 to 150 ms.
        QFile script(work.filePath(QStringLiteral("alarms.scenario")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("alarm chiller on\nsleep 150\nalarm door on\nsleep 100\n"
                     "alarm chiller off\nsleep 150\nalarm door off\nsleep 100\nloop\n");
        script.close();
        QProcess sim;
        sim.start(QStringLiteral(CCB_SIM_BIN),
                  {"--quiet", "--no-stdin", "--period", "12", "--script", script.fileName()});
        QVERIFY(sim.waitForReadyRead(5000));
        const QString pty = QString::fromLocal8Bit(sim.readLine().trimmed());

        const QString db = work.filePath(QStringLiteral("log/history.sqlite"));
        const auto number = [&db](const char *sql) {
            return rows(db, QLatin1String(sql)).value(0).value(0).toLongLong();
        };
        qint64 oldest = 0, before = 0;
        int longRuns = 0;
        for (int k = 0; k < kills; ++k) {
            ProgramProcess program;
            QVERIFY2(program.start(work.path(), pty), qPrintable(program.output()));
            const int lives = 300 + int(random.bounded(2200));
            QThread::msleep(quint32(lives));
            const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
            program.signal(SIGKILL);
            QVERIFY(program.waitForEnd() && program.endedBy(SIGKILL));
            // Nothing of the earlier runs is gone.
            QVERIFY(number("SELECT count(*) FROM events") >= before);
            before = number("SELECT count(*) FROM events");
            // A run that lived past its first write has its rows up to about a second ago.
            if (lives >= 1500) {
                ++longRuns;
                oldest = qMax(oldest, killedAt - qMax(number("SELECT max(at) FROM events"),
                                                      number("SELECT max(at) FROM samples")));
            }
        }
        sim.kill();
        sim.waitForFinished();
        qInfo("%d kills (seed %u): the newest row was at most %lld ms old at a kill after 1.5 s "
              "or more",
              kills, seed, oldest);
        // A second for the writer and a pass, with room for a loaded machine.
        QVERIFY2(oldest < 3000, qPrintable(QString::number(oldest)));
        QCOMPARE(rows(db, QStringLiteral("PRAGMA integrity_check")).value(0).value(0),
                 QVariant(QStringLiteral("ok")));
        const QDir log(work.filePath(QStringLiteral("log")));
        QVERIFY(log.entryList({QStringLiteral("*.damaged-*")}).isEmpty());
        QVERIFY(number("SELECT count(*) FROM events WHERE name = 'opened'") >= longRuns);
        const QStringList captures = log.entryList({QStringLiteral("capture-*.txt")});
        // One file a run, made at its first write.
        QVERIFY(captures.size() >= longRuns && captures.size() <= kills);
        for (const QString &name : captures) {
            QFile f(log.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const history::CaptureReading reading = history::readCapture(f);
            QVERIFY2(!reading.chunks.isEmpty() &&
                         (reading.skipped == 0 ||
                          (reading.skipped == 1 && reading.skippedLines[0].contains("cut off"))),
                     qPrintable(name + QLatin1Char(' ') + reading.skippedLines.join(';')));
        }
    }
};

QTEST_GUILESS_MAIN(KillTest)
#include "kill_test.moc"
