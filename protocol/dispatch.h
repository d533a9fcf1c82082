#pragma once

#include "protocol/device_state.h"

#include <QByteArray>

namespace protocol {

// Routes one complete frame by its code byte to its parser, verifying the check bytes first
// for every code except 0xE0 and 0xEF. Unknown codes and failed checks are dropped silently.
// Always returns 1.
int dispatchFrame(const QByteArray &frame, DeviceState &state);

} // namespace protocol
