#pragma once

#include "protocol/device_state.h"

#include <QByteArray>

namespace protocol {

// What became of a received frame in the dispatcher.
enum class Verdict : quint8 {
    CheckOk,     // check bytes verified and right
    CheckFailed, // check bytes wrong: the frame was dropped
    NotChecked,  // 0xE0 and 0xEF carry no check bytes; taken as they are
    UnknownCode, // no handler for the code: dropped
};

// "check ok", "check failed", "not checked", "unknown code".
const char *verdictText(Verdict verdict);

// Routes one complete frame like dispatchFrame and says what became of it. Codes the CCB knows
// but the program does not show (0x9A, 0x9F, 0xAE, 0xDA, 0xDC, 0xDE) have their check bytes
// verified for the verdict; every other code without a handler is an unknown code.
Verdict dispatchFrameVerdict(const QByteArray &frame, DeviceState &state);

// Routes one complete frame by its code byte to its parser, verifying the check bytes first
// for every code except 0xE0 and 0xEF. Unknown codes and failed checks are dropped silently.
// Always returns 1.
int dispatchFrame(const QByteArray &frame, DeviceState &state);

} // namespace protocol
