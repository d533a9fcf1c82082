// The recorder's rows and journal, fed the way the window feeds it: flag changes of every alarm
// and state flag, the module and driver arrays, the reset rule, commands, settings, link rows,
// samples and the link figures.

#include "protocol/commands.h"
#include "protocol/describe.h"
#include "protocol/device_state.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/table.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace fixture;
using namespace frames;
using events::Event;
using history::Recorder;
using protocol::Verdict;

namespace {

// One recorder writing into a scratch folder, its events collected as they are recorded.
struct Rig {
    QTemporaryDir dir;
    ManualClock clock;
    protocol::DeviceState state;
    std::unique_ptr<Recorder> recorder;
    std::unique_ptr<ReceivePath> path;
    std::vector<Event> events;
    std::vector<events::Sample> samples;

    explicit Rig(int journalCapacity = history::Journal::defaultCapacity) {
        history::RecorderOptions options;
        options.logDir = dir.filePath(QStringLiteral("log"));
        options.clock = clock.function();
        options.journalCapacity = journalCapacity;
        recorder = std::make_unique<Recorder>(nullptr, options);
        QObject::connect(recorder.get(), &Recorder::eventRecorded,
                         [this](const Event &e) { events.push_back(e); });
        QObject::connect(recorder.get(), &Recorder::sampleRecorded,
                         [this](const events::Sample &s) { samples.push_back(s); });
        path = std::make_unique<ReceivePath>(*recorder, state);
    }
    QStringList take() {
        const QStringList out = summary(events);
        events.clear();
        return out;
    }
    void feed(const QByteArray &bytes) { path->receiveAndPass(bytes); }
};

} // namespace

class RecorderRowsTest : public QObject {
    Q_OBJECT

private slots:
    void eachSystemStatusFlagGivesOneRowWhenItComesAndOneWhenItGoes_data() {
        fixture::columns<int, int, QString>("offset", "bit", "row");
        QTest::newRow("extEStop") << 2 << 2 << "alarm extEStop";
        QTest::newRow("doorInterlock") << 2 << 4 << "alarm doorInterlock";
        QTest::newRow("systemFault") << 2 << 6 << "alarm systemFault";
        QTest::newRow("chillerFault") << 3 << 3 << "alarm chillerFault";
        QTest::newRow("redLightOn") << 3 << 6 << "state redLightOn";
        QTest::newRow("laserReady") << 4 << 4 << "state laserReady";
        QTest::newRow("dcOn") << 4 << 5 << "state dcOn";
    }
    void eachSystemStatusFlagGivesOneRowWhenItComesAndOneWhenItGoes() {
        QFETCH(int, offset);
        QFETCH(int, bit);
        QFETCH(QString, row);
        Rig rig;
        int b[5] = {0, 0, 0, 0, 0};
        b[offset] = 1 << bit;
        const QByteArray on = systemStatus(b[2], b[3], b[4]);
        const QByteArray off = systemStatus(0, 0, 0);
        rig.feed(off);
        QCOMPARE(rig.take(), QStringList());
        rig.feed(on + on + on);
        QCOMPARE(rig.take(), QStringList{row + " on"});
        rig.feed(on);
        QCOMPARE(rig.take(), QStringList());
        rig.feed(off + off);
        QCOMPARE(rig.take(), QStringList{row + " off"});
    }

    void aFlagThatFlickersWithinOnePassGivesEveryChange() {
        Rig rig;
        const QByteArray on = systemStatus(0, 0x08, 0);
        const QByteArray off = systemStatus(0, 0, 0);
        rig.feed(on + off + on + off);
        QCOMPARE(rig.take(), (QStringList{"alarm chillerFault on", "alarm chillerFault off",
                                          "alarm chillerFault on", "alarm chillerFault off"}));
    }

    void moduleFlagsAreNamedByTheirModule() {
        Rig rig;
        // Module 1: QBH (bit 6), fibre break (bit 5), water in (bit 2), water out (bit 0),
        // PD (offset 2), beam on (offset 5 bit 3).
        rig.feed(moduleStatus(1, Module::qbh | Module::pdFault));
        QCOMPARE(rig.take(),
                 (QStringList{"alarm module1.qbhFault on", "alarm module1.pdFault on"}));
        rig.feed(moduleStatus(1, Module::fiberBreak | Module::waterInHi | Module::waterOutHi |
                                     Module::beamOn));
        QCOMPARE(rig.take(),
                 (QStringList{"alarm module1.qbhFault off", "alarm module1.fiberBreakFault on",
                              "alarm module1.waterInHiFault on", "alarm module1.waterOutHiFault on",
                              "alarm module1.pdFault off", "state module1.beamOn on"}));
        // Another module's frame leaves module 1 as it was.
        rig.feed(moduleStatus(2, Module::qbh));
        QCOMPARE(rig.take(), QStringList{"alarm module2.qbhFault on"});
        // Module 0 from a short frame (no index byte).
        rig.feed(make(0xE2, bytes({0, 0x40})));
        QCOMPARE(rig.take(), QStringList{"alarm module0.qbhFault on"});
    }

    void driverChannelFlagsAreNamedByBoardAndChannel() {
        Rig rig;
        rig.feed(driverChannel(0, 3, 0x02, 0));
        QCOMPARE(rig.take(), QStringList{"alarm board0.channel3.overTemp2 on"});
        rig.feed(driverChannel(2, 7, 0x1D, 1));
        QCOMPARE(rig.take(), (QStringList{"alarm board2.channel7.overCurrent1 on",
                                          "alarm board2.channel7.overCurrent2 on",
                                          "alarm board2.channel7.overTemp1 on",
                                          "alarm board2.channel7.overTemp3 on",
                                          "alarm board2.channel7.overTemp4 on"}));
        rig.feed(driverChannel(0, 3, 0, 0));
        QCOMPARE(rig.take(), QStringList{"alarm board0.channel3.overTemp2 off"});
    }

    void digitalInputsAndOutputsAreStateRows() {
        Rig rig;
        rig.feed(
            parameterReply(protocol::parameterDigitalInputs, bytes({0x24, 0x0C, 0, 0, 0, 0, 0})));
        QCOMPARE(rig.take(), (QStringList{"state dinEStop2 on", "state dinPwm on",
                                          "state dinDcOn on", "state dinLaserOn on"}));
        rig.feed(
            parameterReply(protocol::parameterDigitalOutputs, bytes({0x03, 0, 0, 0, 0, 0, 0})));
        QCOMPARE(rig.take(), (QStringList{"state doutDcOn on", "state doutFault on"}));
    }

    void aClearedStateIsOneRowAndTheNextFramesStartFromACleanSlate() {
        Rig rig;
        rig.feed(systemStatus(0x54, 0x48, 0x30) + moduleStatus(0, Module::qbh) +
                 driverChannel(1, 2, 0x1F, 1));
        QCOMPARE(rig.take().size(), 7 + 1 + 6);

        protocol::resetDeviceState(rig.state);
        rig.recorder->stateCleared(rig.state);
        QCOMPARE(rig.take(), QStringList{"link state_cleared "});

        // The same all-clear frames after the reset: no flood of off rows.
        rig.feed(systemStatus(0, 0, 0) + moduleStatus(0) + driverChannel(1, 2, 0, 0));
        QCOMPARE(rig.take(), QStringList());
        // A flag that comes again is a change again.
        rig.feed(systemStatus(0, 0x08, 0));
        QCOMPARE(rig.take(), QStringList{"alarm chillerFault on"});
    }

    void aClearWithNothingReceivedSinceTheLastOneGivesNoRow() {
        Rig rig;
        protocol::resetDeviceState(rig.state);
        rig.recorder->stateCleared(rig.state);
        rig.recorder->stateCleared(rig.state);
        QCOMPARE(rig.take(), QStringList());
        rig.feed(systemStatus(0, 0, 0));
        rig.recorder->stateCleared(rig.state);
        rig.recorder->stateCleared(rig.state);
        QCOMPARE(rig.take(), QStringList{"link state_cleared "});
    }

    void aFrameWithWrongCheckBytesChangesNoFlagButIsJournaledAsFailed() {
        Rig rig;
        rig.feed(corrupted(systemStatus(0, 0x08, 0)));
        QCOMPARE(rig.take(), QStringList());
        QVERIFY(!rig.state.chillerFault);
        const history::Journal &j = rig.recorder->journal();
        QCOMPARE(j.size(), 1);
        QCOMPARE(j.at(0).verdict, Verdict::CheckFailed);
        QCOMPARE(j.at(0).name, QStringLiteral("SystemStatus"));
        QCOMPARE(rig.recorder->figures().checkFailures, quint64(1));
    }

    void theJournalKeepsEveryFrameAndNoiseRunInOrderWithItsVerdict() {
        Rig rig;
        const QByteArray status = systemStatus(0x04, 0, 0x30);
        const QByteArray known = make(0x9A, bytes({1}));
        const QByteArray unknown = make(0x81, bytes({1}));
        const QByteArray param = parameterReply(4, QByteArray("V1.2.3"));
        // Noise before, between and after; an abandoned frame (length byte with bit 7 set)
        // joins the noise around it.
        rig.feed(bytes({0x01, 0x02}) + status + bytes({0x03, 0xE6, 0x90, 0x04}) +
                 temperatureReading(2591, 3) + known + unknown + param + bytes({0x05}));
        const history::Journal &j = rig.recorder->journal();
        QCOMPARE(j.size(), 8);
        QCOMPARE(j.at(0).direction, history::Direction::Skipped);
        QCOMPARE(j.at(0).bytes, bytes({0x01, 0x02}));
        QCOMPARE(j.at(1).bytes, status);
        QCOMPARE(j.at(1).verdict, Verdict::CheckOk);
        QCOMPARE(j.at(1).text, QStringLiteral("SystemStatus: DC on, laser ready, external e-stop"));
        QCOMPARE(j.at(2).bytes, bytes({0x03, 0xE6, 0x90, 0x04}));
        QCOMPARE(j.at(2).text, QStringLiteral("4 bytes skipped"));
        QCOMPARE(j.at(3).verdict, Verdict::NotChecked);
        QCOMPARE(j.at(3).text, QString::fromUtf8("Temperature T4 25.91 °C"));
        QCOMPARE(j.at(4).verdict, Verdict::CheckOk);
        QCOMPARE(j.at(4).name, QStringLiteral("Code 9A"));
        QCOMPARE(j.at(5).verdict, Verdict::UnknownCode);
        QCOMPARE(j.at(6).verdict, Verdict::NotChecked);
        QCOMPARE(j.at(6).text, QStringLiteral("Parameter reply 4: version V1.2.3"));
        QCOMPARE(j.at(7).bytes, bytes({0x05}));
        const history::LinkFigures &f = rig.recorder->figures();
        QCOMPARE(f.noiseBytes, quint64(7));
        QCOMPARE(f.framesIn, quint64(5));
        QCOMPARE(f.framesByCode[0xE6], quint64(1));
        QCOMPARE(f.unknownCodes, quint64(1));
        QCOMPARE(f.bytesIn,
                 quint64(7 + status.size() + 6 + known.size() + unknown.size() + param.size()));
    }

    void aLoneCodeByteAtTheEndOfAQuietLineIsNoise() {
        Rig rig;
        rig.feed(systemStatus(0, 0, 0) + bytes({0xE6}));
        const history::Journal &j = rig.recorder->journal();
        QCOMPARE(j.size(), 2);
        QCOMPARE(j.at(1).direction, history::Direction::Skipped);
        QCOMPARE(j.at(1).bytes, bytes({0xE6}));
    }

    void theJournalRingKeepsTheNewestEntries() {
        Rig rig(5);
        for (int i = 0; i < 12; ++i)
            rig.feed(temperatureReading(1000 + i, 2));
        const history::Journal &j = rig.recorder->journal();
        QCOMPARE(j.size(), 5);
        QCOMPARE(j.appended(), quint64(12));
        for (int k = 0; k < 5; ++k)
            QCOMPARE(j.at(k).bytes, temperatureReading(1007 + k, 2));
    }

    void sentCommandsGiveCommandRowsAndJournalEntries() {
        Rig rig;
        Recorder &r = *rig.recorder;
        const auto send = [&r](const QByteArray &f) { r.frameSent(f, f.size()); };
        send(protocol::redLightFrame(1));
        send(protocol::redLightFrame(2));
        send(protocol::dcSwitchFrame(true));
        send(protocol::clearAllFaultsFrame());
        send(protocol::settingsReadFrame());
        protocol::SystemSettings s;
        s.faultDisableFiberInter = true;
        s.pdLeakageLevel = 300;
        send(protocol::settingsWriteFrame(s));
        QCOMPARE(rig.take(),
                 (QStringList{"command redLight on", "command redLight off", "command dcSwitch on",
                              "command clearAllFaults sent", "command settingsReadBack requested",
                              "command settingsWrite mode automatic, HPP off, PGM off, leakage "
                              "300, disabled: fiber interlock"}));
        QCOMPARE(r.journal().size(), 6);
        QCOMPARE(r.journal().at(2).text, QStringLiteral("DcSwitch on"));
        QCOMPARE(r.journal().at(4).text, QStringLiteral("ParameterRequest read 40"));
        QCOMPARE(r.figures().framesOut, quint64(6));
        // A port that refused the write sent nothing.
        r.frameSent(protocol::clearAllFaultsFrame(), -1);
        QCOMPARE(rig.take(), QStringList());
        QCOMPARE(r.journal().size(), 6);
    }

    void anAnsweredReadBackAndWriteGiveTheDecodedSettings() {
        Rig rig;
        rig.recorder->frameSent(protocol::settingsReadFrame(), 9);
        rig.state.sysSetReadBackState = protocol::handshakeWaiting;
        rig.take();
        protocol::SystemSettings s;
        s.redOnBeam = true;
        s.opModeUsr = 2;
        const QByteArray reply =
            parameterReply(protocol::parameterSystemSettings, protocol::encodeSystemSettings(s));
        rig.feed(reply);
        QCOMPARE(rig.take(),
                 QStringList{"settings readBack mode forced internal, HPP off, PGM off, "
                             "leakage 0; red on beam"});
        // A reply nobody asked for is not a new answer.
        rig.feed(reply);
        QCOMPARE(rig.take(), QStringList());
        rig.recorder->frameSent(protocol::settingsWriteFrame(s), 16);
        rig.state.sysSetWriteState = protocol::handshakeWaiting;
        rig.take();
        rig.feed(reply);
        QCOMPARE(rig.take().value(0).left(16), QStringLiteral("settings written"));
    }

    void linkRowsCarryThePortAndTheReason() {
        Rig rig;
        Recorder &r = *rig.recorder;
        r.portOpenFailed(QStringLiteral("ttyUSB0"), QStringLiteral("Permission denied"));
        r.portOpened(QStringLiteral("ttyUSB0"), QStringLiteral("USB serial"));
        r.portError(QStringLiteral("ttyUSB0"), QStringLiteral("Broken pipe"));
        r.deviceGone(QStringLiteral("ttyUSB0"), QStringLiteral("No such device"));
        r.portOpened(QStringLiteral("ttyUSB0"), QString());
        r.linkLost(QStringLiteral("ttyUSB0"));
        QVERIFY2(r.portIsOpen(), "still open while the link-lost box is shown");
        r.portClosedAfterLoss();
        r.portOpened(QStringLiteral("ttyUSB0"), QString());
        r.portClosed(QStringLiteral("ttyUSB0"));
        QStringList details;
        for (const Event &e : rig.events)
            details << e.name + QLatin1Char('|') + e.detail;
        QCOMPARE(details,
                 (QStringList{"open_failed|ttyUSB0: Permission denied",
                              "opened|ttyUSB0 (USB serial)", "port_error|ttyUSB0: Broken pipe",
                              "device_gone|ttyUSB0: No such device", "opened|ttyUSB0",
                              "link_lost|ttyUSB0", "opened|ttyUSB0", "closed|ttyUSB0"}));
        for (const Event &e : rig.events)
            QCOMPARE(e.category, QStringLiteral("link"));
        QCOMPARE(r.figures().lastPortError, QStringLiteral("No such device"));
        QVERIFY(!r.portIsOpen());
    }

    void samplesComeOnceASecondWhileOpenWithFullPrecision() {
        Rig rig;
        Recorder &r = *rig.recorder;
        rig.feed(temperatureReading(2591, 2));
        r.secondElapsed();
        QVERIFY2(rig.samples.empty(), "no sample while the port is closed");
        r.portOpened(QStringLiteral("ttyUSB0"), QString());
        r.secondElapsed();
        QVERIFY2(rig.samples.empty(), "no sample before values arrived on this open");
        rig.feed(temperatureReading(2591, 2) + temperatureReading(1805, 3));
        rig.clock.now += 1000;
        r.secondElapsed();
        QCOMPARE(rig.samples.size(), size_t(1));
        QCOMPARE(rig.samples[0].waterIn, 25.91);
        QCOMPARE(rig.samples[0].waterOut, 18.05);
        QVERIFY(std::isnan(rig.samples[0].dewPoint));
        QCOMPARE(rig.samples[0].at, rig.clock.now);
        rig.feed(dewPoint(1234));
        r.secondElapsed();
        QCOMPARE(rig.samples.size(), size_t(2));
        QCOMPARE(rig.samples[1].dewPoint, 12.34);
        // What the plant's status takes between samples.
        QCOMPARE(r.currentValues().waterIn, 25.91);
        QCOMPARE(r.currentValues().dewPoint, 12.34);
        // A dew-point frame with wrong check bytes is no value.
        rig.feed(corrupted(dewPoint(999)));
        r.secondElapsed();
        QCOMPARE(rig.samples[2].dewPoint, 12.34);
        r.portClosed(QStringLiteral("ttyUSB0"));
        r.secondElapsed();
        QCOMPARE(rig.samples.size(), size_t(3));
    }

    void theFiguresCountAndReset() {
        Rig rig;
        Recorder &r = *rig.recorder;
        rig.feed(systemStatus(0, 0, 0) + corrupted(systemStatus(0, 0, 0)));
        r.passDone(true);
        r.passDone(false);
        rig.clock.now += 250;
        QCOMPARE(r.msSinceLastFrame(), qint64(250));
        r.secondElapsed();
        QCOMPARE(r.figures().framesPerSecond, 2.0);
        QCOMPARE(r.figures().earlyPasses, quint64(1));
        QCOMPARE(r.figures().checkFailures, quint64(1));
        r.resetFigures();
        QCOMPARE(r.figures().framesIn, quint64(0));
        QCOMPARE(r.figures().bytesIn, quint64(0));
        QCOMPARE(r.msSinceLastFrame(), qint64(-1));
    }

    void describedFramesReadAsDecodedValues_data() {
        fixture::columns<QByteArray, QString>("frame", "text");
        QTest::newRow("status none") << systemStatus(0, 0, 0) << "SystemStatus: no flag set";
        QTest::newRow("status all") << systemStatus(0x54, 0x48, 0x30)
                                    << "SystemStatus: DC on, laser ready, red light on, external "
                                       "e-stop, door interlock, system fault, chiller fault";
        QTest::newRow("water in") << temperatureReading(10, 2)
                                  << QString::fromUtf8("Temperature T3 0.10 °C");
        QTest::newRow("bad temperature")
            << bytes({0xE0, 0x04, 1, 1, 2, 1}) << "Temperature: malformed";
        QTest::newRow("dew point") << dewPoint(1234) << QString::fromUtf8("DewPoint 12.34 °C");
        QTest::newRow("dew point short")
            << make(0xE4, bytes({0, 0, 0, 1, 2})) << "DewPoint: wrong length 9";
        QTest::newRow("module") << moduleStatus(2, Module::qbh | Module::beamOn)
                                << "ModuleStatus module 2: QBH fault, beam on";
        QTest::newRow("no module") << moduleStatus(5) << "ModuleStatus: no module 5";
        QTest::newRow("driver")
            << driverChannel(1, 5, 0x02, 0)
            << "DriverBoard board 1 channel 5: over-temperature 2, version V1.0.0";
        QTest::newRow("clock") << make(0xEE, bytes({0, 0, 0, 0, 0, 0, 3, 1, 6, 8, 5, 0}))
                               << "Clock 2023-1-6 8:05";
        QTest::newRow("outputs") << parameterReply(33, bytes({2, 0, 0, 0, 0, 0, 0}))
                                 << "Parameter reply 33: outputs fault";
        QTest::newRow("unknown") << make(0x81, bytes({1})) << "Unknown, 5 bytes";
    }
    void describedFramesReadAsDecodedValues() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, text);
        QCOMPARE(protocol::describeReceivedFrame(frame), text);
    }
};

QTEST_GUILESS_MAIN(RecorderRowsTest)
#include "recorder_rows_test.moc"
