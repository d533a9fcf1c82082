// The window feeding its recorder over a real pseudo-terminal: rows of an alarm that comes and
// goes, a frame with wrong check bytes, a failed open, and a capture of one run replayed by the
// simulator into a second run that ends in the same device state and the same flag rows.

#include "history/capture.h"
#include "history/recorder.h"
#include "support/history.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace fixture;
using namespace frames;
using events::Event;

namespace {

// A window on its own pseudo-terminal CCB, in the current directory, its recorder's rows
// collected and its quiet-line passes counted.
struct Run : PtyWindow {
    std::vector<Event> events;
    PassCounter passes{w()};

    Run() {
        QObject::connect(&recorder(), &history::Recorder::eventRecorded,
                         [this](const Event &e) { events.push_back(e); });
    }
    // The window goes first: its end (a closed row) is still collected.
    ~Run() { window.reset(); }
    history::Recorder &recorder() { return *w().findChild<history::Recorder *>(); }
    // Opens another port than the window's own pseudo-terminal.
    bool openPath(const QString &path) { return openEntry(w(), path + QStringLiteral("(test)")); }
    void close() { form()->pushButtonSerialSwitch->click(); }
    bool sendAndPass(const QByteArray &bytes) { return sendAndWaitForPass(*pty, passes, bytes); }
    // Open, `bytes` taken in, and the rows so far forgotten.
    bool openWith(const QByteArray &bytes) {
        if (!open() || !sendAndPass(bytes))
            return false;
        events.clear();
        return true;
    }
    QStringList names() const {
        QStringList out;
        for (const Event &e : events)
            out << e.name;
        return out;
    }
    QStringList flagRows() const {
        std::vector<Event> flags;
        for (const Event &e : events)
            if (e.category == QLatin1String("alarm") || e.category == QLatin1String("state"))
                flags.push_back(e);
        return summary(flags);
    }
};

QString newestCapture() {
    const QStringList files =
        QDir(QStringLiteral("log"))
            .entryList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : QStringLiteral("log/") + files.last();
}

} // namespace

class WindowHistoryTest : public QObject {
    Q_OBJECT

    // Each case in a fresh working directory: its log/ is the case's own.
    std::unique_ptr<WorkDir> dir;

private slots:
    void init() { dir = std::make_unique<WorkDir>(); }
    void cleanup() { dir.reset(); }

    void anAlarmThatComesAndGoesGivesOneOnAndOneOffRowWithinASecond() {
        Run run;
        QVERIFY(run.open());
        const QByteArray on = systemStatus(0, 0x08, 0);
        const QByteArray off = systemStatus(0, 0, 0);
        QVERIFY(run.sendAndPass(off));
        QVERIFY(run.sendAndPass(on + on));
        QVERIFY(run.sendAndPass(on));
        QVERIFY(run.sendAndPass(off));
        QCOMPARE(run.flagRows(), (QStringList{"alarm chillerFault on", "alarm chillerFault off"}));
        run.recorder().flushNow();
        const QList<QVariantList> stored =
            rows(QStringLiteral("log/history.sqlite"),
                 QStringLiteral("SELECT category, name, value FROM events ORDER BY rowid"));
        QStringList names;
        for (const QVariantList &r : stored)
            names << r.value(0).toString() + ' ' + r.value(1).toString() + ' ' +
                         r.value(2).toString();
        QCOMPARE(names, (QStringList{"link opened ", "alarm chillerFault on",
                                     "handling chillerFault first_out", "alarm chillerFault off"}));
    }

    void aFrameWithWrongCheckBytesChangesNoFlagButShowsInJournalAndCapture() {
        Run run;
        QVERIFY(run.open());
        const QByteArray bad = corrupted(systemStatus(0x04, 0x08, 0x30));
        QVERIFY(run.sendAndPass(bad));
        QVERIFY(!run.state().chillerFault);
        QCOMPARE(run.flagRows(), QStringList());
        const history::Journal &journal = run.recorder().journal();
        QCOMPARE(journal.size(), 1);
        QCOMPARE(journal.at(0).bytes, bad);
        QCOMPARE(journal.at(0).verdict, protocol::Verdict::CheckFailed);
        run.recorder().flushNow();
        const QList<history::CaptureChunk> chunks = captureChunks(QStringLiteral("log"));
        QCOMPARE(chunks.size(), 1);
        QCOMPARE(chunks[0].bytes, bad);
        QCOMPARE(chunks[0].sent, false);
    }

    void aFailedOpenKeepsTheScreenAndRecordsQtsReason() {
        Run run;
        QVERIFY(!run.openPath(QStringLiteral("/dev/no-such-port")));
        QCOMPARE(run.form()->pushButtonSerialSwitch->text(), QStringLiteral("打开串口"));
        QCOMPARE(run.events.size(), size_t(1));
        QCOMPARE(run.events[0].name, QStringLiteral("open_failed"));
        QVERIFY2(run.events[0].detail.startsWith(QStringLiteral("no-such-port: ")),
                 qPrintable(run.events[0].detail));
        QVERIFY(run.events[0].detail.size() > QStringLiteral("no-such-port: ").size());
    }

    void aClosedPortGivesOneClearedRowAndNoOffRows() {
        Run run;
        const unsigned everyFlag = Module::pdFault | Module::qbh | Module::fiberBreak |
                                   Module::waterInHi | Module::waterOutHi | Module::beamOn;
        QVERIFY(run.openWith(systemStatus(0x54, 0x48, 0x30) + moduleStatus(0, everyFlag)));
        run.close();
        // The state is cleared some 200 to 300 ticks after the close.
        SerialProbe::ticks(run.w(), 400);
        QCOMPARE(run.names(), (QStringList{"closed", "state_cleared"}));
    }

    void aLostLinkIsOneRowWhenFoundAndItsBytesAreCapturedUntilTheClose() {
        Run run;
        QVERIFY(run.openWith(systemStatus(0, 0, 0x30)));
        // While the box is up the port is still open: bytes arriving then are captured. They
        // are written once the box is up and read before it is closed.
        const QByteArray late = temperatureReading(2000, 2);
        bool lateRead = false;
        QTimer lateWriter;
        lateWriter.setInterval(5);
        QObject::connect(&lateWriter, &QTimer::timeout, [&] {
            if (lateRead || !QApplication::activeModalWidget())
                return;
            const quint64 before = run.recorder().figures().bytesIn;
            lateRead = run.pty->write(late) && waitUntil([&] {
                           return run.recorder().figures().bytesIn >= before + quint64(late.size());
                       });
        });
        lateWriter.start();
        BoxCloser closer;
        SerialProbe::ticks(run.w(), 17000);
        QVERIFY(closer.box().seen);
        QVERIFY(lateRead);
        QCOMPARE(run.names(), (QStringList{"link_lost", "state_cleared"}));
        run.recorder().flushNow();
        QCOMPARE(receivedBytes(QStringLiteral("log")), systemStatus(0, 0, 0x30) + late);
    }

    void aVanishedDeviceIsOneDeviceGoneRowAndNoLinkLostRow() {
        Run run;
        QVERIFY(run.openWith(systemStatus(0, 0, 0x30)));
        BoxCloser closer;
        // The far end goes away, as a pulled adapter does.
        run.pty->closeMaster();
        QVERIFY(waitUntil([&] { return closer.count() > 0; }));
        // The watchdog has nothing left to report afterwards.
        SerialProbe::ticks(run.w(), 17000);
        QCOMPARE(closer.count(), 1);
        QCOMPARE(run.names(), (QStringList{"device_gone", "state_cleared"}));
        QVERIFY(run.events.front().detail.startsWith(SerialProbe::port(run.w())->portName()));
        QVERIFY(!run.recorder().figures().lastPortError.isEmpty());
    }

    void aReplayedCaptureGivesTheSameStateAndTheSameFlagRows() {
        // Frames, noise, a frame with wrong check bytes, flags that come and go, cut anywhere.
        const QByteArray stream = systemStatus(0x04, 0x48, 0x30) + temperatureReading(2591, 2) +
                                  temperatureReading(1805, 3) + dewPoint(1234) +
                                  moduleStatus(1, Module::qbh | Module::beamOn) +
                                  bytes({0x01, 0x02}) + driverChannel(0, 3, 0x02, 0) +
                                  corrupted(systemStatus(0x40, 0, 0)) +
                                  parameterReply(32, bytes({0x24, 0x0C, 0, 0, 0, 0, 0})) +
                                  make(0xEE, bytes({0, 0, 0, 0, 0, 0, 3, 1, 6, 8, 5, 0})) +
                                  systemStatus(0x04, 0x00, 0x30) + moduleStatus(1, Module::beamOn) +
                                  driverChannel(0, 3, 0x01, 1);
        Run first;
        QVERIFY(first.open());
        // No cut right after a code byte: a lone code byte at the end of a quiet line is
        // dropped, and the faster replay would join what the first run saw apart.
        const int cuts[] = {3, 21, 41, 42, 77, 110, 160};
        int from = 0;
        for (const int cut : cuts) {
            QVERIFY(first.sendAndPass(stream.mid(from, cut - from)));
            from = cut;
        }
        QVERIFY(first.sendAndPass(stream.mid(from)));
        const protocol::DeviceState firstState = first.state();
        const QStringList firstRows = first.flagRows();
        QVERIFY(firstRows.size() >= 8);
        first.close();
        first.window.reset();
        const QString capture = newestCapture();
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
        QVERIFY2(second.openPath(simPty), qPrintable(simPty));
        sim.write("replay\n");
        QByteArray simLog;
        QVERIFY(waitUntil(
            [&] {
                simLog += sim.readAllStandardError();
                return simLog.contains("replay done");
            },
            5000));
        QVERIFY(waitUntil([&] { return second.state() == firstState; }, 5000));
        QCOMPARE(second.flagRows(), firstRows);
        second.close();
        second.window.reset();
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

QTEST_MAIN(WindowHistoryTest)
#include "window_history_test.moc"
