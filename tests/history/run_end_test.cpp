// However the program ends, it ends like a click on "关闭串口" and then closing the window: the
// closed row after the others, the capture complete, the plant link's own online=false. The
// window closed, the application quitting (as at the end of a session), SIGTERM, SIGINT,
// SIGHUP and the X server gone; killed outright, the next start writes it as what it was.

#include "history/capture.h"
#include "support/broker.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/program_process.h"
#include "support/stop_signals.h"
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using fixture::rows;
using fixture::waitUntil;

namespace {

QStringList linkRows(const QString &dir) {
    QStringList names;
    for (const QVariantList &r : rows(dir + QStringLiteral("/log/history.sqlite"),
                                      QStringLiteral("SELECT name FROM events WHERE category = "
                                                     "'link' ORDER BY rowid")))
        names << r.value(0).toString();
    return names;
}

const QStringList openedAndClosed = {QStringLiteral("opened"), QStringLiteral("closed")};

// Every received byte of the capture files in `dir`/log, in order.
QByteArray captured(const QString &dir) {
    QByteArray rx;
    const QDir log(dir + QStringLiteral("/log"));
    for (const QString &name : log.entryList({QStringLiteral("capture-*.txt")})) {
        QFile f(log.filePath(name));
        f.open(QIODevice::ReadOnly);
        for (const history::CaptureChunk &c : history::readCapture(f).chunks)
            rx += c.sent ? QByteArray() : c.bytes;
    }
    return rx;
}

// What the CCB sends in a second: the chiller alarm and readings.
QByteArray someFrames(int round) {
    return frames::systemStatus(0, 0x08, 0) + frames::temperatureReading(2500 + round, 2);
}

} // namespace

class RunEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    void closingTheWindowWritesAClosedRowAndTheWholeCapture() {
        WorkDir work;
        PtyPair pty;
        {
            Serial w;
            QVERIFY(fixture::openOnPty(w, pty));
            for (int round = 0; round < 2; ++round)
                QVERIFY(pty.write(someFrames(round)) && fixture::waitForReceivePass(w));
        }
        QCOMPARE(linkRows(work.path()), openedAndClosed);
        QCOMPARE(captured(work.path()), someFrames(0) + someFrames(1));
    }

    void theApplicationQuittingEndsTheRunBeforeTheWindowGoes() {
        WorkDir work;
        PtyPair pty;
        Serial w;
        QVERIFY(fixture::openOnPty(w, pty));
        QVERIFY(pty.write(someFrames(0)) && fixture::waitForReceivePass(w));
        // At the end of a session on Windows: aboutToQuit, and then the process is gone.
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QCOMPARE(linkRows(work.path()), openedAndClosed);
        QCOMPARE(captured(work.path()), someFrames(0));
    }

    void everyEndIsCleanOrWrittenAsWhatItWasAtTheNextStart_data() { addEndCauseRows(); }
    void everyEndIsCleanOrWrittenAsWhatItWasAtTheNextStart() {
        QFETCH(int, cause);
        QTemporaryDir work;
        // With a plant link when there is a broker to talk to.
        std::unique_ptr<Broker> broker;
        std::unique_ptr<Subscriber> subscriber;
        // config/ a file: a box at start. No broker beside the pipe: its library ignores SIGPIPE.
        if (cause == sigtermInStartBox)
            QVERIFY(QFile(work.filePath(QStringLiteral("config"))).open(QIODevice::WriteOnly));
        else if (Broker::available() && cause != sigtermStderrGone) {
            broker = std::make_unique<Broker>();
            QVERIFY(broker->start());
            QDir(work.path()).mkpath(QStringLiteral("config"));
            QFile ini(work.filePath(QStringLiteral("config/plant.ini")));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[mqtt]\nurl = " + broker->url().toUtf8() + "\nlaser_id = ends-test\n");
            ini.close();
            subscriber = std::make_unique<Subscriber>(broker->port, "laser/ends-test/#");
        }
        PtyPair pty;
        ProgramProcess program;
        if (cause == displayGone && !program.useOwnDisplay())
            QSKIP("no X server of its own to be had here");
        if (cause == sigtermInStartBox) {
            // The box's loop ends, and the main loop after it: the run after the box ends.
            QVERIFY(!program.start(work.path(), pty.slavePath()) &&
                    program.output().startsWith("looping\n"));
            program.signal(SIGTERM);
            QVERIFY(program.waitForEnd() && program.endedBy(SIGTERM));
            QCOMPARE(linkRows(work.path()), openedAndClosed);
            return;
        }
        if (cause == sigtermStderrGone)
            qputenv("LASER_TEST_STDERR_GONE", "1"); // for the program started next
        const auto started = qScopeGuard([] { qunsetenv("LASER_TEST_STDERR_GONE"); });
        QVERIFY2(program.start(work.path(), pty.slavePath(), true), qPrintable(program.output()));
        QVERIFY(pty.write(someFrames(0)));
        // The alarm is a row on disk by now; what follows has only been read.
        const QString db = work.filePath(QStringLiteral("log/history.sqlite"));
        QVERIFY(waitUntil(
            [&] {
                return !rows(db, QStringLiteral("SELECT 1 FROM events WHERE name = 'chillerFault'"))
                            .isEmpty();
            },
            5000));
        QVERIFY(pty.write(someFrames(1)));
        QVERIFY(program.waitForBytesIn(someFrames(0).size() + someFrames(1).size()));
        if (cause == displayGone)
            program.endDisplay();
        else
            program.signal(cause == sigtermStderrGone ? SIGTERM : cause);
        QVERIFY(program.waitForEnd());
        if (cause == SIGKILL) {
            QVERIFY(program.endedBy(SIGKILL));
            QCOMPARE(linkRows(work.path()), QStringList{QStringLiteral("opened")});
            // The next start marks the run that ended with its port open, at its newest row.
            ProgramProcess next;
            pty.releaseExclusiveUse();
            QVERIFY2(next.start(work.path(), pty.slavePath()), qPrintable(next.output()));
            QVERIFY(waitUntil([&] { return linkRows(work.path()).size() == 3; }, 5000));
            QCOMPARE(linkRows(work.path()),
                     QStringList({"opened", "ended_unexpectedly", "opened"}));
            const QString at = QStringLiteral("SELECT at FROM events WHERE name = '%1'");
            QVERIFY(
                rows(db, at.arg(QStringLiteral("ended_unexpectedly")))
                    .value(0)
                    .value(0)
                    .toLongLong() >=
                rows(db, at.arg(QStringLiteral("chillerFault"))).value(0).value(0).toLongLong());
            return;
        }
        // The display gone, Qt ends the process by exit(1) once the run has ended.
        QVERIFY2(cause == displayGone ? program.exitedWith(1)
                                      : program.endedBy(cause < 0 ? SIGTERM : cause),
                 qPrintable(program.output()));
        QCOMPARE(linkRows(work.path()), openedAndClosed);
        QCOMPARE(captured(work.path()), someFrames(0) + someFrames(1));
        if (!broker)
            return;
        const auto online = subscriber->collect(QStringLiteral("online"), 2);
        QVERIFY(online.size() == 2 && online[1].payload == "false");
        // Opened, the alarm, its first out, closed.
        const auto events = subscriber->collect(QStringLiteral("events"), 4);
        QVERIFY(events.size() == 4 && events.back().payload.contains("\"name\":\"closed\""));
        // Said by the program on its way out, not by the broker for a client gone dead.
        QVERIFY(QString::fromUtf8(broker->log())
                    .contains(QRegularExpression(QStringLiteral("Client ends-test-\\w+ "
                                                                "disconnected"))));
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    RunEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "run_end_test.moc"
