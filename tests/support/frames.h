#pragma once

#include "protocol/device_state.h"
#include "protocol/frame.h"

#include <QByteArray>
#include <QVector>
#include <initializer_list>

// The one vocabulary of CCB frames for every test and the fuzz target: frames written the way
// the CCB writes them, one builder per message. Length bytes default to the ones the CCB
// sends; protocol tests give others to reach the parsers' edges.
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

// Code byte, length byte as given (even one that does not count the frame), payload, check
// bytes.
inline QByteArray withLengthByte(int code, int lengthByte, const QByteArray &payload) {
    QByteArray f;
    f.append(char(code));
    f.append(char(lengthByte));
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

// Seven value bytes of the settings (parameter 40).
inline QByteArray sevenBytes(quint8 b0, quint8 b1, quint8 b2, quint8 b3, quint8 b4, quint8 b5 = 0,
                             quint8 b6 = 0) {
    return bytes({b0, b1, b2, b3, b4, b5, b6});
}

// The parameter-40 write the program sends for these seven value bytes.
inline QByteArray settingsWrite(const QByteArray &value) {
    return make(0xEF, hex("11 00 00 38 28") + value);
}

// System status (0xE6) with three flag bytes; offset 4 carries laser-ready and DC-on.
constexpr quint8 laserReadyBit = 0x10;
constexpr quint8 dcOnBit = 0x20;
inline QByteArray systemStatus(quint8 b2, quint8 b3, quint8 b4) {
    return make(0xE6, bytes({b2, b3, b4}));
}

// The flags of a module status frame (0xE2), or-ed together for moduleStatus().
struct Module {
    static constexpr unsigned pdFault = 1 << 0;    // offset 2, any of bits 0..3
    static constexpr unsigned qbh = 1 << 1;        // offset 3 bit 6
    static constexpr unsigned fiberBreak = 1 << 2; // offset 3 bit 5
    static constexpr unsigned waterInHi = 1 << 3;  // offset 3 bit 2
    static constexpr unsigned waterOutHi = 1 << 4; // offset 3 bit 0
    static constexpr unsigned beamOn = 1 << 5;     // offset 5 bit 3
};
// Module status (0xE2, 11 bytes) for module `index` with the given Module flags.
inline QByteArray moduleStatus(int index, unsigned flags = 0) {
    const auto bit = [flags](unsigned flag, int value) { return (flags & flag) ? value : 0; };
    return make(0xE2, bytes({bit(Module::pdFault, 0x02),
                             bit(Module::qbh, 0x40) | bit(Module::fiberBreak, 0x20) |
                                 bit(Module::waterInHi, 0x04) | bit(Module::waterOutHi, 0x01),
                             0, bit(Module::beamOn, 0x08), 0, 0, index}));
}

inline QByteArray productInfo(const QByteArray &type16, const QByteArray &serial12,
                              int lengthByte = 30) {
    return withLengthByte(0xA2, lengthByte, type16 + serial12);
}

// The slot/bank byte of a driver-board reply for driver channel 0..7.
inline int driverSlot(int channel) {
    return ((channel / 4) << 4) | (channel % 4);
}
// Offsets 2..28 of a driver-board reply (0xD2): fault bytes, version at 19..24, slot/bank,
// board.
inline QByteArray driverBoard(int faults, int faults2, const QByteArray &version6, int slotBank,
                              int board, int lengthByte = 29) {
    QByteArray payload =
        bytes({faults, faults2}) + zeros(15) + version6 + zeros(2) + bytes({slotBank, board});
    return withLengthByte(0xD2, lengthByte, payload);
}

// A driver-board reply for one channel of `board` with its two fault bytes, version V1.0.0.
inline QByteArray driverChannel(int board, int channel, int faults, int faults2 = 0) {
    return driverBoard(faults, faults2, "V1.0.0", driverSlot(channel), board);
}

// Temperature (0xE0) carries no check bytes: a 14-bit value in two bytes, the channel and a
// zero byte. Channel 2 is water in, value / 100 in whole degrees.
inline QByteArray temperature(int high, int low, int channel, int last = 0, int lengthByte = 4) {
    return bytes({0xE0, lengthByte, high, low, channel, last});
}

// The same for a reading in hundredths of a degree (14 bits).
inline QByteArray temperatureReading(int hundredths, int channel) {
    return temperature((hundredths >> 7) & 0x7F, hundredths & 0x7F, channel);
}

// Dew point (0xE4): a 14-bit value in hundredths of a degree at offsets 5 and 6.
inline QByteArray dewPoint(int hundredths) {
    return make(0xE4, bytes({0, 0, 0, (hundredths >> 7) & 0x7F, hundredths & 0x7F, 0}));
}

inline QByteArray clock(int year, int month, int day, int hour, int minute, int lengthByte = 14) {
    return withLengthByte(0xEE, lengthByte, zeros(6) + bytes({year, month, day, hour, minute, 0}));
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
