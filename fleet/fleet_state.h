#pragma once

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
};

// One line of the alarm list.
struct AlarmEntry {
    quint64 serial = 0;
    qint64 raisedAt = 0; // local ms
    QString laserId;
    QString key;
    bool acknowledged = false;
    qint64 clearedAt = 0;   // 0 while active
    bool laserGone = false; // cleared because the laser left the table
};

// Where a laser's row stands: alarms first, then offline, then the rest.
enum class Group { Alarm = 0, Offline = 1, Online = 2 };

// Everything the fleet window knows of the lasers, fed message by message. No window, no timer:
// `now` (the fleet's wall clock, ms since 1970) is passed in, so tests drive time themselves.
// The work per message is bounded: a status has a bounded number of alarm keys, and each is
// found by hash.
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

    bool isOffline(const Laser &laser, qint64 now) const;
    // Since when it counts as offline (local ms; unknownTime when not known), 0 when it does not.
    qint64 offlineSince(const Laser &laser, qint64 now) const;
    Group group(const Laser &laser, qint64 now) const;
    // Laser indexes in the order of the table.
    std::vector<int> order(qint64 now) const;
    // How old its last frame is (ms) by the fleet's clock, -1 without one.
    qint64 lastFrameAge(const Laser &laser, qint64 now) const;
    // Its clock differs from the fleet's by more than clockSkewLimitMs.
    static bool clockDiffers(const Laser &laser);

    // The alarm list, newest first.
    const std::deque<AlarmEntry> &alarmList() const { return entries; }
    void acknowledge(quint64 serial);
    void acknowledgeAll();
    int unacknowledged() const;
    // What happened to the list since the last call, in order, for the list's model: lines
    // added at the top, and lines removed at a row of the list as it was at that moment. With
    // too many changes, `reset` says to read the list anew.
    struct ListChange {
        int added = 0;
        int dropped = 0;
        std::vector<int> removedRows; // -1: a line added at the top
        bool reset = false;
    };
    ListChange takeListChange();

    // What was not kept, since the start.
    const std::array<quint64, plant::rejectionKinds> &rejected() const { return rejections; }
    quint64 rejectedTotal() const;
    quint64 overrun() const { return overrunCount; }
    quint64 overLaserCap() const { return overCap; }
    quint64 madeRoom() const { return evicted; }
    quint64 forgotten() const { return forgottenCount; }
    quint64 alarmEntriesDropped() const { return entriesDropped; }
    quint64 eventsDropped() const { return eventsDroppedTotal; }
    quint64 alarmsIgnored() const { return ignoredAlarms; }
    quint64 payloadsNotKept() const { return payloadsDropped; }
    // Bytes held now: every laser (summary, payload, events) and the alarm list.
    qint64 heldBytes() const { return held; }
    const Limits &limits() const { return caps; }

private:
    Laser *laserFor(const QString &id, qint64 now);
    void removeLaser(int index, qint64 now);
    void applyStatus(Laser &laser, const plant::FleetMessage &message, qint64 now);
    void clearStatus(Laser &laser, qint64 now);
    void addEvent(Laser &laser, const events::Event &event);
    void alarmRaised(const QString &laserId, const QString &key, qint64 now);
    void alarmCleared(const QString &laserId, const QString &key, qint64 now, bool gone);
    void dropEntry(size_t row);
    int entryRow(quint64 serial) const;
    void recount(Laser &laser);
    void keepWithinBudget(Laser &current);

    Limits caps;
    qint64 staleLimit = 30000;
    std::vector<Laser> all;
    QHash<QString, int> byId;
    quint64 membershipChanges = 0;
    std::deque<AlarmEntry> entries;
    QHash<QString, quint64> activeEntries; // laser id + '\n' + key -> serial
    QHash<QString, int> entriesPerLaser;
    quint64 nextSerial = 1;
    ListChange change;
    std::array<quint64, plant::rejectionKinds> rejections{};
    quint64 overrunCount = 0;
    quint64 overCap = 0;
    quint64 evicted = 0;
    quint64 forgottenCount = 0;
    quint64 entriesDropped = 0;
    quint64 eventsDroppedTotal = 0;
    quint64 ignoredAlarms = 0;
    quint64 payloadsDropped = 0;
    qint64 held = 0;
    size_t trimAt = 0; // the next laser whose payload makes room
    qint64 lastNow = 0;
};

} // namespace fleet
