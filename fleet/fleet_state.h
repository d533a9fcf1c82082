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
};

struct Laser {
    QString id;
    bool hasStatus = false;
    plant::LaserStatus status;
    // Local ms since 1970 of the last status: when it arrived, or for a retained one the time it
    // says it was made (it may be hours old).
    qint64 statusTime = 0;
    bool flagKnown = false;
    bool flagOnline = false;
    bool flagRetained = false;
    qint64 flagTime = 0; // local, when the flag arrived
    // When the newest of its active alarms came: the row's place among the alarms.
    qint64 alarmSince = 0;
    std::deque<history::Event> events; // newest first
    quint64 eventsDropped = 0;
};

// One line of the alarm list.
struct AlarmEntry {
    quint64 serial = 0;
    qint64 raisedAt = 0; // local ms
    QString laserId;
    QString key;
    bool acknowledged = false;
    qint64 clearedAt = 0; // 0 while active
};

// Where a laser's row stands: alarms first, then offline, then the rest.
enum class Group { Alarm = 0, Offline = 1, Online = 2 };

// Everything the fleet window knows of the lasers, fed message by message. No window, no timer:
// `now` is passed in, so tests drive time themselves.
class Fleet {
public:
    explicit Fleet(Limits limits = Limits());

    // One batch from the broker: counts its rejected messages and applies the others.
    void apply(const plant::FleetBatch &batch, qint64 now);
    void apply(const plant::FleetMessage &message, qint64 now);

    // A status older than this makes a laser offline. Default 30 s.
    void setStaleLimitMs(qint64 ms) { staleLimit = ms; }
    qint64 staleLimitMs() const { return staleLimit; }

    const std::vector<Laser> &lasers() const { return all; }
    int indexOf(const QString &id) const { return byId.value(id, -1); }

    bool isOffline(const Laser &laser, qint64 now) const;
    // Since when it counts as offline (local ms), 0 when it does not.
    qint64 offlineSince(const Laser &laser, qint64 now) const;
    Group group(const Laser &laser, qint64 now) const;
    // Laser indexes in the order of the table.
    std::vector<int> order(qint64 now) const;

    // The alarm list, newest first.
    const std::deque<AlarmEntry> &alarmList() const { return entries; }
    void acknowledge(quint64 serial);
    void acknowledgeAll();
    int unacknowledged() const;
    // Entries added at the top and dropped at the bottom since the last call; for the list's
    // model and the notifications.
    struct ListChange {
        int added = 0;
        int dropped = 0;
    };
    ListChange takeListChange();

    // What was not kept, since the start.
    const std::array<quint64, plant::rejectionKinds> &rejected() const { return rejections; }
    quint64 rejectedTotal() const;
    quint64 overrun() const { return overrunCount; }
    quint64 overLaserCap() const { return overCap; }
    quint64 alarmEntriesDropped() const { return entriesDropped; }
    quint64 eventsDropped() const { return eventsDroppedTotal; }
    const Limits &limits() const { return caps; }

private:
    Laser *laserFor(const QString &id);
    void applyStatus(Laser &laser, const plant::FleetMessage &message, qint64 now);
    void addEntry(const QString &laserId, const QString &key, qint64 now);

    Limits caps;
    qint64 staleLimit = 30000;
    std::vector<Laser> all;
    QHash<QString, int> byId;
    std::deque<AlarmEntry> entries;
    quint64 nextSerial = 1;
    ListChange change;
    std::array<quint64, plant::rejectionKinds> rejections{};
    quint64 overrunCount = 0;
    quint64 overCap = 0;
    quint64 entriesDropped = 0;
    quint64 eventsDroppedTotal = 0;
};

} // namespace fleet
