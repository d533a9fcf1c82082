#pragma once

#include "fleet/alarm_entries.h"
#include "fleet/laser.h"
#include "fleet/table_order.h"
#include "plant/fleet_messages.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <vector>

namespace fleet {

// Bounds on what the fleet keeps, whatever the broker sends.
struct Limits {
    int maxLasers = 4000;
    int maxEventsPerLaser = 100;
    int maxAlarmEntries = 1000;
    // Of each laser's events, at most this many bytes (heldBytes); the oldest go first.
    qint64 maxEventBytesPerLaser = 24 * 1024;
    // One laser holds at most this many lines of the alarm list; its oldest go first, so that
    // an alarm that comes and goes all the time cannot push the other lasers' lines out.
    int maxAlarmEntriesPerLaser = 100;
    // A laser offline this long (counted by sweep(), not by the wall clock) is forgotten.
    qint64 forgetOfflineMs = 7 * 24 * 3600 * 1000LL;
    // Everything the state holds, in bytes (heldBytes()): each laser with its summary, payload
    // and events, and the alarm list. A status whose payload would go beyond it is kept
    // without its payload (counted).
    qint64 stateBytes = 320 * 1024 * 1024LL;
};

// Everything the fleet window knows of the lasers, fed message by message: the table of lasers by
// id and the alarm list it feeds, kept within the Limits (lasers made room for or forgotten,
// payloads dropped) and every loss counted. No window, no timer: `now` (the fleet's wall clock,
// ms since 1970) is passed in, so tests drive time themselves. The work per message is bounded: a
// status has a bounded number of alarm keys, and each is found by hash.
class Fleet {
public:
    explicit Fleet(Limits limits = Limits());

    // One batch from the broker: counts its rejected messages and applies the others.
    void apply(const plant::FleetBatch &batch, qint64 now);
    // Only the counts of a batch, whose messages are applied one by one.
    void count(const plant::FleetBatch &batch);
    void apply(const plant::FleetMessage &message, qint64 now);
    // The fleet's clock now. When it was set back, the local times kept move back with it, so
    // that nothing looks newer than now (apply() and sweep() look themselves).
    void advanceTo(qint64 now);
    // Once in a while, `elapsedMs` of a steady clock after the last: adds to the offline time
    // of each offline laser and forgets those offline for Limits::forgetOfflineMs.
    void sweep(qint64 now, qint64 elapsedMs);

    // A status older than this makes a laser offline. Default 30 s.
    void setStaleLimitMs(qint64 ms) { staleLimit = ms; }
    qint64 staleLimitMs() const { return staleLimit; }

    const std::vector<Laser> &lasers() const { return all; }
    int indexOf(const QString &id) const { return byId.value(id, -1); }
    // Changes whenever a laser comes or goes (indexes of lasers may change then).
    quint64 membership() const { return membershipChanges; }
    // Changes whenever a laser's alarm summary comes, goes or changes.
    quint64 summaries() const { return summaryChanges; }

    bool isOffline(const Laser &laser, qint64 now) const;
    // Since when it counts as offline (local ms; unknownTime when not known), 0 when it does not.
    qint64 offlineSince(const Laser &laser, qint64 now) const {
        return fleet::offlineSince(laser, now, staleLimit);
    }
    Group group(const Laser &laser, qint64 now) const {
        return fleet::group(laser, now, staleLimit);
    }
    // Laser indexes in the order of the table.
    std::vector<int> order(qint64 now) const { return tableOrder(all, now, staleLimit); }
    // How old its last frame is (ms) by the fleet's clock, -1 without one.
    qint64 lastFrameAge(const Laser &laser, qint64 now) const {
        return fleet::lastFrameAge(laser, now);
    }
    // Its clock differs from the fleet's by more than clockSkewLimitMs.
    static bool clockDiffers(const Laser &laser) { return fleet::clockDiffers(laser); }

    // The alarm list, newest first.
    const std::deque<AlarmEntry> &alarmList() const { return lines.list(); }
    void acknowledge(quint64 serial) { lines.acknowledge(serial); }
    void acknowledgeAll() { lines.acknowledgeAll(); }
    int unacknowledged() const { return lines.unacknowledged(); }
    // What happened to the list since the last call, for the list's model.
    using ListChange = AlarmEntries::ListChange;
    ListChange takeListChange() { return lines.takeListChange(); }

    // What was not kept, since the start.
    const std::array<quint64, plant::rejectionKinds> &rejected() const { return rejections; }
    quint64 rejectedTotal() const;
    quint64 overrun() const { return overrunCount; }
    quint64 overLaserCap() const { return overCap; }
    quint64 madeRoom() const { return evicted; }
    quint64 forgotten() const { return forgottenCount; }
    quint64 alarmEntriesDropped() const { return lines.dropped(); }
    quint64 eventsDropped() const { return eventsDroppedTotal; }
    quint64 alarmsIgnored() const { return ignoredAlarms; }
    quint64 payloadsNotKept() const { return payloadsDropped; }
    // Alarm summaries of lasers the fleet does not keep (it keeps a laser by its status or flag).
    quint64 summariesNotKept() const { return summariesRefused; }
    // Bytes held now: every laser (summary, payload, events) and the alarm list.
    qint64 heldBytes() const { return held + lines.heldBytes(); }
    const Limits &limits() const { return caps; }

private:
    Laser *laserFor(const QString &id, qint64 now);
    void removeLaser(int index, qint64 now);
    void applyStatus(Laser &laser, const plant::FleetMessage &message, qint64 now);
    void clearStatus(Laser &laser, qint64 now);
    // A late event (sent from the host's history after an outage) is filed by its time among
    // those shown, newest first; it raises nothing (alarm lines come from the status alone).
    void addEvent(Laser &laser, const events::Event &event, bool late = false);
    // An alarm summary, or its deletion: kept only for a laser the fleet keeps already.
    void applySummary(const plant::FleetMessage &message, qint64 received);
    void recount(Laser &laser);
    void keepWithinBudget(Laser &current);

    Limits caps;
    qint64 staleLimit = 30000;
    std::vector<Laser> all;
    QHash<QString, int> byId;
    quint64 membershipChanges = 0;
    quint64 summaryChanges = 0;
    quint64 summariesRefused = 0;
    AlarmEntries lines;
    std::array<quint64, plant::rejectionKinds> rejections{};
    quint64 overrunCount = 0;
    quint64 overCap = 0;
    quint64 evicted = 0;
    quint64 forgottenCount = 0;
    quint64 eventsDroppedTotal = 0;
    quint64 ignoredAlarms = 0;
    quint64 payloadsDropped = 0;
    qint64 held = 0;   // the lasers' bytes; the alarm list counts its own
    size_t trimAt = 0; // the next laser whose payload makes room
    qint64 lastNow = 0;
};

} // namespace fleet
