// However the program ends, it ends like a click on "关闭串口" and then closing the window: a
// closed row after the others, the capture complete, and the plant link's own online=false.
// Closing the window, the application quitting (as at the end of a session), SIGTERM, SIGINT.

#include "history/capture.h"
#include "history_fixture.h"
#include "plant/broker.h"
#include "support/program_process.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>

using historyfixture::rows;
using historyfixture::waitUntil;

namespace {

// The link rows of a history, oldest first.
QStringList linkRows(const QString &workDir) {
    QStringList names;
    for (const QVariantList &r :
         rows(workDir + QStringLiteral("/log/history.sqlite"),
              QStringLiteral("SELECT name FROM events WHERE category = 'link' ORDER BY rowid")))
        names << r.value(0).toString();
    return names;
}

bool hasRow(const QString &workDir, const QString &name, const QString &value) {
    return !rows(workDir + QStringLiteral("/log/history.sqlite"),
                 QStringLiteral("SELECT 1 FROM events WHERE name = '%1' AND value = '%2'")
                     .arg(name, value))
                .isEmpty();
}

// Every received byte of the capture files in the folder, in order.
QByteArray captured(const QString &workDir) {
    QByteArray rx;
    const QDir log(workDir + QStringLiteral("/log"));
    for (const QString &name :
         log.entryList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name)) {
        QFile f(log.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const history::CaptureChunk &c : history::readCapture(f).chunks)
            if (!c.sent)
                rx += c.bytes;
    }
    return rx;
}

// A second of what the CCB sends: the chiller alarm and a round of readings.
QByteArray someFrames(int round) {
    return frames::systemStatus(0, 0x08, 0) + historyfixture::temperature(2500 + round, 2) +
           historyfixture::dewPoint(1200 + round);
}

} // namespace

class RunEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    void closingTheWindowWithThePortOpenWritesAClosedRowAndTheWholeCapture() {
        WorkDir work;
        PtyPair pty;
        QByteArray sent;
        {
            Serial w;
            QVERIFY(fixture::openOnPty(w, pty));
            for (int round = 0; round < 3; ++round) {
                sent += someFrames(round);
                QVERIFY(pty.write(someFrames(round)));
                QVERIFY(fixture::waitForReceivePass(w));
            }
        }
        QCOMPARE(linkRows(work.path()),
                 QStringList({QStringLiteral("opened"), QStringLiteral("closed")}));
        QVERIFY(hasRow(work.path(), QStringLiteral("chillerFault"), QStringLiteral("on")));
        QCOMPARE(captured(work.path()), sent);
    }

    void theApplicationQuittingEndsTheRunBeforeTheWindowGoes() {
        WorkDir work;
        PtyPair pty;
        Serial w;
        QVERIFY(fixture::openOnPty(w, pty));
        QVERIFY(pty.write(someFrames(0)));
        QVERIFY(fixture::waitForReceivePass(w));
        // What a session's end does on Windows: aboutToQuit, and then the process is gone.
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QCOMPARE(linkRows(work.path()),
                 QStringList({QStringLiteral("opened"), QStringLiteral("closed")}));
        QCOMPARE(captured(work.path()), someFrames(0));
    }

    void aSignalEndsTheRunLikeClosingTheWindow_data() {
        QTest::addColumn<int>("number");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void aSignalEndsTheRunLikeClosingTheWindow() {
        QFETCH(int, number);
        QTemporaryDir work;
        PtyPair pty;
        ProgramProcess program;
        QVERIFY2(program.start(work.path(), pty.slavePath()), qPrintable(program.output()));
        QVERIFY(pty.write(someFrames(0)));
        // The alarm is a row on disk by now...
        QVERIFY(waitUntil(
            [&] {
                return hasRow(work.path(), QStringLiteral("chillerFault"), QStringLiteral("on"));
            },
            5000));
        // ...and what follows has only been read when the signal comes.
        QVERIFY(pty.write(someFrames(1)));
        QVERIFY(pty.waitUntilRead());
        program.signal(number);
        QVERIFY(program.waitForEnd());
        QVERIFY2(program.endedBy(number), qPrintable(program.output()));
        QCOMPARE(linkRows(work.path()),
                 QStringList({QStringLiteral("opened"), QStringLiteral("closed")}));
        QCOMPARE(captured(work.path()), someFrames(0) + someFrames(1));
    }

    void aSignalEndsThePlantLinkWithItsClosedEventAndItsOwnGoodbye() {
        if (!Broker::available())
            QSKIP("mosquitto is not installed");
        Broker broker;
        QVERIFY(broker.start());
        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("config")));
        QFile ini(work.filePath(QStringLiteral("config/plant.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[mqtt]\nurl = " + broker.url().toUtf8() + "\nlaser_id = ends-test\n");
        ini.close();
        Subscriber subscriber(broker.port, "laser/ends-test/#");
        PtyPair pty;
        ProgramProcess program;
        QVERIFY2(program.start(work.path(), pty.slavePath()), qPrintable(program.output()));
        QVERIFY(!subscriber.collect(QStringLiteral("online"), 1).empty());
        program.signal(SIGTERM);
        QVERIFY(program.waitForEnd());
        const auto online = subscriber.collect(QStringLiteral("online"), 2);
        QCOMPARE(online.size(), size_t(2));
        QCOMPARE(online[1].payload, QByteArray("false"));
        const auto events = subscriber.collect(QStringLiteral("events"), 2);
        QVERIFY(!events.empty());
        QVERIFY2(events.back().payload.contains("\"name\":\"closed\""), events.back().payload);
        // Said by the program on its way out, not by the broker for a dead client.
        const QString log = QString::fromUtf8(broker.log());
        QVERIFY2(
            log.contains(QRegularExpression(QStringLiteral("Client ends-test-\\w+ disconnected"))),
            qPrintable(log));
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    RunEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "run_end_test.moc"
