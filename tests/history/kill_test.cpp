// Killed at any moment: the program at full line rate, alarms coming and going, killed by
// SIGKILL again and again in one folder. Every start goes on in the same sound database, the
// newest row is about a second old at the kill, and every capture reads back whole (a torn
// line could only be the last one, and the replay leaves it out). LASER_KILLS sets how many
// kills (5).

#include "history/capture.h"
#include "history_fixture.h"
#include "support/program_process.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using historyfixture::rows;

namespace {

// The simulator on a pseudo-terminal of its own: a round every 12 ms (the line's full rate),
// with alarms switching every 100 to 150 ms.
class Simulator {
public:
    bool start(const QString &dir) {
        QFile script(QDir(dir).filePath(QStringLiteral("alarms.scenario")));
        if (!script.open(QIODevice::WriteOnly))
            return false;
        script.write("alarm chiller on\nsleep 150\nalarm door on\nsleep 100\n"
                     "alarm chiller off\nsleep 150\nalarm door off\nsleep 100\nloop\n");
        script.close();
        process.start(QStringLiteral(CCB_SIM_BIN),
                      {QStringLiteral("--quiet"), QStringLiteral("--no-stdin"),
                       QStringLiteral("--period"), QStringLiteral("12"), QStringLiteral("--script"),
                       script.fileName()});
        if (!process.waitForReadyRead(5000))
            return false;
        pty = QString::fromLocal8Bit(process.readLine().trimmed());
        return pty.startsWith(QLatin1Char('/'));
    }
    ~Simulator() {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(3000);
    }
    QString pty;

private:
    QProcess process;
};

} // namespace

class KillTest : public QObject {
    Q_OBJECT

private slots:
    void aProgramKilledAtAnyMomentLeavesASoundHistory() {
        const int kills = qMax(1, qEnvironmentVariableIntValue("LASER_KILLS") > 0
                                      ? qEnvironmentVariableIntValue("LASER_KILLS")
                                      : 5);
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        qInfo("%d kills, seed %u", kills, seed);
        QTemporaryDir work;
        Simulator sim;
        QVERIFY(sim.start(work.path()));
        const QString db = work.filePath(QStringLiteral("log/history.sqlite"));
        const auto count = [&db](const char *sql) {
            return rows(db, QLatin1String(sql)).value(0).value(0).toLongLong();
        };
        qint64 oldest = 0;
        qint64 before = 0;
        int longRuns = 0;
        for (int k = 0; k < kills; ++k) {
            ProgramProcess program;
            QVERIFY2(program.start(work.path(), sim.pty), qPrintable(program.output()));
            const int lives = 300 + int(random.bounded(2200));
            QThread::msleep(quint32(lives));
            const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
            program.signal(SIGKILL);
            QVERIFY(program.waitForEnd());
            QVERIFY(program.endedBy(SIGKILL));
            // Every start goes on in the same file: nothing of the earlier runs is gone.
            const qint64 after = count("SELECT count(*) FROM events");
            QVERIFY(after >= before);
            before = after;
            // A run that lived past its first write has its rows up to about a second ago.
            if (lives >= 1500) {
                ++longRuns;
                const qint64 newest =
                    qMax(count("SELECT max(at) FROM events"), count("SELECT max(at) FROM samples"));
                oldest = qMax(oldest, killedAt - newest);
            }
        }
        qInfo("the newest row was at most %lld ms old at a kill after 1.5 s or more", oldest);
        // A second for the writer and the time a pass takes, with room for a loaded machine.
        QVERIFY2(oldest < 3000, qPrintable(QString::number(oldest)));
        QVERIFY(count("SELECT count(*) FROM events WHERE name = 'opened'") >= longRuns);

        QCOMPARE(rows(db, QStringLiteral("PRAGMA integrity_check")).value(0).value(0).toString(),
                 QStringLiteral("ok"));
        const QDir log(work.filePath(QStringLiteral("log")));
        QCOMPARE(log.entryList({QStringLiteral("*.damaged-*")}).size(), 0);
        const QStringList captures =
            log.entryList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name);
        // One file a run, made at its first write.
        QVERIFY(captures.size() >= longRuns && captures.size() <= kills);
        for (const QString &name : captures) {
            QFile f(log.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const history::CaptureReading reading = history::readCapture(f);
            QVERIFY2(!reading.chunks.isEmpty(), qPrintable(name));
            // Nothing skipped but, at the most, a last line cut off by the kill.
            const bool tornEnd = reading.skipped == 1 &&
                                 reading.skippedLines.first().contains(QStringLiteral("cut"));
            QVERIFY2(reading.skipped == 0 || tornEnd,
                     qPrintable(name + QLatin1Char(' ') + reading.skippedLines.join(';')));
        }
    }
};

QTEST_GUILESS_MAIN(KillTest)
#include "kill_test.moc"
