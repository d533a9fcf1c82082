// The simulated CCB, checked against the program's own protocol code: what it sends must
// decode into the state it meant, and it must understand what the program sends.

#include "protocol/commands.h"
#include "protocol/device_state.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "protocol/reassembly.h"
#include "support/table.h"
#include "tools/ccb_sim/ccb_model.h"
#include "tools/ccb_sim/scenario.h"

#include <QTest>

#include <functional>

using ccbsim::CcbModel;
using ccbsim::Step;
using protocol::DeviceState;
using protocol::SystemSettings;

Q_DECLARE_METATYPE(std::function<void(DeviceState &)>)
Q_DECLARE_METATYPE(ccbsim::Step::Kind)

namespace {

const QDateTime fixedNow(QDate(2024, 3, 9), QTime(7, 5, 30));

// Every frame of one round through the program's dispatcher.
DeviceState applyRound(CcbModel &model, DeviceState state = DeviceState()) {
    for (const QByteArray &f : model.statusRound(fixedNow))
        protocol::dispatchFrame(f, state);
    return state;
}

// What a quiet simulator at its start values should make the program know.
DeviceState expectedAtStart() {
    DeviceState s;
    s.productType = QStringLiteral("FL-SIM-1000");
    s.serialNumber = QStringLiteral("SIM00000042");
    s.ccbDateTime = QStringLiteral("2024-3-9 7:05");
    s.ccbVersion = QStringLiteral("V1.0.7");
    s.driverBoardVersion[0][0] = QStringLiteral("D2.3.1");
    s.tempWaterIn = 24;
    s.tempWaterOut = 26;
    s.dewPointTemp = 12.5f;
    s.pwmDuty = 50;
    s.pwmFreq = 5000;
    s.analogIn1 = 512;
    s.dinPwm = true;
    s.dinDcOn = true;
    s.doutDcOn = true;
    s.dcOn = true;
    s.laserReady = true;
    return s;
}

// Any alarm also shows as a system fault, takes the ready state away and drives the alarm
// output.
void faulted(DeviceState &s) {
    s.systemFault = true;
    s.laserReady = false;
    s.doutFault = true;
}

QString describe(const DeviceState &s) {
    return QStringLiteral("estop=%1 door=%2 fault=%3 chiller=%4 red=%5 ready=%6 dc=%7 in=%8 out=%9 "
                          "dew=%10 module=%11")
        .arg(s.extEStop)
        .arg(s.doorInterlock)
        .arg(s.systemFault)
        .arg(s.chillerFault)
        .arg(s.redLightOn)
        .arg(s.laserReady)
        .arg(s.dcOn)
        .arg(s.tempWaterIn)
        .arg(s.tempWaterOut)
        .arg(double(s.dewPointTemp))
        .arg(int(s.displayModule));
}

class Sink : public protocol::FrameSink {
public:
    void frameComplete(const QByteArray &frame) override { frames << frame; }
    QList<QByteArray> frames;
};

} // namespace

class CcbModelTest : public QObject {
    Q_OBJECT

private slots:
    void statusRoundDecodesIntoTheIntendedState_data();
    void statusRoundDecodesIntoTheIntendedState();
    void everyStatusFrameHasTheLengthItsMessageRequires();
    void settingsReadIsAnsweredWithAFrameTheParsersAccept();
    void settingsWriteIsStoredAndAnsweredWithTheStoredValue_data();
    void settingsWriteIsStoredAndAnsweredWithTheStoredValue();
    void redLightWriteShowsInTheNextSystemStatus();
    void redLightWriteWithAnUnknownValueChangesNothing();
    void dcSwitchAndClearAllFaultsActOnTheState();
    void framesWithWrongCheckBytesAreIgnored();
    void parameterRequestForAnotherTargetIsIgnored();
    void badCrcSpoilsOnlyTheVerifiedFramesOfTheNextRound();
    void noiseNeverOpensAFrameNorSwallowsTheNextOne();
    void excludedMessagesAreLeftOutOfTheRound();
    void driftMovesReadingsOnlyWithinTheirBand();
    void moduleAlarmsBelongToTheReportingModule();
    void scenarioCommandsAreParsed_data();
    void scenarioCommandsAreParsed();
    void everyAlarmNameIsAcceptedAndListedInTheHelp();
    void everyLineOfTheShippedScenariosIsUnderstood();
    void logLinesAreStampedWithTheLocalWallTime();
};

void CcbModelTest::statusRoundDecodesIntoTheIntendedState_data() {
    using Change = std::function<void(DeviceState &)>;
    fixture::columns<QStringList, Change>("commands", "change");

    QTest::newRow("start values") << QStringList() << Change([](DeviceState &) {});
    QTest::newRow("estop") << QStringList{"alarm estop on"} << Change([](DeviceState &s) {
        s.extEStop = true;
        s.dinEStop2 = true;
        faulted(s);
    });
    QTest::newRow("estop on then off")
        << QStringList{"alarm estop on", "alarm estop off"} << Change([](DeviceState &) {});
    QTest::newRow("door") << QStringList{"alarm door on"} << Change([](DeviceState &s) {
        s.doorInterlock = true;
        faulted(s);
    });
    QTest::newRow("fault") << QStringList{"alarm fault on"} << Change(faulted);
    QTest::newRow("chiller") << QStringList{"alarm chiller on"} << Change([](DeviceState &s) {
        s.chillerFault = true;
        faulted(s);
    });
    QTest::newRow("qbh") << QStringList{"alarm qbh on"} << Change([](DeviceState &s) {
        s.moduleStatus[0].qbhFault = true;
        faulted(s);
    });
    QTest::newRow("fibre break") << QStringList{"alarm fiberbreak on"}
                                 << Change([](DeviceState &s) {
                                        s.moduleStatus[0].fiberBreakFault = true;
                                        faulted(s);
                                    });
    QTest::newRow("water in high") << QStringList{"alarm waterin on"} << Change([](DeviceState &s) {
        s.moduleStatus[0].waterInHiFault = true;
        faulted(s);
    });
    QTest::newRow("water out high") << QStringList{"alarm t4 on"} << Change([](DeviceState &s) {
        s.moduleStatus[0].waterOutHiFault = true;
        faulted(s);
    });
    QTest::newRow("pd") << QStringList{"alarm pd on"} << Change([](DeviceState &s) {
        s.moduleStatus[0].pdFault = true;
        faulted(s);
    });
    QTest::newRow("over-current") << QStringList{"alarm overcurrent on"}
                                  << Change([](DeviceState &s) {
                                         s.driverChannel[0][0].overCurrent1 = true;
                                         faulted(s);
                                     });
    QTest::newRow("over-temperature")
        << QStringList{"alarm overtemp on"} << Change([](DeviceState &s) {
               s.driverChannel[0][0].overTemp1 = true;
               faulted(s);
           });
    QTest::newRow("temperatures") << QStringList{"temp in 31", "temp out 28.99", "dew 7.25"}
                                  << Change([](DeviceState &s) {
                                         s.tempWaterIn = 31;
                                         s.tempWaterOut = 28; // whole degrees, rounded down
                                         s.dewPointTemp = 7.25f;
                                     });
    QTest::newRow("red light and beam")
        << QStringList{"red on", "beam on"} << Change([](DeviceState &s) {
               s.redLightOn = true;
               s.moduleStatus[0].beamOn = true;
               s.dinLaserOn = true;
           });
    QTest::newRow("dc off") << QStringList{"dc off"} << Change([](DeviceState &s) {
        s.dcOn = false;
        s.laserReady = false;
        s.dinDcOn = false;
        s.doutDcOn = false;
    });
    QTest::newRow("pwm and analog input")
        << QStringList{"pwm 0 0", "ai 1023"} << Change([](DeviceState &s) {
               s.pwmDuty = 0;
               s.pwmFreq = 0;
               s.dinPwm = false;
               s.analogIn1 = 1023;
           });
    QTest::newRow("module 2 with a fibre break")
        << QStringList{"module 2", "alarm fiberbreak on"} << Change([](DeviceState &s) {
               s.displayModule = 2;
               s.moduleStatus[2].fiberBreakFault = true;
               faulted(s);
           });
}

void CcbModelTest::statusRoundDecodesIntoTheIntendedState() {
    QFETCH(QStringList, commands);
    QFETCH(std::function<void(DeviceState &)>, change);

    CcbModel model;
    model.setDrift(false);
    for (const QString &c : commands)
        QCOMPARE(ccbsim::runCommand(c, model).kind, Step::Done);

    DeviceState expected = expectedAtStart();
    change(expected);
    const DeviceState got = applyRound(model);
    if (got != expected)
        QFAIL(qPrintable(
            QStringLiteral("got      %1\nexpected %2").arg(describe(got), describe(expected))));
}

void CcbModelTest::everyStatusFrameHasTheLengthItsMessageRequires() {
    // code -> frame size the program accepts (0: any size)
    const QMap<quint8, int> sizes{{0xE6, 0},  {0xE2, 0},  {0xE0, 6},  {0xE4, 10}, {0xE5, 12},
                                  {0xEE, 16}, {0xA2, 32}, {0xD2, 31}, {0xEF, 0}};
    CcbModel model;
    const QList<QByteArray> frames = model.statusRound(fixedNow);
    QCOMPARE(frames.size(), ccbsim::messageCount);
    for (const QByteArray &f : frames) {
        const quint8 code = quint8(f.at(0));
        QVERIFY2(sizes.contains(code), qPrintable(QString::number(code, 16)));
        if (sizes.value(code))
            QCOMPARE(f.size(), sizes.value(code));
        QCOMPARE(int(f.at(1)), f.size() - 2);
        for (int i = 1; i < f.size(); ++i)
            QVERIFY2((quint8(f.at(i)) & 0x80) == 0, "only the code byte may have bit 7 set");
        QVERIFY(CcbModel::hostAccepts(f));
        if (code != 0xE0) // temperature frames carry no check bytes
            QCOMPARE(protocol::checkFrame(f), protocol::frameCrcOk);
    }
}

void CcbModelTest::settingsReadIsAnsweredWithAFrameTheParsersAccept() {
    CcbModel model;
    SystemSettings stored;
    stored.hppEnabled = true;
    stored.opModeUsr = 2;
    stored.faultDisableDew = true;
    stored.redOnExternal = true;
    stored.pdLeakageLevel = 4050;
    model.setSettings(stored);

    QStringList events;
    const QList<QByteArray> answers = model.receive(protocol::settingsReadFrame(), &events);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(model.counters().settingsReads, quint64(1));
    QVERIFY(events.join('\n').contains(QStringLiteral("settings read")));

    DeviceState state;
    state.sysSetReadBackState = protocol::handshakeWaiting;
    protocol::dispatchFrame(answers.first(), state);
    QCOMPARE(state.sysSetReadBackState, quint8(protocol::handshakeAnswered));
    QVERIFY(state.settings == stored);
    // The reply is the request's layout with operation 0 and the seven value bytes.
    const QByteArray &a = answers.first();
    QCOMPARE(a.size(), 16);
    QCOMPARE(quint8(a.at(0)), quint8(0xEF));
    QCOMPARE(int(a.at(2)), 0x01);
    QCOMPARE(int(a.at(6)), 40);
    QCOMPARE(a.mid(7, 7), protocol::encodeSystemSettings(stored));
}

void CcbModelTest::settingsWriteIsStoredAndAnsweredWithTheStoredValue_data() {
    fixture::column<QByteArray>(
        "value", {{"all clear", QByteArray(7, '\0')},
                  {"every flag", QByteArray::fromHex("067F7F7F00 0000")},
                  {"mode 3, level 127", QByteArray::fromHex("18000000 7F 0000")},
                  {"qbh masked, red on beam", QByteArray::fromHex("00400220280000")}});
}

void CcbModelTest::settingsWriteIsStoredAndAnsweredWithTheStoredValue() {
    QFETCH(QByteArray, value);
    const SystemSettings wanted = protocol::decodeSystemSettings(value.constData());
    CcbModel model;
    QStringList events;
    const QList<QByteArray> answers = model.receive(protocol::settingsWriteFrame(wanted), &events);
    QVERIFY(model.settings() == wanted);
    QCOMPARE(model.counters().settingsWrites, quint64(1));
    QVERIFY(events.join('\n').contains(
        QStringLiteral("settings stored: %1")
            .arg(
                QString::fromLatin1(protocol::encodeSystemSettings(wanted).toHex(' ')).toUpper())));
    QCOMPARE(answers.size(), 1);

    DeviceState state;
    state.sysSetWriteState = protocol::handshakeWaiting;
    protocol::dispatchFrame(answers.first(), state);
    QVERIFY(state.settings == wanted);
    QCOMPARE(state.sysSetWriteState, quint8(protocol::handshakeAnswered));

    // A read afterwards gives the same value back.
    DeviceState again;
    protocol::dispatchFrame(model.receive(protocol::settingsReadFrame()).value(0), again);
    QVERIFY(again.settings == wanted);
}

void CcbModelTest::redLightWriteShowsInTheNextSystemStatus() {
    CcbModel model;
    model.setDrift(false);
    QVERIFY(!applyRound(model).redLightOn);

    QStringList events;
    model.receive(protocol::redLightFrame(1), &events);
    QVERIFY(model.redLightOn());
    QVERIFY(events.contains(QStringLiteral("red light on")));
    const QByteArray status = model.frame(ccbsim::Message::SystemStatus, fixedNow);
    QVERIFY(quint8(status.at(3)) & (1 << 6));
    QVERIFY(applyRound(model).redLightOn);

    model.receive(protocol::redLightFrame(2));
    QVERIFY(!(quint8(model.frame(ccbsim::Message::SystemStatus, fixedNow).at(3)) & (1 << 6)));
    QVERIFY(!applyRound(model).redLightOn);
    QCOMPARE(model.counters().redLightWrites, quint64(2));
}

void CcbModelTest::redLightWriteWithAnUnknownValueChangesNothing() {
    CcbModel model;
    model.setRedLight(true);
    model.receive(protocol::redLightFrame(3));
    QVERIFY(model.redLightOn());
    model.receive(protocol::redLightFrame(0));
    QVERIFY(model.redLightOn());
    QCOMPARE(model.counters().redLightWrites, quint64(0));
}

void CcbModelTest::dcSwitchAndClearAllFaultsActOnTheState() {
    CcbModel model;
    model.setDrift(false);
    QVERIFY(model.receive(protocol::dcSwitchFrame(false)).isEmpty());
    QVERIFY(!model.dcOn());
    DeviceState s = applyRound(model);
    QVERIFY(!s.dcOn);
    QVERIFY(!s.laserReady);
    model.receive(protocol::dcSwitchFrame(true));
    QVERIFY(applyRound(model).dcOn);

    for (const char *a : {"alarm estop on", "alarm qbh on", "alarm overtemp on"})
        ccbsim::runCommand(QString::fromLatin1(a), model);
    s = applyRound(model);
    QVERIFY(s.extEStop && s.systemFault && s.moduleStatus[0].qbhFault &&
            s.driverChannel[0][0].overTemp1);
    model.receive(protocol::clearAllFaultsFrame());
    s = applyRound(model);
    QVERIFY(!s.extEStop && !s.systemFault && !s.moduleStatus[0].qbhFault &&
            !s.driverChannel[0][0].overTemp1);
    QVERIFY(s.laserReady);
}

void CcbModelTest::framesWithWrongCheckBytesAreIgnored() {
    CcbModel model;
    const SystemSettings before = model.settings();
    SystemSettings other;
    other.aoPort = true;
    QByteArray write = protocol::settingsWriteFrame(other);
    write[write.size() - 1] = char(write.at(write.size() - 1) ^ 0x01);
    QByteArray red = protocol::redLightFrame(1);
    red[red.size() - 2] = char(red.at(red.size() - 2) ^ 0x10);

    QVERIFY(model.receive(write).isEmpty());
    QVERIFY(model.receive(red).isEmpty());
    QVERIFY(model.settings() == before);
    QVERIFY(!model.redLightOn());
    QCOMPARE(model.counters().badFramesReceived, quint64(2));
    QCOMPARE(model.counters().framesReceived, quint64(2));
}

void CcbModelTest::parameterRequestForAnotherTargetIsIgnored() {
    CcbModel model;
    // A read of parameter 40 addressed to a module (target 3) instead of the CCB.
    QByteArray frame = protocol::settingsReadFrame();
    frame.chop(2);
    frame[2] = char((protocol::operationRead << 3) | 3);
    protocol::appendCheckBytes(frame);
    QVERIFY(model.receive(frame).isEmpty());
    QCOMPARE(model.counters().settingsReads, quint64(0));
}

void CcbModelTest::badCrcSpoilsOnlyTheVerifiedFramesOfTheNextRound() {
    CcbModel model;
    model.setDrift(false);
    ccbsim::runCommand(QStringLiteral("temp in 33"), model);
    ccbsim::runCommand(QStringLiteral("alarm door on"), model);
    QCOMPARE(ccbsim::runCommand(QStringLiteral("badcrc"), model).kind, Step::Done);

    const QList<QByteArray> spoiled = model.statusRound(fixedNow);
    DeviceState s;
    int rejected = 0;
    for (const QByteArray &f : spoiled) {
        const quint8 code = quint8(f.at(0));
        const bool verified = code != 0xE0 && code != 0xEF;
        QCOMPARE(CcbModel::hostAccepts(f), !verified);
        if (verified) {
            QCOMPARE(protocol::checkFrame(f), protocol::frameCrcFail);
            ++rejected;
        }
        protocol::dispatchFrame(f, s);
    }
    QCOMPARE(rejected, 7);
    // Only the unverified messages got through: temperatures and parameters.
    QCOMPARE(s.tempWaterIn, 33);
    QCOMPARE(s.ccbVersion, QStringLiteral("V1.0.7"));
    QVERIFY(!s.doorInterlock);
    QVERIFY(s.productType.isEmpty());

    // The round after is whole again.
    for (const QByteArray &f : model.statusRound(fixedNow))
        QVERIFY(CcbModel::hostAccepts(f));
    QVERIFY(applyRound(model).doorInterlock);
}

void CcbModelTest::noiseNeverOpensAFrameNorSwallowsTheNextOne() {
    CcbModel model;
    const QByteArray noise = model.noise(5000);
    QCOMPARE(noise.size(), 5000);
    int highBytes = 0;
    for (char c : noise) {
        const quint8 b = quint8(c);
        QVERIFY2(b < 0x80 || b >= 0xFE, "noise must not hold a code byte");
        highBytes += b >= 0xFE;
    }
    QVERIFY(highBytes > 0); // the never-opening bytes are mixed in too

    const QByteArray status = model.frame(ccbsim::Message::SystemStatus, fixedNow);
    QByteArray line = noise + status + model.noise(100) + status;
    Sink sink;
    QCOMPARE(protocol::reassemble(line, sink), 2);
    QCOMPARE(sink.frames.value(0), status);
    QCOMPARE(sink.frames.value(1), status);
}

void CcbModelTest::excludedMessagesAreLeftOutOfTheRound() {
    CcbModel model;
    QCOMPARE(ccbsim::runCommand(QStringLiteral("exclude e6"), model).kind, Step::Done);
    QCOMPARE(ccbsim::runCommand(QStringLiteral("exclude tempout"), model).kind, Step::Done);
    const QList<QByteArray> frames = model.statusRound(fixedNow);
    QCOMPARE(frames.size(), ccbsim::messageCount - 2);
    for (const QByteArray &f : frames) {
        QVERIFY(quint8(f.at(0)) != 0xE6);
        QVERIFY(!(quint8(f.at(0)) == 0xE0 && f.at(4) == 3));
    }
    // Sent on its own it is still the current status.
    ccbsim::runCommand(QStringLiteral("alarm estop on"), model);
    const Step send = ccbsim::runCommand(QStringLiteral("send e6"), model);
    QCOMPARE(send.kind, Step::Send);
    DeviceState s;
    protocol::dispatchFrame(model.frame(send.message, fixedNow), s);
    QVERIFY(s.extEStop);
    // Spoiled on request, and only where the host verifies the check bytes.
    const QByteArray bad = model.frame(ccbsim::Message::SystemStatus, fixedNow, true);
    QCOMPARE(protocol::checkFrame(bad), protocol::frameCrcFail);
    QCOMPARE(bad.left(bad.size() - 1), model.frame(send.message, fixedNow).chopped(1));
    DeviceState untouched;
    protocol::dispatchFrame(bad, untouched);
    QVERIFY(!untouched.extEStop);
    QVERIFY(CcbModel::hostAccepts(model.frame(ccbsim::Message::TempIn, fixedNow, true)));
    ccbsim::runCommand(QStringLiteral("include e6"), model);
    QCOMPARE(model.statusRound(fixedNow).size(), ccbsim::messageCount - 1);
}

void CcbModelTest::driftMovesReadingsOnlyWithinTheirBand() {
    CcbModel model(7);
    ccbsim::runCommand(QStringLiteral("temp in 30"), model);
    QSet<int> seen;
    for (int i = 0; i < 200; ++i) {
        const DeviceState s = applyRound(model);
        QVERIFY2(s.tempWaterIn >= 28 && s.tempWaterIn <= 31, qPrintable(describe(s)));
        QVERIFY(s.dewPointTemp >= 12.0f && s.dewPointTemp <= 13.0f);
        seen.insert(int(model.tempIn() * 100));
    }
    QVERIFY(seen.size() > 20);

    ccbsim::runCommand(QStringLiteral("drift off"), model);
    ccbsim::runCommand(QStringLiteral("temp in 30"), model);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(applyRound(model).tempWaterIn, 30);
}

void CcbModelTest::moduleAlarmsBelongToTheReportingModule() {
    CcbModel model;
    ccbsim::runCommand(QStringLiteral("alarm pd on"), model);
    ccbsim::runCommand(QStringLiteral("module 1"), model);
    QVERIFY(!model.alarm(ccbsim::Alarm::Pd));
    DeviceState s = applyRound(model);
    QCOMPARE(int(s.displayModule), 1);
    QVERIFY(!s.moduleStatus[1].pdFault);
    QVERIFY(s.systemFault); // module 0 still has its alarm
    ccbsim::runCommand(QStringLiteral("module 0"), model);
    s = applyRound(model, s);
    QVERIFY(s.moduleStatus[0].pdFault);
}

void CcbModelTest::scenarioCommandsAreParsed_data() {
    fixture::columns<QString, ccbsim::Step::Kind, double>("line", "kind", "number");

    QTest::newRow("alarm") << "alarm estop on" << Step::Done << 0.0;
    QTest::newRow("alarm, upper case") << "ALARM QBH OFF" << Step::Done << 0.0;
    QTest::newRow("alarm all off") << "alarm all off" << Step::Done << 0.0;
    QTest::newRow("unknown alarm") << "alarm smoke on" << Step::Error << 0.0;
    QTest::newRow("alarm without state") << "alarm estop" << Step::Error << 0.0;
    QTest::newRow("temp") << "temp in 31" << Step::Done << 0.0;
    QTest::newRow("temp, bad side") << "temp up 31" << Step::Error << 0.0;
    QTest::newRow("temp, no number") << "temp out warm" << Step::Error << 0.0;
    QTest::newRow("dew") << "dew 12.5" << Step::Done << 0.0;
    QTest::newRow("silent") << "silent 30" << Step::Silent << 30.0;
    QTest::newRow("silent, fraction") << "silent 0.5" << Step::Silent << 0.5;
    QTest::newRow("silent, negative") << "silent -1" << Step::Error << 0.0;
    QTest::newRow("noise") << "noise 64" << Step::Noise << 64.0;
    QTest::newRow("badcrc") << "badcrc" << Step::Done << 0.0;
    QTest::newRow("badcrc, rounds") << "badcrc 3" << Step::Done << 0.0;
    QTest::newRow("module") << "module 2" << Step::Done << 0.0;
    QTest::newRow("module out of range") << "module 3" << Step::Error << 0.0;
    QTest::newRow("module, fraction") << "module 1.5" << Step::Error << 0.0;
    QTest::newRow("period") << "period 250" << Step::Period << 250.0;
    QTest::newRow("period 0") << "period 0" << Step::Error << 0.0;
    QTest::newRow("sleep") << "sleep 1500" << Step::Sleep << 1500.0;
    QTest::newRow("pace") << "pace 9600" << Step::Pace << 9600.0;
    QTest::newRow("pace off") << "pace off" << Step::Pace << 0.0;
    QTest::newRow("send round") << "send" << Step::SendRound << 0.0;
    QTest::newRow("send one") << "send ee" << Step::Send << 0.0;
    QTest::newRow("send one, bad") << "send e6 bad" << Step::Send << 1.0;
    QTest::newRow("send unknown") << "send ff" << Step::Error << 0.0;
    QTest::newRow("send, bad word") << "send e6 worse" << Step::Error << 0.0;
    QTest::newRow("settings") << "settings" << Step::Settings << 0.0;
    QTest::newRow("settings, store") << "settings 02000000280000" << Step::Done << 0.0;
    QTest::newRow("settings, short") << "settings 0200" << Step::Error << 0.0;
    QTest::newRow("stats") << "stats" << Step::Stats << 0.0;
    QTest::newRow("loop") << "loop" << Step::Loop << 0.0;
    QTest::newRow("quit") << "quit" << Step::Quit << 0.0;
    QTest::newRow("comment") << "   # nothing here" << Step::Nothing << 0.0;
    QTest::newRow("empty") << "" << Step::Nothing << 0.0;
    QTest::newRow("command and comment") << "red on # light" << Step::Done << 0.0;
    QTest::newRow("unknown") << "explode" << Step::Error << 0.0;
}

void CcbModelTest::scenarioCommandsAreParsed() {
    QFETCH(QString, line);
    QFETCH(ccbsim::Step::Kind, kind);
    QFETCH(double, number);
    CcbModel model;
    const Step step = ccbsim::runCommand(line, model);
    QCOMPARE(step.kind, kind);
    if (kind != Step::Done && kind != Step::Error && kind != Step::Nothing)
        QCOMPARE(step.number, number);
    if (kind == Step::Error)
        QVERIFY(!step.text.isEmpty());
}

void CcbModelTest::everyAlarmNameIsAcceptedAndListedInTheHelp() {
    const QString help = ccbsim::scenarioHelp();
    QCOMPARE(ccbsim::alarmNames().size(), ccbsim::alarmCount);
    for (const QString &name : ccbsim::alarmNames()) {
        QVERIFY2(help.contains(QStringLiteral(" ") + name + QStringLiteral(" ")), qPrintable(name));
        CcbModel model;
        QCOMPARE(ccbsim::runCommand(QStringLiteral("alarm %1 on").arg(name), model).kind,
                 Step::Done);
        ccbsim::Alarm a;
        QVERIFY(ccbsim::alarmFromName(name, &a));
        QVERIFY(model.alarm(a));
        QVERIFY(model.systemFault());
    }
    for (const char *word : {"silent", "noise", "badcrc", "module", "period", "sleep", "quit",
                             "temp in", "dew", "alarm"})
        QVERIFY2(help.contains(QLatin1String(word)), word);
}

void CcbModelTest::everyLineOfTheShippedScenariosIsUnderstood() {
    const QDir tools(QStringLiteral(LASER_SOURCE_DIR "/tools"));
    const QStringList scenarios = tools.entryList({QStringLiteral("*.scenario")}, QDir::Files);
    QVERIFY(scenarios.contains(QStringLiteral("demo.scenario")));
    for (const QString &name : scenarios) {
        QFile file(tools.filePath(name));
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(name));
        CcbModel model;
        int lineNumber = 0;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            ++lineNumber;
            const Step step = ccbsim::runCommand(line, model);
            QVERIFY2(step.kind != Step::Error, qPrintable(QStringLiteral("%1:%2: %3: %4")
                                                              .arg(name)
                                                              .arg(lineNumber)
                                                              .arg(line, step.text)));
        }
        QVERIFY2(lineNumber > 0, qPrintable(name));
    }
}

void CcbModelTest::logLinesAreStampedWithTheLocalWallTime() {
    QCOMPARE(ccbsim::logLine(QTime(14, 37, 45, 123), QStringLiteral("sent e6")),
             QStringLiteral("ccb-sim [14:37:45.123] sent e6"));
    // Leading zeros keep every stamp the same width, the hours run to 23.
    QCOMPARE(ccbsim::logLine(QTime(0, 0, 0, 5), QStringLiteral("x")),
             QStringLiteral("ccb-sim [00:00:00.005] x"));
    QCOMPARE(ccbsim::logLine(QTime(23, 59, 59, 999), QString()),
             QStringLiteral("ccb-sim [23:59:59.999] "));
}

QTEST_GUILESS_MAIN(CcbModelTest)
#include "ccb_model_test.moc"
