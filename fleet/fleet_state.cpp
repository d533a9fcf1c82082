#include "fleet/fleet_state.h"

#include <algorithm>

namespace fleet {

Fleet::Fleet(Limits limits) : caps(limits) {}

void Fleet::apply(const plant::FleetBatch &batch, qint64 now) {
    for (size_t i = 0; i < rejections.size(); ++i)
        rejections[i] += batch.rejected[i];
    overrunCount += batch.overrun;
    for (const plant::FleetMessage &m : batch.messages)
        apply(m, now);
}

Laser *Fleet::laserFor(const QString &id) {
    const auto found = byId.constFind(id);
    if (found != byId.constEnd())
        return &all[static_cast<size_t>(found.value())];
    if (static_cast<int>(all.size()) >= caps.maxLasers) {
        ++overCap;
        return nullptr;
    }
    byId.insert(id, static_cast<int>(all.size()));
    all.push_back(Laser{});
    all.back().id = id;
    return &all.back();
}

void Fleet::apply(const plant::FleetMessage &m, qint64 now) {
    Laser *laser = laserFor(m.laserId);
    if (!laser)
        return;
    switch (m.kind) {
    case plant::Kind::Online:
        laser->flagKnown = true;
        laser->flagOnline = m.online;
        laser->flagRetained = m.retained;
        laser->flagTime = now;
        break;
    case plant::Kind::Status:
        applyStatus(*laser, m, now);
        break;
    case plant::Kind::Event:
        laser->events.push_front(m.event);
        if (static_cast<int>(laser->events.size()) > caps.maxEventsPerLaser) {
            laser->events.pop_back();
            ++laser->eventsDropped;
            ++eventsDroppedTotal;
        }
        break;
    }
}

void Fleet::applyStatus(Laser &laser, const plant::FleetMessage &m, qint64 now) {
    const QStringList before = laser.hasStatus ? laser.status.alarms : QStringList();
    laser.status = m.status;
    laser.hasStatus = true;
    // A retained status may be old news: its own time is the best there is, never later than now.
    laser.statusTime = m.retained ? std::min(now, m.status.at) : now;

    const QStringList &after = laser.status.alarms;
    for (const QString &key : after)
        if (!before.contains(key)) {
            addEntry(laser.id, key, now);
            laser.alarmSince = now;
        }
    for (const QString &key : before) {
        if (after.contains(key))
            continue;
        for (AlarmEntry &e : entries)
            if (e.clearedAt == 0 && e.laserId == laser.id && e.key == key)
                e.clearedAt = now;
    }
    if (after.isEmpty())
        laser.alarmSince = 0;
}

void Fleet::addEntry(const QString &laserId, const QString &key, qint64 now) {
    AlarmEntry e;
    e.serial = nextSerial++;
    e.raisedAt = now;
    e.laserId = laserId;
    e.key = key;
    entries.push_front(e);
    ++change.added;
    if (static_cast<int>(entries.size()) > caps.maxAlarmEntries) {
        entries.pop_back();
        ++entriesDropped;
        // One that was added and dropped again between two looks never reached the list.
        if (change.added > caps.maxAlarmEntries)
            --change.added;
        else
            ++change.dropped;
    }
}

bool Fleet::isOffline(const Laser &laser, qint64 now) const {
    return offlineSince(laser, now) != 0;
}

qint64 Fleet::offlineSince(const Laser &laser, qint64 now) const {
    if (laser.flagKnown && !laser.flagOnline) {
        // A retained "false" is the will of a host that went before this window started; its
        // last status tells best when that was.
        if (laser.flagRetained && laser.hasStatus)
            return std::max<qint64>(1, std::min(laser.statusTime, laser.flagTime));
        return std::max<qint64>(1, laser.flagTime);
    }
    if (laser.hasStatus && now - laser.statusTime > staleLimit)
        return std::max<qint64>(1, laser.statusTime);
    return 0;
}

Group Fleet::group(const Laser &laser, qint64 now) const {
    if (laser.hasStatus && !laser.status.alarms.isEmpty())
        return Group::Alarm;
    return isOffline(laser, now) ? Group::Offline : Group::Online;
}

std::vector<int> Fleet::order(qint64 now) const {
    struct Key {
        int group;
        qint64 alarmSince;
        int index;
    };
    std::vector<Key> keys;
    keys.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const Laser &l = all[i];
        keys.push_back(Key{static_cast<int>(group(l, now)), l.alarmSince, static_cast<int>(i)});
    }
    std::sort(keys.begin(), keys.end(), [this](const Key &a, const Key &b) {
        if (a.group != b.group)
            return a.group < b.group;
        // The newest alarm on top.
        if (a.alarmSince != b.alarmSince)
            return a.alarmSince > b.alarmSince;
        return all[static_cast<size_t>(a.index)].id < all[static_cast<size_t>(b.index)].id;
    });
    std::vector<int> out;
    out.reserve(keys.size());
    for (const Key &k : keys)
        out.push_back(k.index);
    return out;
}

void Fleet::acknowledge(quint64 serial) {
    for (AlarmEntry &e : entries)
        if (e.serial == serial)
            e.acknowledged = true;
}

void Fleet::acknowledgeAll() {
    for (AlarmEntry &e : entries)
        e.acknowledged = true;
}

int Fleet::unacknowledged() const {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [](const AlarmEntry &e) { return !e.acknowledged; }));
}

Fleet::ListChange Fleet::takeListChange() {
    const ListChange c = change;
    change = ListChange();
    return c;
}

quint64 Fleet::rejectedTotal() const {
    quint64 sum = 0;
    for (quint64 n : rejections)
        sum += n;
    return sum;
}

} // namespace fleet
