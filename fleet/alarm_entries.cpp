#include "fleet/alarm_entries.h"

#include "plant/fleet_messages.h"

#include <algorithm>

namespace fleet {

namespace {

QString entryKey(const QString &laserId, const QString &key) {
    return laserId + QLatin1Char('\n') + key;
}

qint64 entryBytes(const AlarmEntry &e) {
    // The line, and its key in the two hashes that find it.
    return qint64(sizeof(AlarmEntry)) + plant::heldBytes(e.laserId) + plant::heldBytes(e.key) +
           2 * (32 + 2 * qint64(e.laserId.size() + e.key.size() + 1));
}

} // namespace

AlarmEntries::AlarmEntries(int maxEntries, int maxPerLaser)
    : maxEntries(maxEntries), maxPerLaser(maxPerLaser) {}

void AlarmEntries::raised(const QString &laserId, const QString &key, qint64 now) {
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
    if (++ofLaser > maxPerLaser) {
        for (size_t row = entries.size(); row-- > 0;)
            if (entries[row].laserId == laserId) {
                dropEntry(row);
                break;
            }
    }
    if (static_cast<int>(entries.size()) > maxEntries)
        dropEntry(entries.size() - 1);
    // A list's model would do better to read it all again than to follow this many steps.
    if (static_cast<int>(change.removedRows.size()) > 2 * maxEntries) {
        change.reset = true;
        change.removedRows.clear();
    }
}

void AlarmEntries::dropEntry(size_t row) {
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

int AlarmEntries::entryRow(quint64 serial) const {
    // Newest first: the serials fall down the list.
    const auto it =
        std::lower_bound(entries.begin(), entries.end(), serial,
                         [](const AlarmEntry &e, quint64 wanted) { return e.serial > wanted; });
    return it != entries.end() && it->serial == serial ? static_cast<int>(it - entries.begin())
                                                       : -1;
}

void AlarmEntries::cleared(const QString &laserId, const QString &key, qint64 now, bool gone) {
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

void AlarmEntries::acknowledge(quint64 serial) {
    const int row = entryRow(serial);
    if (row >= 0)
        entries[static_cast<size_t>(row)].acknowledged = true;
}

void AlarmEntries::acknowledgeAll() {
    for (AlarmEntry &e : entries)
        e.acknowledged = true;
}

int AlarmEntries::unacknowledged() const {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [](const AlarmEntry &e) { return !e.acknowledged; }));
}

AlarmEntries::ListChange AlarmEntries::takeListChange() {
    ListChange c = std::move(change);
    change = ListChange();
    return c;
}

} // namespace fleet
