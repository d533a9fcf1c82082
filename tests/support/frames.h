#pragma once

#include "protocol/device_state.h"
#include "protocol/frame.h"

#include <QByteArray>
#include <QVector>
#include <initializer_list>

// Frames written the way the CCB writes them, for the protocol tests.
namespace frames {

// "99 03 00" -> the three bytes; spaces are ignored.
inline QByteArray hex(const char *text) {
    return QByteArray::fromHex(QByteArray(text));
}

inline QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// Code byte, length byte counting payload and check bytes, payload, check bytes.
inline QByteArray make(int code, const QByteArray &payload) {
    QByteArray f;
    f.append(char(code));
    f.append(char(payload.size() + 2));
    f.append(payload);
    protocol::appendCheckBytes(f);
    return f;
}

// The same frame with its last check byte off by one (still 7-bit).
inline QByteArray corrupted(QByteArray f) {
    f[f.size() - 1] = char((f.at(f.size() - 1) + 1) & 0x7F);
    return f;
}

// A parameter reply (operation 0, target 1) for parameter p with the given value bytes.
inline QByteArray parameterReply(int parameter, const QByteArray &value, int target = 1) {
    QByteArray payload;
    payload.append(char(target));
    payload.append(char(0));
    payload.append(char(0));
    payload.append(char((value.size() << 3) | ((parameter >> 7) & 1)));
    payload.append(char(parameter & 0x7F));
    payload.append(value);
    return make(0xEF, payload);
}

inline QByteArray zeros(int n) {
    return QByteArray(n, '\0');
}

// A state in which every field holds something that differs from its start value, so that any
// write a parser or the reset makes shows up.
inline protocol::DeviceState busyState() {
    using namespace protocol;
    DeviceState s;
    s.productType = QStringLiteral("type");
    s.serialNumber = QStringLiteral("serial");
    s.ccbDateTime = QStringLiteral("2001-1-1 1:01");
    s.ccbVersion = QStringLiteral("ccbver");
    for (auto &board : s.driverBoardVersion)
        for (auto &text : board)
            text = QStringLiteral("drvver");
    s.tempWaterIn = 77;
    s.tempWaterOut = 78;
    s.dewPointTemp = 12.5f;
    s.pwmDuty = 99;
    s.pwmFreq = 12345;
    s.analogIn1 = 555;
    s.dinEStop2 = s.dinPwm = s.dinDcOn = s.dinLaserOn = s.doutDcOn = s.doutFault = true;
    s.extEStop = s.doorInterlock = s.systemFault = s.chillerFault = true;
    s.redLightOn = s.laserReady = s.dcOn = true;
    for (auto &m : s.moduleStatus)
        m = ModuleStatus{true, true, true, true, true, true};
    s.displayModule = 1;
    for (auto &board : s.driverChannel)
        for (auto &c : board)
            c = DriverChannel{true, true, true, true, true, true};
    s.settings.opModeUsr = 3;
    s.settings.faultDisablePd = s.settings.redOnExternal = s.settings.hppEnabled = true;
    s.settings.pdLeakageLevel = 6350;
    s.sysSetReadBackState = handshakeWaiting;
    s.sysSetWriteState = handshakeWaiting;
    return s;
}

} // namespace frames
