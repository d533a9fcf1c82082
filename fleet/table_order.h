#pragma once

#include "fleet/laser.h"

#include <vector>

// Where each laser's row stands in the fleet's table: alarms first, the newest on top, then
// offline, then the rest, each group by id.
namespace fleet {

// Where a laser's row stands: alarms first, then offline, then the rest.
enum class Group { Alarm = 0, Offline = 1, Online = 2 };

// A status older than `staleLimit` (ms) makes a laser offline.
Group group(const Laser &laser, qint64 now, qint64 staleLimit);
// Indexes of `lasers` in the order of the table.
std::vector<int> tableOrder(const std::vector<Laser> &lasers, qint64 now, qint64 staleLimit);

} // namespace fleet
