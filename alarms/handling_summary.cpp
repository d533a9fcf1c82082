// What the alarm handling shows: the summary's lines and the counts.
#include "alarms/handling.h"

#include <algorithm>

namespace alarms {

std::vector<Line> AlarmHandling::summary(qint64 mono) const {
    std::vector<std::pair<size_t, Line>> lines;
    for (size_t i = 0; i < all.size(); ++i) {
        const Alarm &a = all[i];
        if (!listed(a))
            continue;
        Line l;
        l.key = a.key;
        l.state = stateOf(a);
        l.unacknowledged = a.unacknowledged && !a.shelved;
        l.active = a.active;
        l.raisedAt = a.raisedAt;
        l.returnedAt = a.returnedAt;
        l.rises = a.rises;
        l.firstOut = a.firstOut;
        l.shelfLeftMs = a.shelved ? std::max<qint64>(a.shelfEnd - mono, 0) : -1;
        l.shelfReason = a.shelved ? a.shelf.reason : QString();
        lines.push_back({i, l});
    }
    std::sort(lines.begin(), lines.end(), [](const auto &x, const auto &y) {
        return x.second.raisedAt != y.second.raisedAt ? x.second.raisedAt > y.second.raisedAt
                                                      : x.first < y.first;
    });
    std::vector<Line> result;
    result.reserve(lines.size());
    for (auto &l : lines)
        result.push_back(std::move(l.second));
    return result;
}

int AlarmHandling::unacknowledged() const {
    return int(std::count_if(all.begin(), all.end(),
                             [](const Alarm &a) { return a.unacknowledged && !a.shelved; }));
}

QStringList AlarmHandling::unacknowledgedKeys() const {
    QStringList keys;
    for (const Alarm &a : all)
        if (a.unacknowledged && !a.shelved)
            keys << a.key;
    return keys;
}

QStringList AlarmHandling::firstOut() const {
    QStringList keys;
    for (const Alarm &a : all)
        if (a.firstOut)
            keys << a.key;
    return keys;
}

} // namespace alarms
