#pragma once

#include "events/records.h"
#include "plant/fleet_messages.h"

#include <QByteArray>
#include <QString>

// What each payload the fleet reads says, once its topic has told its kind and its laser: the
// online flag, the status, an event. Pure functions of the bytes, which they never trust.
namespace plant {

// "true" or "false".
Rejection parseOnline(const QByteArray &payload, bool &online);
// The status of `laserId`: refused when it names another laser.
Rejection parseStatus(const QByteArray &payload, const QString &laserId, LaserStatus &s);
// The alarm summary of `laserId` (summary_payload.h): refused when it names another laser, is of a
// newer version, over maxSummaryBytes or beyond any of its bounds.
Rejection parseSummary(const QByteArray &payload, const QString &laserId, AlarmSummary &s);
// An events-table row, its texts made visible and cut.
// `late`: sent from the host's history after an outage (absent: false; not a boolean: refused).
Rejection parseEvent(const QByteArray &payload, events::Event &e, bool *late = nullptr);

} // namespace plant
