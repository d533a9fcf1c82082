#pragma once

#include "events/records.h"

#include <QString>

#include <vector>

namespace history {

// The rows the alarms on now follow from, read from log/history.sqlite on a read-only
// connection of the calling thread's own: the last link row after which no alarm is known to
// be on, and every alarm row after it, oldest first (activeAlarms() takes them as they are).
// Each query is read to its end and finished before the call returns. A missing database is
// no error: nothing was recorded yet, and no rows come back.
bool readAlarmRows(const QString &path, std::vector<events::Event> *rows, QString *error);

} // namespace history
