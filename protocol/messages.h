#pragma once

#include "protocol/device_state.h"

#include <QByteArray>

// The nine CCB messages the program understands. Each parser takes the complete frame (code
// byte to last byte) and either applies all of it to the state or, when the frame breaks the
// message's rules, leaves every field as it was. No parser reads outside the frame.
namespace protocol {

void parseProductInfoReply(const QByteArray &frame, DeviceState &state);  // 0xA2
void parseDriverBoardReply(const QByteArray &frame, DeviceState &state);  // 0xD2
void parseTemperatureReply(const QByteArray &frame, DeviceState &state);  // 0xE0
void parseModuleStatusReply(const QByteArray &frame, DeviceState &state); // 0xE2
void parseDewPointReply(const QByteArray &frame, DeviceState &state);     // 0xE4
void parsePwmInputReply(const QByteArray &frame, DeviceState &state);     // 0xE5
void parseSystemStatusReply(const QByteArray &frame, DeviceState &state); // 0xE6
void parseClockReply(const QByteArray &frame, DeviceState &state);        // 0xEE
void parseParameterReply(const QByteArray &frame, DeviceState &state);    // 0xEF

// The seven value bytes, exactly as received, of a parameter-40 reply that
// parseParameterReply takes; empty for any other frame.
QByteArray settingsReplyValue(const QByteArray &frame);

} // namespace protocol
