#include "fleet/fleet_state.h"

#include "events/alarm_names.h"

#include <algorithm>

namespace fleet {

namespace {

// 2000-01-01: a host's time before this is a clock that was never set.
constexpr qint64 earliestBelievable = 946684800000;
// A wall clock that goes back by more than this has been set back.
constexpr qint64 clockStepMs = 1000;

QString entryKey(const QString &laserId, const QString &key) {
    return laserId + QLatin1Char('\n') + key;
}

qint64 entryBytes(const AlarmEntry &e) {
    // The line, and its key in the two hashes that find it.
    return qint64(sizeof(AlarmEntry)) + plant::heldBytes(e.laserId) + plant::heldBytes(e.key) +
           2 * (32 + 2 * qint64(e.laserId.size() + e.key.size() + 1));
}

} // namespace

Fleet::Fleet(Limits limits) : caps(limits) {}

void Fleet::count(const plant::FleetBatch &batch) {
    for (size_t i = 0; i < rejections.size(); ++i)
        rejections[i] += batch.rejected[i];
    overrunCount += batch.overrun;
}

void Fleet::apply(const plant::FleetBatch &batch, qint64 now) {
    count(batch);
    for (const plant::FleetMessage &m : batch.messages)
        apply(m, now);
}

void Fleet::advanceTo(qint64 now) {
    if (lastNow != 0 && now < lastNow - clockStepMs) {
        const qint64 shift = now - lastNow;
        const auto move = [shift](qint64 &t) {
            if (t > unknownTime)
                t = std::max(unknownTime + 1, t + shift);
        };
        for (Laser &l : all) {
            move(l.statusTime);
            move(l.flagTime);
            move(l.heardAt);
            move(l.alarmSince);
        }
    }
    lastNow = now;
}

Laser *Fleet::laserFor(const QString &id, qint64 now) {
    const auto found = byId.constFind(id);
    if (found != byId.constEnd())
        return &all[static_cast<size_t>(found.value())];
    if (static_cast<int>(all.size()) >= caps.maxLasers) {
        // The laser offline the longest makes room; with none offline, the new one is refused.
        int longest = -1;
        qint64 longestSince = 0;
        for (size_t i = 0; i < all.size(); ++i) {
            const qint64 since = offlineSince(all[i], now);
            if (since != 0 && (longest < 0 || since < longestSince)) {
                longest = static_cast<int>(i);
                longestSince = since;
            }
        }
        if (longest < 0) {
            ++overCap;
            return nullptr;
        }
        removeLaser(longest, now);
        ++evicted;
    }
    byId.insert(id, static_cast<int>(all.size()));
    all.push_back(Laser{});
    all.back().id = id;
    ++membershipChanges;
    recount(all.back());
    return &all.back();
}

void Fleet::removeLaser(int index, qint64 now) {
    Laser &l = all[static_cast<size_t>(index)];
    if (l.hasStatus)
        for (const QString &key : l.status.alarmKeys())
            alarmCleared(l.id, key, now, true);
    held -= l.bytes;
    byId.remove(l.id);
    if (static_cast<size_t>(index) + 1 != all.size()) {
        l = std::move(all.back());
        byId.insert(l.id, index);
    }
    all.pop_back();
    ++membershipChanges;
}

void Fleet::apply(const plant::FleetMessage &m, qint64 now) {
    advanceTo(now);
    // The fleet's clock when the message came; never later than now.
    const qint64 received = m.receivedAt > 0 ? std::min(m.receivedAt, now) : now;
    if (m.cleared) {
        const int index = indexOf(m.laserId);
        if (index < 0)
            return;
        Laser &l = all[static_cast<size_t>(index)];
        const bool statusLeft = m.kind == plant::Kind::Status || !l.hasStatus;
        const bool flagLeft = m.kind == plant::Kind::Online || !l.flagKnown;
        // Both its retained topics deleted: the laser has left the broker, and the table.
        if (statusLeft && flagLeft) {
            removeLaser(index, now);
            return;
        }
        if (m.kind == plant::Kind::Status) {
            clearStatus(l, now);
        } else {
            l.flagKnown = false;
            l.flagOnline = false;
        }
        recount(l);
        return;
    }
    Laser *laser = laserFor(m.laserId, now);
    if (!laser)
        return;
    laser->heardAt = received;
    switch (m.kind) {
    case plant::Kind::Online:
        laser->flagKnown = true;
        laser->flagOnline = m.online;
        laser->flagRetained = m.retained;
        laser->flagTime = received;
        break;
    case plant::Kind::Status:
        applyStatus(*laser, m, now);
        break;
    case plant::Kind::Event:
        addEvent(*laser, m.event);
        break;
    }
    recount(*laser);
    if (held > caps.stateBytes)
        keepWithinBudget(*laser);
}

void Fleet::keepWithinBudget(Laser &current) {
    // Within the budget without them: the summaries stay, the details wait for the next status.
    const auto drop = [this](Laser &l) {
        if (l.status.payload.isEmpty())
            return;
        l.status.payload = QByteArray();
        ++payloadsDropped;
        recount(l);
    };
    drop(current);
    // Events and alarm lines that come on top of the payloads: other lasers' payloads make room,
    // in turn.
    for (size_t n = 0; n < all.size() && held > caps.stateBytes; ++n)
        drop(all[trimAt++ % all.size()]);
}

void Fleet::applyStatus(Laser &laser, const plant::FleetMessage &m, qint64 now) {
    const plant::LaserStatus &next = m.status;
    const qint64 received = m.receivedAt > 0 ? std::min(m.receivedAt, now) : now;
    const quint64 before = laser.hasStatus ? laser.status.knownAlarms : 0;
    const QStringList otherBefore = laser.hasStatus ? laser.status.otherAlarms : QStringList();

    // What changed, bit by bit and among at most a few other keys: no pass over any list.
    bool raised = false;
    for (int bit = 0; bit < events::knownAlarmBits; ++bit) {
        const quint64 mask = quint64(1) << bit;
        if ((next.knownAlarms & mask) && !(before & mask)) {
            alarmRaised(laser.id, events::alarmKeyOfBit(bit), now);
            raised = true;
        } else if (!(next.knownAlarms & mask) && (before & mask)) {
            alarmCleared(laser.id, events::alarmKeyOfBit(bit), now, false);
        }
    }
    for (const QString &key : next.otherAlarms)
        if (!otherBefore.contains(key)) {
            alarmRaised(laser.id, key, now);
            raised = true;
        }
    for (const QString &key : otherBefore)
        if (!next.otherAlarms.contains(key))
            alarmCleared(laser.id, key, now, false);
    ignoredAlarms += quint64(next.alarmsIgnored);

    laser.status = next;
    laser.hasStatus = true;
    if (raised)
        laser.alarmSince = now;
    if (!laser.status.hasAlarms())
        laser.alarmSince = 0;

    // The fleet's clock decides how old a status is: a live one is as old as the time since it
    // came, and tells how far the host's clock is off.
    if (!m.retained) {
        laser.statusTime = received;
        laser.skewKnown = true;
        laser.clockSkew = next.at - received;
    } else if (next.at > received + clockSkewLimitMs) {
        // From the future: no telling when it was made; offline until a live one comes.
        laser.statusTime = unknownTime;
        laser.skewKnown = true;
        laser.clockSkew = std::max(laser.clockSkew, next.at - received);
    } else if (next.at < earliestBelievable) {
        laser.statusTime = unknownTime;
    } else {
        // As old as it says, by the host's clock put right where it is known; never newer
        // than its arrival.
        const qint64 made = laser.skewKnown ? next.at - laser.clockSkew : next.at;
        laser.statusTime = std::max(earliestBelievable, std::min(made, received));
    }
}

void Fleet::clearStatus(Laser &laser, qint64 now) {
    if (laser.hasStatus)
        for (const QString &key : laser.status.alarmKeys())
            alarmCleared(laser.id, key, now, false);
    laser.status = plant::LaserStatus();
    laser.hasStatus = false;
    laser.statusTime = 0;
    laser.alarmSince = 0;
}

void Fleet::addEvent(Laser &laser, const events::Event &event) {
    laser.events.push_front(event);
    laser.eventBytes += plant::heldBytes(event);
    while (static_cast<int>(laser.events.size()) > caps.maxEventsPerLaser ||
           (laser.eventBytes > caps.maxEventBytesPerLaser && laser.events.size() > 1)) {
        laser.eventBytes -= plant::heldBytes(laser.events.back());
        laser.events.pop_back();
        ++laser.eventsDropped;
        ++eventsDroppedTotal;
    }
}

void Fleet::recount(Laser &laser) {
    // The laser with its id in the hash, its events' first block, its summary and payload.
    qint64 bytes = qint64(sizeof(Laser)) + 640 + 2 * plant::heldBytes(laser.id) + laser.eventBytes;
    if (laser.hasStatus) {
        bytes += plant::heldBytes(laser.status.port);
        if (!laser.status.payload.isEmpty())
            bytes += 32 + laser.status.payload.capacity();
        for (const QString &key : laser.status.otherAlarms)
            bytes += 8 + plant::heldBytes(key);
    }
    held += bytes - laser.bytes;
    laser.bytes = bytes;
}

void Fleet::alarmRaised(const QString &laserId, const QString &key, qint64 now) {
    AlarmEntry e;
    e.serial = nextSerial++;
    e.raisedAt = now;
    e.laserId = laserId;
    e.key = key;
    held += entryBytes(e);
    activeEntries.insert(entryKey(laserId, key), e.serial);
    entries.push_front(std::move(e));
    ++change.added;
    change.removedRows.push_back(-1);
    int &ofLaser = entriesPerLaser[laserId];
    if (++ofLaser > caps.maxAlarmEntriesPerLaser) {
        for (size_t row = entries.size(); row-- > 0;)
            if (entries[row].laserId == laserId) {
                dropEntry(row);
                break;
            }
    }
    if (static_cast<int>(entries.size()) > caps.maxAlarmEntries)
        dropEntry(entries.size() - 1);
    // A list's model would do better to read it all again than to follow this many steps.
    if (static_cast<int>(change.removedRows.size()) > 2 * caps.maxAlarmEntries) {
        change.reset = true;
        change.removedRows.clear();
    }
}

void Fleet::dropEntry(size_t row) {
    const AlarmEntry &e = entries[row];
    if (e.clearedAt == 0) {
        const auto active = activeEntries.find(entryKey(e.laserId, e.key));
        if (active != activeEntries.end() && active.value() == e.serial)
            activeEntries.erase(active);
    }
    const auto count = entriesPerLaser.find(e.laserId);
    if (count != entriesPerLaser.end() && --count.value() <= 0)
        entriesPerLaser.erase(count);
    held -= entryBytes(e);
    // The lines added since the last look are the top ones: one of them never reached a model.
    if (static_cast<int>(row) < change.added)
        --change.added;
    else
        ++change.dropped;
    if (!change.reset)
        change.removedRows.push_back(static_cast<int>(row));
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(row));
    ++entriesDropped;
}

int Fleet::entryRow(quint64 serial) const {
    // Newest first: the serials fall down the list.
    const auto it =
        std::lower_bound(entries.begin(), entries.end(), serial,
                         [](const AlarmEntry &e, quint64 wanted) { return e.serial > wanted; });
    return it != entries.end() && it->serial == serial ? static_cast<int>(it - entries.begin())
                                                       : -1;
}

void Fleet::alarmCleared(const QString &laserId, const QString &key, qint64 now, bool gone) {
    const auto active = activeEntries.find(entryKey(laserId, key));
    if (active == activeEntries.end())
        return;
    const int row = entryRow(active.value());
    activeEntries.erase(active);
    if (row < 0)
        return;
    entries[static_cast<size_t>(row)].clearedAt = now;
    entries[static_cast<size_t>(row)].laserGone = gone;
}

void Fleet::sweep(qint64 now, qint64 elapsedMs) {
    advanceTo(now);
    // Backwards: a removed laser's place takes the last one, already seen.
    for (size_t i = all.size(); i-- > 0;) {
        Laser &l = all[i];
        if (!isOffline(l, now)) {
            l.offlineFor = 0;
            continue;
        }
        l.offlineFor += std::max<qint64>(0, elapsedMs);
        if (l.offlineFor >= caps.forgetOfflineMs) {
            removeLaser(static_cast<int>(i), now);
            ++forgottenCount;
        }
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
            return laser.statusTime == unknownTime
                       ? unknownTime
                       : std::max(unknownTime + 1, std::min(laser.statusTime, laser.flagTime));
        return std::max(unknownTime + 1, laser.flagTime);
    }
    if (laser.hasStatus) {
        if (laser.statusTime == unknownTime)
            return unknownTime;
        return now - laser.statusTime > staleLimit ? std::max(unknownTime + 1, laser.statusTime)
                                                   : 0;
    }
    // Only a flag or events, and no status: as old as the last of them.
    return now - laser.heardAt > staleLimit ? std::max(unknownTime + 1, laser.heardAt) : 0;
}

Group Fleet::group(const Laser &laser, qint64 now) const {
    if (laser.hasStatus && laser.status.hasAlarms())
        return Group::Alarm;
    return isOffline(laser, now) ? Group::Offline : Group::Online;
}

qint64 Fleet::lastFrameAge(const Laser &laser, qint64 now) const {
    if (!laser.hasStatus || laser.status.lastFrameAt <= 0 || laser.statusTime == unknownTime)
        return -1;
    // Both times of the status are the host's, whatever its clock says: only their difference
    // counts, and the time since the status by the fleet's clock.
    const qint64 atStatus = std::max<qint64>(0, laser.status.at - laser.status.lastFrameAt);
    return atStatus + std::max<qint64>(0, now - laser.statusTime);
}

bool Fleet::clockDiffers(const Laser &laser) {
    return laser.skewKnown &&
           (laser.clockSkew > clockSkewLimitMs || laser.clockSkew < -clockSkewLimitMs);
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
    const int row = entryRow(serial);
    if (row >= 0)
        entries[static_cast<size_t>(row)].acknowledged = true;
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
    ListChange c = std::move(change);
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
