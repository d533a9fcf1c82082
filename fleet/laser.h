#pragma once

#include "events/records.h"
#include "plant/fleet_messages.h"

#include <QString>

#include <deque>
#include <utility>
#include <vector>

// One laser as the fleet knows it, and what its times say by the fleet's clock: since when it is
// offline, how old its last frame is, whether its host's clock is off, when its status was made.
namespace fleet {

// A local time that is not known: a retained status whose own time cannot be believed.
constexpr qint64 unknownTime = 1;
// Host clocks further from the fleet's than this are marked.
constexpr qint64 clockSkewLimitMs = 5000;

struct Laser {
    QString id;
    bool hasStatus = false;
    plant::LaserStatus status;
    // The fleet's clock (ms since 1970) of the last status: when it arrived, or for a retained
    // one the time it says it was made, never later than its arrival; unknownTime when that
    // cannot be believed (in the future, or before 2000).
    qint64 statusTime = 0;
    bool flagKnown = false;
    bool flagOnline = false;
    bool flagRetained = false;
    qint64 flagTime = 0; // local, when the flag arrived
    qint64 heardAt = 0;  // local, when any message of it arrived last
    // The host's clock minus the fleet's, from its live statuses.
    bool skewKnown = false;
    qint64 clockSkew = 0;
    // When the newest of its active alarms came: the row's place among the alarms.
    qint64 alarmSince = 0;
    std::deque<events::Event> events; // newest first
    qint64 eventBytes = 0;
    quint64 eventsDropped = 0;
    qint64 offlineFor = 0; // steady ms, summed by sweep()
    qint64 bytes = 0;      // what it holds, as counted in Fleet::heldBytes()
    // The tokens of the starts of the hosts heard live under this id, with when (local ms), the
    // last heard last; at most maxInstances.
    std::vector<std::pair<QString, qint64>> instances;
    // When (local ms) a token was heard again after another one: two hosts alive under one id.
    qint64 twoHostsAt = 0;
    // Its host's last alarm summary (its last 24 h and 7 d), and when it arrived (local ms).
    bool hasSummary = false;
    plant::AlarmSummary summary;
    qint64 summaryTime = 0;
};

constexpr size_t maxInstances = 4;

// A live message of the host with the token `instance` (none from an older host) came at
// `received`: a token heard again after another one within `staleLimit` is a second host.
void heardInstance(Laser &laser, const QString &instance, qint64 received, qint64 staleLimit);
// The last will or goodbye of the host with the token `instance`: false when another host is
// still heard under this id (within `staleLimit`), so that the laser stays as that one says.
bool goneOffline(Laser &laser, const QString &instance, qint64 received, qint64 staleLimit);
// Two hosts publish under its id: one took turns with another within `staleLimit` of `now`.
bool twoHosts(const Laser &laser, qint64 now, qint64 staleLimit);

// Since when it counts as offline (local ms; unknownTime when not known), 0 when it does not: a
// status older than `staleLimit` (ms) makes a laser offline.
qint64 offlineSince(const Laser &laser, qint64 now, qint64 staleLimit);
// How old its last frame is (ms) by the fleet's clock, -1 without one.
qint64 lastFrameAge(const Laser &laser, qint64 now);
// Its clock differs from the fleet's by more than clockSkewLimitMs.
bool clockDiffers(const Laser &laser);
// The time of a status that came at `received` (the fleet's clock), and what it tells of the
// host's clock.
void setStatusTime(Laser &laser, const plant::LaserStatus &next, bool retained, qint64 received);

} // namespace fleet
