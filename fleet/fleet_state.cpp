#include "fleet/fleet_state.h"

#include "events/alarm_names.h"

#include <algorithm>

namespace fleet {

namespace {

// A wall clock that goes back by more than this has been set back.
constexpr qint64 clockStepMs = 1000;

} // namespace

Fleet::Fleet(Limits limits)
    : caps(limits), lines(limits.maxAlarmEntries, limits.maxAlarmEntriesPerLaser) {}

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
            move(l.summaryTime);
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
            lines.cleared(l.id, key, now, true);
    held -= l.bytes;
    byId.remove(l.id);
    summaryChanges += l.hasSummary;
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
    if (m.kind == plant::Kind::Summary) {
        applySummary(m, received);
        return;
    }
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
        if (!m.retained && m.online)
            heardInstance(*laser, m.instance, received, staleLimit);
        // The goodbye of one of two hosts under this id: the laser is as the other one says.
        if (!m.retained && !m.online && !goneOffline(*laser, m.instance, received, staleLimit))
            break;
        laser->flagKnown = true;
        laser->flagOnline = m.online;
        laser->flagRetained = m.retained;
        laser->flagTime = received;
        break;
    case plant::Kind::Status:
        applyStatus(*laser, m, now);
        break;
    case plant::Kind::Event:
        addEvent(*laser, m.event, m.late);
        break;
    case plant::Kind::Summary:
        break; // applied above
    }
    recount(*laser);
    if (heldBytes() > caps.stateBytes)
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
    for (size_t n = 0; n < all.size() && heldBytes() > caps.stateBytes; ++n)
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
            lines.raised(laser.id, events::alarmKeyOfBit(bit), now);
            raised = true;
        } else if (!(next.knownAlarms & mask) && (before & mask)) {
            lines.cleared(laser.id, events::alarmKeyOfBit(bit), now, false);
        }
    }
    for (const QString &key : next.otherAlarms)
        if (!otherBefore.contains(key)) {
            lines.raised(laser.id, key, now);
            raised = true;
        }
    for (const QString &key : otherBefore)
        if (!next.otherAlarms.contains(key))
            lines.cleared(laser.id, key, now, false);
    ignoredAlarms += quint64(next.alarmsIgnored);

    laser.status = next;
    laser.hasStatus = true;
    if (raised)
        laser.alarmSince = now;
    if (!laser.status.hasAlarms())
        laser.alarmSince = 0;

    setStatusTime(laser, next, m.retained, received);
    if (!m.retained)
        heardInstance(laser, next.instance, received, staleLimit);
}

void Fleet::applySummary(const plant::FleetMessage &m, qint64 received) {
    const int index = indexOf(m.laserId);
    if (index < 0) {
        // Nothing else of it is kept (never heard, forgotten, or refused at the cap): its figures
        // would stand for a laser the table does not show.
        if (!m.cleared)
            ++summariesRefused;
        return;
    }
    Laser &l = all[static_cast<size_t>(index)];
    l.hasSummary = !m.cleared;
    l.summary = m.cleared ? plant::AlarmSummary() : m.summary;
    l.summaryTime = m.cleared ? 0 : received;
    ++summaryChanges;
    recount(l);
    if (heldBytes() > caps.stateBytes)
        keepWithinBudget(l);
}

void Fleet::clearStatus(Laser &laser, qint64 now) {
    if (laser.hasStatus)
        for (const QString &key : laser.status.alarmKeys())
            lines.cleared(laser.id, key, now, false);
    laser.status = plant::LaserStatus();
    laser.hasStatus = false;
    laser.statusTime = 0;
    laser.alarmSince = 0;
}

void Fleet::addEvent(Laser &laser, const events::Event &event, bool late) {
    // At most maxEventsPerLaser looked at: the list is that short.
    auto at = laser.events.begin();
    if (late)
        while (at != laser.events.end() && at->at > event.at)
            ++at;
    laser.events.insert(at, event);
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
        bytes += plant::heldBytes(laser.status.port) + plant::heldBytes(laser.status.instance);
        if (!laser.status.payload.isEmpty())
            bytes += 32 + laser.status.payload.capacity();
        for (const QString &key : laser.status.otherAlarms + laser.status.unacknowledged)
            bytes += 8 + plant::heldBytes(key);
    }
    if (laser.hasSummary)
        bytes += plant::heldBytes(laser.summary);
    for (const std::pair<QString, qint64> &instance : laser.instances)
        bytes += 16 + plant::heldBytes(instance.first);
    held += bytes - laser.bytes;
    laser.bytes = bytes;
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

quint64 Fleet::rejectedTotal() const {
    quint64 sum = 0;
    for (quint64 n : rejections)
        sum += n;
    return sum;
}

} // namespace fleet
