// DeviceState: what resetDeviceState clears and keeps, and that comparison sees every field.

#include "support/frames.h"
#include "support/table.h"

#include "protocol/device_state.h"

#include <QTest>

#include <functional>

using namespace protocol;

using Change = std::function<void(DeviceState &)>;
Q_DECLARE_METATYPE(Change)

namespace {

constexpr qint8 shownModule = 1;

// Start values everywhere, with module 1 on screen.
DeviceState base() {
    DeviceState s;
    s.displayModule = shownModule;
    return s;
}

void addField(const QByteArray &name, const Change &change, bool cleared) {
    QTest::newRow(name.constData()) << change << cleared;
}

template <typename Record>
void addRecordFlags(const QByteArray &prefix, Record &(*pick)(DeviceState &),
                    const QVector<QPair<const char *, bool Record::*>> &flags, bool cleared) {
    for (const auto &f : flags) {
        const auto member = f.second;
        addField(
            prefix + f.first, [pick, member](DeviceState &s) { pick(s).*member = true; }, cleared);
    }
}

} // namespace

class DeviceStateTest : public QObject {
    Q_OBJECT

private slots:
    void resetClearsOrKeepsEachField_data() {
        fixture::columns<Change, bool>("change", "cleared");

        // texts
        addField(
            "productType", [](DeviceState &s) { s.productType = "P"; }, true);
        addField(
            "serialNumber", [](DeviceState &s) { s.serialNumber = "S"; }, true);
        addField(
            "ccbDateTime", [](DeviceState &s) { s.ccbDateTime = "2023-1-6 8:05"; }, true);
        addField(
            "ccbVersion", [](DeviceState &s) { s.ccbVersion = "V3.1"; }, true);
        addField(
            "ccbVersion of NUL characters only",
            [](DeviceState &s) { s.ccbVersion = QString(6, QChar(0)); }, true);
        for (int board = 0; board < driverBoardCount; ++board)
            for (int ch = 0; ch < driverChannelCount; ++ch)
                addField(
                    "driverBoardVersion[" + QByteArray::number(board) + "][" +
                        QByteArray::number(ch) + "]",
                    [board, ch](DeviceState &s) { s.driverBoardVersion[board][ch] = "V"; },
                    board == 0 && ch == 0);

        // temperatures and I/O
        addField(
            "tempWaterIn", [](DeviceState &s) { s.tempWaterIn = 25; }, true);
        addField(
            "tempWaterOut", [](DeviceState &s) { s.tempWaterOut = -3; }, true);
        addField(
            "dewPointTemp", [](DeviceState &s) { s.dewPointTemp = 0.01f; }, true);
        addField(
            "pwmDuty", [](DeviceState &s) { s.pwmDuty = 1; }, true);
        addField(
            "pwmFreq", [](DeviceState &s) { s.pwmFreq = 1; }, true);
        addField(
            "analogIn1", [](DeviceState &s) { s.analogIn1 = 1; }, true);
        // flags of the state itself
        auto whole = +[](DeviceState &s) -> DeviceState & { return s; };
        const QVector<QPair<const char *, bool DeviceState::*>> flags = {
            {"dinEStop2", &DeviceState::dinEStop2},
            {"dinPwm", &DeviceState::dinPwm},
            {"dinDcOn", &DeviceState::dinDcOn},
            {"dinLaserOn", &DeviceState::dinLaserOn},
            {"doutDcOn", &DeviceState::doutDcOn},
            {"doutFault", &DeviceState::doutFault},
            {"extEStop", &DeviceState::extEStop},
            {"doorInterlock", &DeviceState::doorInterlock},
            {"systemFault", &DeviceState::systemFault},
            {"chillerFault", &DeviceState::chillerFault},
            {"redLightOn", &DeviceState::redLightOn},
            {"laserReady", &DeviceState::laserReady},
            {"dcOn", &DeviceState::dcOn},
        };
        addRecordFlags<DeviceState>("", whole, flags, true);

        // modules: the shown one goes gray except its PD alarm; the others are not touched
        const QVector<QPair<const char *, bool ModuleStatus::*>> clearedModuleFlags = {
            {"qbhFault", &ModuleStatus::qbhFault},
            {"fiberBreakFault", &ModuleStatus::fiberBreakFault},
            {"waterInHiFault", &ModuleStatus::waterInHiFault},
            {"waterOutHiFault", &ModuleStatus::waterOutHiFault},
            {"beamOn", &ModuleStatus::beamOn},
        };
        const QVector<QPair<const char *, bool ModuleStatus::*>> pd = {
            {"pdFault", &ModuleStatus::pdFault}};
        auto shown = +[](DeviceState &s) -> ModuleStatus & { return s.moduleStatus[shownModule]; };
        auto first = +[](DeviceState &s) -> ModuleStatus & { return s.moduleStatus[0]; };
        auto last = +[](DeviceState &s) -> ModuleStatus & { return s.moduleStatus[2]; };
        addRecordFlags<ModuleStatus>("shown module ", shown, clearedModuleFlags, true);
        addRecordFlags<ModuleStatus>("shown module ", shown, pd, false);
        addRecordFlags<ModuleStatus>("module 0 ", first, clearedModuleFlags + pd, false);
        addRecordFlags<ModuleStatus>("module 2 ", last, clearedModuleFlags + pd, false);
        addField(
            "displayModule", [](DeviceState &s) { s.displayModule = 2; }, false);

        // every driver channel of every board
        const QVector<QPair<const char *, bool DriverChannel::*>> channelFlags = {
            {"overCurrent1", &DriverChannel::overCurrent1},
            {"overCurrent2", &DriverChannel::overCurrent2},
            {"overTemp1", &DriverChannel::overTemp1},
            {"overTemp2", &DriverChannel::overTemp2},
            {"overTemp3", &DriverChannel::overTemp3},
            {"overTemp4", &DriverChannel::overTemp4},
        };
        for (int board = 0; board < driverBoardCount; ++board)
            for (int ch = 0; ch < driverChannelCount; ++ch)
                for (const auto &f : channelFlags) {
                    const auto member = f.second;
                    addField(
                        "driverChannel[" + QByteArray::number(board) + "][" +
                            QByteArray::number(ch) + "]." + f.first,
                        [board, ch, member](DeviceState &s) {
                            s.driverChannel[board][ch].*member = true;
                        },
                        true);
                }

        // every settings field
        const QVector<QPair<const char *, bool SystemSettings::*>> settingsFlags = {
            {"hppEnabled", &SystemSettings::hppEnabled},
            {"pgmEnabled", &SystemSettings::pgmEnabled},
            {"faultDisableChiller", &SystemSettings::faultDisableChiller},
            {"faultDisableEStop1", &SystemSettings::faultDisableEStop1},
            {"faultDisableEStop2", &SystemSettings::faultDisableEStop2},
            {"faultDisableDew", &SystemSettings::faultDisableDew},
            {"faultDisableDoorInter", &SystemSettings::faultDisableDoorInter},
            {"faultDisablePdLeakage", &SystemSettings::faultDisablePdLeakage},
            {"faultDisablePd", &SystemSettings::faultDisablePd},
            {"faultDisableTh", &SystemSettings::faultDisableTh},
            {"faultDisableFiberInter", &SystemSettings::faultDisableFiberInter},
            {"faultDisableFiberBreak", &SystemSettings::faultDisableFiberBreak},
            {"faultDisableDcPwr", &SystemSettings::faultDisableDcPwr},
            {"aiPort", &SystemSettings::aiPort},
            {"redAuto", &SystemSettings::redAuto},
            {"aoPort", &SystemSettings::aoPort},
            {"laserOnUsrDisabled", &SystemSettings::laserOnUsrDisabled},
            {"dcFaultHiActive", &SystemSettings::dcFaultHiActive},
            {"doorInterLoActive", &SystemSettings::doorInterLoActive},
            {"doutLoActive", &SystemSettings::doutLoActive},
            {"pgmInit", &SystemSettings::pgmInit},
            {"redOnBeam", &SystemSettings::redOnBeam},
            {"redOnExternal", &SystemSettings::redOnExternal},
        };
        auto settings = +[](DeviceState &s) -> SystemSettings & { return s.settings; };
        addRecordFlags<SystemSettings>("settings.", settings, settingsFlags, true);
        addField(
            "settings.opModeUsr", [](DeviceState &s) { s.settings.opModeUsr = 3; }, true);
        addField(
            "settings.pdLeakageLevel", [](DeviceState &s) { s.settings.pdLeakageLevel = 50; },
            true);

        // the handshakes: a pending request is cancelled
        addField(
            "sysSetReadBackState waiting",
            [](DeviceState &s) { s.sysSetReadBackState = handshakeWaiting; }, true);
        addField(
            "sysSetReadBackState answered",
            [](DeviceState &s) { s.sysSetReadBackState = handshakeAnswered; }, true);
        addField(
            "sysSetWriteState waiting",
            [](DeviceState &s) { s.sysSetWriteState = handshakeWaiting; }, true);
        addField(
            "sysSetWriteState answered",
            [](DeviceState &s) { s.sysSetWriteState = handshakeAnswered; }, true);
    }
    void resetClearsOrKeepsEachField() {
        QFETCH(Change, change);
        QFETCH(bool, cleared);
        DeviceState state = base();
        change(state);
        // The comparison sees this field ...
        QVERIFY(state != base());
        const DeviceState changed = state;
        QVERIFY(state == changed);
        // ... and the reset either returns it to its start value or leaves it alone.
        resetDeviceState(state);
        QVERIFY(state == (cleared ? base() : changed));
    }

    void resetWithTheShownModulesPdAlarmLeavesItLit() {
        DeviceState state = frames::busyState(); // module 1 shown, every flag set
        resetDeviceState(state);
        QCOMPARE(state.displayModule, qint8(1));
        QVERIFY(state.moduleStatus[1] == (ModuleStatus{false, false, false, false, false, true}));
        QVERIFY(state.moduleStatus[0] == (ModuleStatus{true, true, true, true, true, true}));
        QVERIFY(state.moduleStatus[2] == (ModuleStatus{true, true, true, true, true, true}));
        QCOMPARE(state.driverBoardVersion[0][0], QString());
        QCOMPARE(state.driverBoardVersion[2][7], QStringLiteral("drvver"));
        QCOMPARE(state.sysSetReadBackState, quint8(handshakeIdle));
        QCOMPARE(state.sysSetWriteState, quint8(handshakeIdle));
        QVERIFY(state.settings == SystemSettings{});

        // A second reset finds nothing more to clear.
        const DeviceState once = state;
        resetDeviceState(state);
        QVERIFY(state == once);
    }

    void resetWithAModuleIndexOutsideTheRecordsTouchesNoRecord_data() {
        fixture::column<int>("index", {{"-1", -1}, {"3", 3}, {"127", 127}});
    }
    void resetWithAModuleIndexOutsideTheRecordsTouchesNoRecord() {
        QFETCH(int, index);
        DeviceState state = frames::busyState();
        state.displayModule = qint8(index);
        resetDeviceState(state);
        for (const ModuleStatus &m : state.moduleStatus)
            QVERIFY(m == (ModuleStatus{true, true, true, true, true, true}));
        QCOMPARE(int(state.displayModule), index);
    }
};

QTEST_APPLESS_MAIN(DeviceStateTest)
#include "device_state_test.moc"
