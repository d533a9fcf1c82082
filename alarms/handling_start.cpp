// The alarm handling at the start: the shelves kept over the restart, and the alarms the run
// before left unacknowledged when it ended unexpectedly.
#include "alarms/handling.h"

#include "alarms/dead_run.h"
#include "alarms/rules.h"
#include "events/handling_rows.h"

#include <algorithm>

namespace alarms {

using events::handlingRow;

RestoreReport AlarmHandling::restoreShelves(const std::vector<Shelf> &shelves, qint64 wall,
                                            qint64 mono, Decisions &out) {
    noteClocks(wall, mono, out);
    RestoreReport report;
    for (const Shelf &s : shelves) {
        if (!validKey(s.key) || shelving(s.key) != Shelving::Allowed ||
            s.minutes < shortestShelfMinutes || s.minutes > longestShelfMinutes) {
            ++report.refused;
            out.shelfChanges.push_back({s.key, std::nullopt});
            continue;
        }
        Alarm *a = findOrAdd(s.key);
        if (!a) {
            ++report.overLimit;
            continue;
        }
        if (a->shelved)
            continue;
        const qint64 chosen = qint64(s.minutes) * 60 * 1000;
        // Far past or far future (a hostile file) cannot overflow: both are bounded first.
        const qint64 until = std::clamp<qint64>(s.until, wall - chosen, wall + 2 * chosen);
        const qint64 left = std::min(until - wall, chosen);
        if (left <= 0) {
            ++report.endedWhileClosed;
            const qint64 at = s.until > 0 && s.until <= wall ? s.until : wall;
            out.rows.push_back(
                handlingRow(at, a->key, events::shelfEndedValue, events::whileClosedDetail));
            out.notices.push_back(notice(Notice::Kind::ShelfEnded, QStringList(a->key)));
            out.shelfChanges.push_back({a->key, std::nullopt});
            continue;
        }
        ++report.restored;
        a->shelved = true;
        a->shelf = s;
        a->shelf.until = wall + left;
        a->shelfEnd = mono + left;
        // A clock set back while the program was closed: the file keeps the end that holds.
        if (a->shelf.until != s.until)
            out.shelfChanges.push_back({a->key, a->shelf});
    }
    ++changes;
    return report;
}

int AlarmHandling::endedWithRun(const std::vector<events::Event> &deadRunRows, qint64 endedAt,
                                qint64 wall, qint64 mono, Decisions &out) {
    return endedWithRun(unacknowledgedAtEnd(deadRunRows), endedAt, wall, mono, out);
}

int AlarmHandling::endedWithRun(const LeftAlarms &leftAlarms, qint64 endedAt, qint64 wall,
                                qint64 mono, Decisions &out) {
    noteClocks(wall, mono, out);
    QStringList keys;
    for (const LeftAlarm &left : leftAlarms.alarms) {
        Alarm *a = findOrAdd(left.key);
        if (!a || a->shelved || (listed(*a) && !a->endedWithRun))
            continue;
        a->endedWithRun = a->unacknowledged = true;
        a->active = a->stale = a->firstOut = false;
        a->raisedAt = left.raisedAt;
        a->returnedAt = endedAt;
        a->rises = left.rises;
        out.rows.push_back(handlingRow(endedAt, a->key, events::endedWithRunValue));
        keys << a->key;
    }
    if (!keys.isEmpty()) {
        out.notices.push_back(notice(Notice::Kind::EndedWithRun, keys, keys.size()));
        ++changes;
    }
    return keys.size();
}

} // namespace alarms
