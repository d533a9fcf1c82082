#pragma once

#include "fleet/fleet_state.h"

#include <QStringList>

namespace fleet {

// What the fleet did not keep since the start, a reason a part, in the current language: the
// messages it ignored and why, the lasers over its bounds, the alarm lines, events and payloads it
// let go. Empty while it kept everything.
QStringList keptLineParts(const Fleet &fleet);

} // namespace fleet
