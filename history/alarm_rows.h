#pragma once

#include "events/records.h"

#include <QString>

#include <vector>

namespace history {

// The rows the alarms on now follow from, read from log/history.sqlite on a read-only
// connection of the calling thread's own: the last link row written after which no alarm is
// known to be on, and every alarm row written after it, in the order they were written
// (activeAlarms() takes them as they are), whatever their times say.
// Each query is read to its end and finished before the call returns. A missing database is
// no error: nothing was recorded yet, and no rows come back.
bool readAlarmRows(const QString &path, std::vector<events::Event> *rows, QString *error);

} // namespace history
