// The window feeding its recorder over a real pseudo-terminal: rows of an alarm that comes and
// goes, a frame with wrong check bytes, a failed open, and a capture of one run replayed by the
// simulator into a second run that ends in the same device state and the same flag rows.

#include "history/capture.h"
#include "history/recorder.h"
#include "history_fixture.h"
#include "support/modal.h"
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/work_dir.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace historyfixture;
using history::Event;

namespace {

history::Recorder *recorderOf(Serial &w) {
    return w.findChild<history::Recorder *>();
}

// A window in the current directory, its recorder's rows collected.
struct Run {
    // Before the window: its end (a closed row) is still collected while the window goes.
    std::vector<Event> events;
    int passes = 0;
    std::unique_ptr<Serial> window = std::make_unique<Serial>();

    Run() {
        QObject::connect(recorderOf(*window), &history::Recorder::eventRecorded,
                         [this](const Event &e) { events.push_back(e); });
        QObject::connect(SerialProbe::rxTimer(*window), &QTimer::timeout, [this] { ++passes; });
    }
    history::Recorder &recorder() { return *recorderOf(*window); }
    bool open(const QString &path) {
        QComboBox *combo = SerialProbe::form(*window)->comboBoxCOM;
        combo->addItem(path + QStringLiteral("(test)"));
        combo->setCurrentIndex(combo->count() - 1);
        QTest::mouseClick(SerialProbe::form(*window)->pushButtonSerialSwitch, Qt::LeftButton);
        return SerialProbe::portOpen(*window);
    }
    void close() {
        QTest::mouseClick(SerialProbe::form(*window)->pushButtonSerialSwitch, Qt::LeftButton);
    }
    bool sendAndPass(PtyPair &pty, const QByteArray &bytes) {
        const int wanted = passes + 1;
        return pty.write(bytes) && waitUntil([&] { return passes >= wanted; });
    }
    QStringList flagRows() const {
        std::vector<Event> flags;
        for (const Event &e : events)
            if (e.category == QLatin1String("alarm") || e.category == QLatin1String("state"))
                flags.push_back(e);
        return summary(flags);
    }
};

QString captureIn(const QString &logDir) {
    const QStringList files =
        QDir(logDir).entryList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : QDir(logDir).filePath(files.last());
}

} // namespace

class WindowHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    void anAlarmThatComesAndGoesGivesOneOnAndOneOffRowWithinASecond() {
        WorkDir dir;
        PtyPair pty;
        QVERIFY(pty.isValid());
        Run run;
        QVERIFY(run.open(pty.slavePath()));
        const QByteArray on = systemStatus(0, 0x08, 0);
        const QByteArray off = systemStatus(0, 0, 0);
        QVERIFY(run.sendAndPass(pty, off));
        QVERIFY(run.sendAndPass(pty, on + on));
        QVERIFY(run.sendAndPass(pty, on));
        QVERIFY(run.sendAndPass(pty, off));
        QCOMPARE(run.flagRows(), (QStringList{"alarm chillerFault on", "alarm chillerFault off"}));
        run.recorder().flushNow();
        const QList<QVariantList> stored =
            rows(QStringLiteral("log/history.sqlite"),
                 QStringLiteral("SELECT category, name, value FROM events ORDER BY rowid"));
        QStringList names;
        for (const QVariantList &r : stored)
            names << r.value(0).toString() + ' ' + r.value(1).toString() + ' ' +
                         r.value(2).toString();
        QCOMPARE(names,
                 (QStringList{"link opened ", "alarm chillerFault on", "alarm chillerFault off"}));
    }

    void aFrameWithWrongCheckBytesChangesNoFlagButShowsInJournalAndCapture() {
        WorkDir dir;
        PtyPair pty;
        Run run;
        QVERIFY(run.open(pty.slavePath()));
        const QByteArray bad = corrupted(systemStatus(0x04, 0x08, 0x30));
        QVERIFY(run.sendAndPass(pty, bad));
        QVERIFY(!SerialProbe::state(*run.window).chillerFault);
        QCOMPARE(run.flagRows(), QStringList());
        const history::Journal &journal = run.recorder().journal();
        QCOMPARE(journal.size(), 1);
        QCOMPARE(journal.at(0).bytes, bad);
        QCOMPARE(journal.at(0).verdict, protocol::Verdict::CheckFailed);
        run.recorder().flushNow();
        QFile capture(captureIn(QStringLiteral("log")));
        QVERIFY(capture.open(QIODevice::ReadOnly));
        history::CaptureChunk chunk;
        QVERIFY(history::parseCaptureLine(capture.readLine(), &chunk));
        QCOMPARE(chunk.bytes, bad);
        QCOMPARE(chunk.sent, false);
    }

    void aFailedOpenKeepsTheScreenAndRecordsQtsReason() {
        WorkDir dir;
        Run run;
        QVERIFY(!run.open(QStringLiteral("/dev/no-such-port")));
        QCOMPARE(SerialProbe::form(*run.window)->pushButtonSerialSwitch->text(),
                 QStringLiteral("打开串口"));
        QCOMPARE(run.events.size(), size_t(1));
        QCOMPARE(run.events[0].name, QStringLiteral("open_failed"));
        QVERIFY2(run.events[0].detail.startsWith(QStringLiteral("no-such-port: ")),
                 qPrintable(run.events[0].detail));
        QVERIFY(run.events[0].detail.size() > QStringLiteral("no-such-port: ").size());
    }

    void aClosedPortGivesOneClearedRowAndNoOffRows() {
        WorkDir dir;
        PtyPair pty;
        Run run;
        QVERIFY(run.open(pty.slavePath()));
        QVERIFY(run.sendAndPass(pty, systemStatus(0x54, 0x48, 0x30) + moduleStatus(0, 1, 0x65, 8)));
        run.events.clear();
        run.close();
        // The state is cleared some 200 to 300 ticks after the close.
        SerialProbe::ticks(*run.window, 400);
        QStringList names;
        for (const Event &e : run.events)
            names << e.name;
        QCOMPARE(names, (QStringList{"closed", "state_cleared"}));
    }

    void aLostLinkIsOneRowWhenFoundAndItsBytesAreCapturedUntilTheClose() {
        WorkDir dir;
        PtyPair pty;
        Run run;
        QVERIFY(run.open(pty.slavePath()));
        QVERIFY(run.sendAndPass(pty, systemStatus(0, 0, 0x30)));
        run.events.clear();
        // While the box is up the port is still open: bytes arriving then are captured.
        const QByteArray late = temperature(2000, 2);
        bool wroteLate = false;
        QTimer lateWriter;
        lateWriter.setInterval(5);
        QObject::connect(&lateWriter, &QTimer::timeout, [&] {
            if (!wroteLate && QApplication::activeModalWidget()) {
                wroteLate = pty.write(late);
                QTest::qWait(50);
            }
        });
        lateWriter.start();
        BoxCloser closer;
        SerialProbe::ticks(*run.window, 17000);
        QVERIFY(closer.box().seen);
        QVERIFY(wroteLate);
        QStringList names;
        for (const Event &e : run.events)
            names << e.name;
        QCOMPARE(names, (QStringList{"link_lost", "state_cleared"}));
        run.recorder().flushNow();
        QFile capture(captureIn(QStringLiteral("log")));
        QVERIFY(capture.open(QIODevice::ReadOnly));
        QByteArray rx;
        while (!capture.atEnd()) {
            history::CaptureChunk c;
            if (history::parseCaptureLine(capture.readLine(), &c))
                rx += c.bytes;
        }
        QCOMPARE(rx, systemStatus(0, 0, 0x30) + late);
    }

    void aVanishedDeviceIsOneDeviceGoneRowAndNoLinkLostRow() {
        WorkDir dir;
        auto pty = std::make_unique<PtyPair>();
        Run run;
        QVERIFY(run.open(pty->slavePath()));
        QVERIFY(run.sendAndPass(*pty, systemStatus(0, 0, 0x30)));
        run.events.clear();
        BoxCloser closer;
        // The far end goes away, as a pulled adapter does.
        pty->closeMaster();
        QVERIFY(waitUntil([&] { return closer.count() > 0; }));
        // The watchdog has nothing left to report afterwards.
        SerialProbe::ticks(*run.window, 17000);
        QCOMPARE(closer.count(), 1);
        QStringList names;
        for (const Event &e : run.events)
            names << e.name;
        QCOMPARE(names, (QStringList{"device_gone", "state_cleared"}));
        QVERIFY(run.events.front().detail.startsWith(SerialProbe::port(*run.window)->portName()));
        QVERIFY(!run.recorder().figures().lastPortError.isEmpty());
    }

    void aReplayedCaptureGivesTheSameStateAndTheSameFlagRows() {
        WorkDir dir;
        PtyPair pty;
        protocol::SystemSettings settings;
        settings.redOnBeam = true;
        // Frames, noise, a frame with wrong check bytes, flags that come and go, cut anywhere.
        const QByteArray stream = systemStatus(0x04, 0x48, 0x30) + temperature(2591, 2) +
                                  temperature(1805, 3) + dewPoint(1234) +
                                  moduleStatus(1, 0, 0x40, 0x08) + bytes({0x01, 0x02}) +
                                  driverBoard(0, 3, 0x02, 0) + corrupted(systemStatus(0x40, 0, 0)) +
                                  parameterReply(32, bytes({0x24, 0x0C, 0, 0, 0, 0, 0})) +
                                  make(0xEE, bytes({0, 0, 0, 0, 0, 0, 3, 1, 6, 8, 5, 0})) +
                                  systemStatus(0x04, 0x00, 0x30) + moduleStatus(1, 0, 0x00, 0x08) +
                                  driverBoard(0, 3, 0x01, 1);
        Run first;
        QVERIFY(first.open(pty.slavePath()));
        // No cut right after a code byte: a lone code byte at the end of a quiet line is
        // dropped, and the faster replay would join what the first run saw apart.
        const int cuts[] = {3, 21, 41, 42, 77, 110, 160};
        int from = 0;
        for (const int cut : cuts) {
            QVERIFY(first.sendAndPass(pty, stream.mid(from, cut - from)));
            from = cut;
        }
        QVERIFY(first.sendAndPass(pty, stream.mid(from)));
        const protocol::DeviceState firstState = SerialProbe::state(*first.window);
        const QStringList firstRows = first.flagRows();
        QVERIFY(firstRows.size() >= 8);
        first.close();
        first.window.reset();
        const QString capture = captureIn(QStringLiteral("log"));
        QVERIFY(!capture.isEmpty());

        QProcess sim;
        sim.start(QStringLiteral(CCB_SIM_BIN),
                  {QStringLiteral("--replay"), capture, QStringLiteral("--speed"),
                   QStringLiteral("2"), QStringLiteral("--replay-wait"),
                   QStringLiteral("3600000")});
        QVERIFY(sim.waitForStarted());
        QVERIFY(waitUntil([&] { return sim.canReadLine(); }, 5000));
        const QString simPty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        Run second;
        QVERIFY2(second.open(simPty), qPrintable(simPty));
        sim.write("replay\n");
        QByteArray simLog;
        QVERIFY(waitUntil(
            [&] {
                simLog += sim.readAllStandardError();
                return simLog.contains("replay done");
            },
            5000));
        QVERIFY(waitUntil([&] { return SerialProbe::state(*second.window) == firstState; }, 5000));
        QCOMPARE(second.flagRows(), firstRows);
        second.close();
        second.window.reset();
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

QTEST_MAIN(WindowHistoryTest)
#include "window_history_test.moc"
