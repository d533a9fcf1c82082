#pragma once

#include "events/records.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

namespace events {

// An alarm that is on, by its stored key, and since when (ms since 1970, UTC).
struct ActiveAlarm {
    QString name;
    qint64 since = 0;
};

// The link rows after which no alarm is known to be on: the port opened anew (the flags start
// again from nothing and an alarm still on gives a fresh row), closed, lost or gone, the state
// cleared, or the run ended unexpectedly (written at the next start; it ends the alarms raised
// up to its time).
QStringList linkNamesEndingAlarms();

// The alarms on after `rows` (oldest first, as written): an alarm is on from its last `on`
// row until an `off` row or one of the link rows above. Oldest first.
std::vector<ActiveAlarm> activeAlarms(const std::vector<Event> &rows);

} // namespace events
