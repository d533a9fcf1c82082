#include "fleet/bad_actors.h"

#include <algorithm>

namespace fleet {

namespace {

const plant::SummaryAlarm &alarmOf(const std::vector<Laser> &lasers, int span, BadActor a) {
    return lasers[size_t(a.laser)].summary.periods[size_t(span)].alarms[size_t(a.alarm)];
}

qint64 figure(const plant::SummaryAlarm &a, BadActorKey key) {
    switch (key) {
    case BadActorKey::ActiveTime:
        return a.activeMs;
    case BadActorKey::Chatters:
        return a.chatters;
    case BadActorKey::FirstOuts:
        return a.firstOuts;
    default:
        return a.rises;
    }
}

} // namespace

std::vector<BadActor> rankBadActors(const std::vector<Laser> &lasers, int span, BadActorKey key,
                                    bool descending, size_t limit) {
    std::vector<BadActor> pairs;
    if (span < 0 || span >= plant::summarySpans)
        return pairs;
    for (size_t l = 0; l < lasers.size(); ++l) {
        if (!lasers[l].hasSummary)
            continue;
        const auto &alarms = lasers[l].summary.periods[size_t(span)].alarms;
        for (size_t a = 0; a < alarms.size(); ++a)
            pairs.push_back(BadActor{int(l), int(a)});
    }
    // The tie-breakers: the worse first, then by laser and alarm as text.
    const auto rest = [&](BadActor x, BadActor y) {
        const plant::SummaryAlarm &a = alarmOf(lasers, span, x), &b = alarmOf(lasers, span, y);
        if (a.rises != b.rises)
            return a.rises > b.rises;
        if (a.activeMs != b.activeMs)
            return a.activeMs > b.activeMs;
        const int ids = lasers[size_t(x.laser)].id.compare(lasers[size_t(y.laser)].id);
        return ids != 0 ? ids < 0 : a.key < b.key;
    };
    const auto before = [&](BadActor x, BadActor y) {
        const plant::SummaryAlarm &a = alarmOf(lasers, span, x), &b = alarmOf(lasers, span, y);
        int order = 0;
        if (key == BadActorKey::Laser)
            order = lasers[size_t(x.laser)].id.compare(lasers[size_t(y.laser)].id);
        else if (key == BadActorKey::Alarm)
            order = a.key.compare(b.key);
        else
            order = figure(a, key) < figure(b, key) ? -1 : figure(a, key) > figure(b, key);
        if (descending)
            order = -order;
        return order != 0 ? order < 0 : rest(x, y);
    };
    const size_t n = std::min(limit, pairs.size());
    std::partial_sort(pairs.begin(), pairs.begin() + std::ptrdiff_t(n), pairs.end(), before);
    pairs.resize(n);
    return pairs;
}

} // namespace fleet
