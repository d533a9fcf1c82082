#pragma once

#include "protocol/system_settings.h"

#include <QString>
#include <QtGlobal>

namespace protocol {

constexpr int moduleCount = 3;
constexpr int driverBoardCount = 3;
constexpr int driverChannelCount = 8; // channel = bank * 4 + slot

struct ModuleStatus {
    bool qbhFault = false;
    bool fiberBreakFault = false;
    bool waterInHiFault = false;
    bool waterOutHiFault = false;
    bool beamOn = false;
    bool pdFault = false;
};
bool operator==(const ModuleStatus &a, const ModuleStatus &b);
inline bool operator!=(const ModuleStatus &a, const ModuleStatus &b) {
    return !(a == b);
}

struct DriverChannel {
    bool overCurrent1 = false;
    bool overCurrent2 = false;
    bool overTemp1 = false;
    bool overTemp2 = false;
    bool overTemp3 = false;
    bool overTemp4 = false;
};
bool operator==(const DriverChannel &a, const DriverChannel &b);
inline bool operator!=(const DriverChannel &a, const DriverChannel &b) {
    return !(a == b);
}

// Handshake of the two settings requests.
enum : quint8 { handshakeIdle = 0, handshakeWaiting = 1, handshakeAnswered = 2 };

// Everything the program knows about the CCB. Written by the parsers, read by the tick and
// the display.
struct DeviceState {
    // product information
    QString productType;
    QString serialNumber;
    QString ccbDateTime;
    QString ccbVersion;
    QString driverBoardVersion[driverBoardCount][driverChannelCount];

    // temperatures
    qint32 tempWaterIn = 0;
    qint32 tempWaterOut = 0;
    float dewPointTemp = 0.0f;

    // inputs and outputs
    quint8 pwmDuty = 0;
    qint32 pwmFreq = 0;
    qint32 analogIn1 = 0;
    bool dinEStop2 = false;
    bool dinPwm = false;
    bool dinDcOn = false;
    bool dinLaserOn = false;
    bool doutDcOn = false;
    bool doutFault = false;

    // system status
    bool extEStop = false;
    bool doorInterlock = false;
    bool systemFault = false;
    bool chillerFault = false;
    bool redLightOn = false;
    bool laserReady = false;
    bool dcOn = false;

    // module status
    ModuleStatus moduleStatus[moduleCount];
    qint8 displayModule = 0;

    // driver channels
    DriverChannel driverChannel[driverBoardCount][driverChannelCount];

    // system settings (parameter 40)
    SystemSettings settings;

    // settings handshake
    quint8 sysSetReadBackState = handshakeIdle;
    quint8 sysSetWriteState = handshakeIdle;
};

// Returns the link-dependent fields to zero, false or the empty text: every system status
// flag, pwmDuty, pwmFreq, the temperatures, the parameter-32/33 inputs and outputs, the shown
// module's flags except pdFault, every driver-channel flag, the texts productType,
// serialNumber, ccbDateTime, ccbVersion and driverBoardVersion[0][0], all settings fields and
// both handshake bytes. Keeps displayModule, the shown module's pdFault, the other module
// records and the driver-board version texts other than board 0 channel 0.
void resetDeviceState(DeviceState &state);

// Compares every field (texts by content, NUL characters included).
bool operator==(const DeviceState &a, const DeviceState &b);
inline bool operator!=(const DeviceState &a, const DeviceState &b) {
    return !(a == b);
}

} // namespace protocol
