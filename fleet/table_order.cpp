#include "fleet/table_order.h"

#include <algorithm>

namespace fleet {

Group group(const Laser &laser, qint64 now, qint64 staleLimit) {
    if (laser.hasStatus && laser.status.hasAlarms())
        return Group::Alarm;
    return offlineSince(laser, now, staleLimit) != 0 ? Group::Offline : Group::Online;
}

std::vector<int> tableOrder(const std::vector<Laser> &lasers, qint64 now, qint64 staleLimit) {
    struct Key {
        int group;
        qint64 alarmSince;
        int index;
    };
    std::vector<Key> keys;
    keys.reserve(lasers.size());
    for (size_t i = 0; i < lasers.size(); ++i) {
        const Laser &l = lasers[i];
        keys.push_back(
            Key{static_cast<int>(group(l, now, staleLimit)), l.alarmSince, static_cast<int>(i)});
    }
    std::sort(keys.begin(), keys.end(), [&lasers](const Key &a, const Key &b) {
        if (a.group != b.group)
            return a.group < b.group;
        // The newest alarm on top.
        if (a.alarmSince != b.alarmSince)
            return a.alarmSince > b.alarmSince;
        return lasers[static_cast<size_t>(a.index)].id < lasers[static_cast<size_t>(b.index)].id;
    });
    std::vector<int> out;
    out.reserve(keys.size());
    for (const Key &k : keys)
        out.push_back(k.index);
    return out;
}

} // namespace fleet
