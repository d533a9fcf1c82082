#include "events/active_alarms.h"

#include <QHash>

#include <algorithm>
#include <iterator>

namespace events {

QStringList linkNamesEndingAlarms() {
    return {QStringLiteral("opened"),        QStringLiteral("closed"),
            QStringLiteral("link_lost"),     QStringLiteral("device_gone"),
            QStringLiteral("state_cleared"), QStringLiteral("ended_unexpectedly")};
}

std::vector<ActiveAlarm> activeAlarms(const std::vector<Event> &rows) {
    const QStringList ending = linkNamesEndingAlarms();
    QHash<QString, qint64> on;
    for (const Event &e : rows) {
        if (e.category == QLatin1String("alarm")) {
            if (e.value == QLatin1String("on"))
                on.insert(e.name, e.at);
            else if (e.value == QLatin1String("off"))
                on.remove(e.name);
        } else if (e.category == QLatin1String("link") &&
                   e.name == QLatin1String("ended_unexpectedly")) {
            // Written at the next start, at the time of the dead run's newest row: it ends the
            // alarms of that run, not those of the run that wrote it.
            for (auto it = on.begin(); it != on.end();)
                it = it.value() <= e.at ? on.erase(it) : std::next(it);
        } else if (e.category == QLatin1String("link") && ending.contains(e.name)) {
            on.clear();
        }
    }
    std::vector<ActiveAlarm> out;
    out.reserve(size_t(on.size()));
    for (auto it = on.cbegin(); it != on.cend(); ++it)
        out.push_back({it.key(), it.value()});
    std::sort(out.begin(), out.end(), [](const ActiveAlarm &a, const ActiveAlarm &b) {
        return a.since != b.since ? a.since < b.since : a.name < b.name;
    });
    return out;
}

} // namespace events
