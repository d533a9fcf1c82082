#include "alarms/dead_run.h"

#include "alarms/rules.h"
#include "events/handling_rows.h"

#include <algorithm>

namespace alarms {

void RunReplay::take(const events::Event &e) {
    const bool alarm = e.category == QLatin1String("alarm");
    if (!alarm && e.category != events::handlingCategory)
        return;
    if (!validKey(e.name) || (byKey.size() >= distinctKeyLimit && !byKey.contains(e.name))) {
        ++skipped;
        return;
    }
    Replay &r = byKey[e.name];
    const bool wasNormal = !r.active && !r.unacknowledged && !r.shelved;
    if (alarm && e.value == QLatin1String("on")) {
        if (wasNormal) {
            r.raisedAt = e.at;
            r.rises = 0;
            r.order = order++;
        }
        r.active = true;
        ++r.rises;
        r.unacknowledged = !r.shelved;
    } else if (alarm && e.value == QLatin1String("off")) {
        r.active = false;
    } else if (e.value == events::acknowledgedValue || e.value == events::endedWithRunValue) {
        r.unacknowledged = false;
    } else if (e.value == events::shelvedValue) {
        r.shelved = true;
        r.unacknowledged = false;
    } else if (e.value == events::unshelvedValue || e.value == events::shelfEndedValue) {
        r.shelved = false;
        r.unacknowledged = r.active;
    }
}

LeftAlarms RunReplay::left() const {
    LeftAlarms left;
    left.skipped = skipped;
    std::vector<std::pair<qint64, LeftAlarm>> found;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it->unacknowledged && !it->shelved)
            found.push_back({it->order, LeftAlarm{it.key(), it->raisedAt, it->rises}});
    std::sort(found.begin(), found.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &f : found)
        left.alarms.push_back(std::move(f.second));
    return left;
}

LeftAlarms unacknowledgedAtEnd(const std::vector<events::Event> &rows) {
    RunReplay replay;
    for (const events::Event &e : rows)
        replay.take(e);
    return replay.left();
}

} // namespace alarms
