#pragma once

#include "events/records.h"

#include <QString>
#include <QtGlobal>

#include <functional>

namespace history {

// What the run that ended unexpectedly (killed, crashed, the power gone) wrote of its alarms: the
// history's newest ended_unexpectedly row, written at this start, and the "alarm" and "handling"
// rows that run wrote since it first opened the port (closed and opened again meanwhile), in the
// order they were written, whatever their times say. Read from log/history.sqlite on a read-only
// connection of the calling thread's own, in pages of endedRunPageRows: each page's query ends
// before `take` sees its rows, so a run of days (a switch chattering all along) is never held whole
// in memory and no read holds back the writer's checkpoints. `endedAt` is that row's time, 0 when
// the history has none (no rows then). False and why when the database cannot be read, or when the
// thread is asked to stop (seen between two pages); a missing database is no error.
constexpr int endedRunPageRows = 4096;
bool readEndedRunRows(const QString &path, const std::function<void(const events::Event &)> &take,
                      qint64 *endedAt, QString *error);

} // namespace history
