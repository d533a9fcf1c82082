#pragma once

#include "plant/summary_payload.h"

#include <QString>
#include <QtGlobal>

#include <functional>

namespace service {

// The alarm summary of the history at `path` (log/history.sqlite) up to `now`: its last 24 hours
// and 7 days, as the alarm report reads them (the writer's tallies and the rows after its last
// fold), on the calling thread; call it on a worker. False, with `error`, when the history is
// not there, cannot be read or `cancelled` said so.
bool readAlarmSummary(const QString &path, qint64 now, plant::AlarmSummary *summary, QString *error,
                      const std::function<bool()> &cancelled = {});

} // namespace service
