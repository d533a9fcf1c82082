#include "protocol/device_state.h"

namespace protocol {

bool operator==(const ModuleStatus &a, const ModuleStatus &b) {
    return a.qbhFault == b.qbhFault && a.fiberBreakFault == b.fiberBreakFault &&
           a.waterInHiFault == b.waterInHiFault && a.waterOutHiFault == b.waterOutHiFault &&
           a.beamOn == b.beamOn && a.pdFault == b.pdFault;
}

bool operator==(const DriverChannel &a, const DriverChannel &b) {
    return a.overCurrent1 == b.overCurrent1 && a.overCurrent2 == b.overCurrent2 &&
           a.overTemp1 == b.overTemp1 && a.overTemp2 == b.overTemp2 && a.overTemp3 == b.overTemp3 &&
           a.overTemp4 == b.overTemp4;
}

void resetDeviceState(DeviceState &state) {
    // system status
    state.extEStop = false;
    state.doorInterlock = false;
    state.systemFault = false;
    state.chillerFault = false;
    state.redLightOn = false;
    state.laserReady = false;
    state.dcOn = false;

    state.pwmDuty = 0;
    state.pwmFreq = 0;

    state.tempWaterIn = 0;
    state.tempWaterOut = 0;
    state.dewPointTemp = 0.0f;

    state.dinEStop2 = false;
    state.dinPwm = false;
    state.dinDcOn = false;
    state.dinLaserOn = false;
    state.analogIn1 = 0;
    state.doutDcOn = false;
    state.doutFault = false;

    // Only the module on screen goes gray; its PD alarm stays lit, the other two modules keep
    // what they last reported.
    if (state.displayModule >= 0 && state.displayModule < moduleCount) {
        ModuleStatus &shown = state.moduleStatus[state.displayModule];
        shown.qbhFault = false;
        shown.fiberBreakFault = false;
        shown.waterInHiFault = false;
        shown.waterOutHiFault = false;
        shown.beamOn = false;
    }

    for (auto &board : state.driverChannel)
        for (auto &channel : board)
            channel = DriverChannel{};

    state.ccbVersion.clear();
    state.serialNumber.clear();
    state.productType.clear();
    state.ccbDateTime.clear();
    state.driverBoardVersion[0][0].clear();

    // Clearing the handshakes cancels a pending read-back or write without a time-out box.
    state.settings = SystemSettings{};
    state.sysSetReadBackState = handshakeIdle;
    state.sysSetWriteState = handshakeIdle;
}

bool operator==(const DeviceState &a, const DeviceState &b) {
    if (a.productType != b.productType || a.serialNumber != b.serialNumber ||
        a.ccbDateTime != b.ccbDateTime || a.ccbVersion != b.ccbVersion)
        return false;
    for (int board = 0; board < driverBoardCount; ++board)
        for (int ch = 0; ch < driverChannelCount; ++ch)
            if (a.driverBoardVersion[board][ch] != b.driverBoardVersion[board][ch] ||
                a.driverChannel[board][ch] != b.driverChannel[board][ch])
                return false;
    for (int m = 0; m < moduleCount; ++m)
        if (a.moduleStatus[m] != b.moduleStatus[m])
            return false;
    return a.tempWaterIn == b.tempWaterIn && a.tempWaterOut == b.tempWaterOut &&
           a.dewPointTemp == b.dewPointTemp && a.pwmDuty == b.pwmDuty && a.pwmFreq == b.pwmFreq &&
           a.analogIn1 == b.analogIn1 && a.dinEStop2 == b.dinEStop2 && a.dinPwm == b.dinPwm &&
           a.dinDcOn == b.dinDcOn && a.dinLaserOn == b.dinLaserOn && a.doutDcOn == b.doutDcOn &&
           a.doutFault == b.doutFault && a.extEStop == b.extEStop &&
           a.doorInterlock == b.doorInterlock && a.systemFault == b.systemFault &&
           a.chillerFault == b.chillerFault && a.redLightOn == b.redLightOn &&
           a.laserReady == b.laserReady && a.dcOn == b.dcOn && a.displayModule == b.displayModule &&
           a.settings == b.settings && a.sysSetReadBackState == b.sysSetReadBackState &&
           a.sysSetWriteState == b.sysSetWriteState;
}

} // namespace protocol
