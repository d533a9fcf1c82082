#include "alarms/handling.h"

#include "alarms/rules.h"
#include "events/handling_rows.h"

#include <algorithm>

namespace alarms {

using events::handlingRow;

namespace {

// A wall clock that moves this much against the steady one has been set, not slewed.
constexpr qint64 clockJumpMs = 60 * 1000;

} // namespace

Notice AlarmHandling::notice(Notice::Kind kind, const QStringList &keys, qint64 count,
                             qint64 newRises) {
    Notice n;
    n.kind = kind;
    n.keys = keys;
    n.count = count;
    n.newRises = newRises;
    return n;
}

AlarmHandling::AlarmHandling() {
    const auto &flags = watch.flags();
    // Never moved once made: an alarm found is changed in place.
    all.reserve(flags.size() + size_t(unknownKeyLimit));
    for (size_t k = 0; k < flags.size(); ++k) {
        if (qstrcmp(flags[k].category, "alarm") != 0)
            continue;
        Alarm a;
        a.key = flags[k].name;
        a.flag = int(k);
        a.code = flags[k].code;
        index.insert(a.key, int(all.size()));
        all.push_back(a);
    }
}

bool AlarmHandling::listed(const Alarm &a) {
    return a.active || a.unacknowledged || a.shelved || a.endedWithRun;
}

bool AlarmHandling::holdsEpisode(const Alarm &a) {
    return !a.shelved && !a.endedWithRun && (a.active || a.unacknowledged);
}

State AlarmHandling::stateOf(const Alarm &a) {
    if (a.shelved)
        return State::Shelved;
    if (a.endedWithRun)
        return State::EndedWithRun;
    if (a.stale)
        return State::NoData;
    if (a.active)
        return a.unacknowledged ? State::ActiveUnacknowledged : State::ActiveAcknowledged;
    return a.unacknowledged ? State::ReturnedUnacknowledged : State::Normal;
}

AlarmHandling::Alarm *AlarmHandling::find(const QString &key) {
    const int i = index.value(key, -1);
    return i < 0 ? nullptr : &all[size_t(i)];
}

AlarmHandling::Alarm *AlarmHandling::findOrAdd(const QString &key) {
    if (Alarm *a = find(key))
        return a;
    if (!validKey(key))
        return nullptr;
    if (unknownKeys >= unknownKeyLimit) {
        ++overLimit;
        return nullptr;
    }
    ++unknownKeys;
    Alarm a;
    a.key = key;
    index.insert(key, int(all.size()));
    all.push_back(a);
    return &all.back();
}

void AlarmHandling::settle(Alarm &a) {
    if (listed(a))
        return;
    a.stale = a.firstOut = false;
    a.raisedAt = a.returnedAt = a.rises = 0;
}

void AlarmHandling::markStale() {
    for (Alarm &a : all)
        if (a.flag >= 0 && listed(a))
            a.stale = staleLeft = true;
}

void AlarmHandling::portOpened(qint64 wall, qint64 mono, Decisions &out) {
    noteClocks(wall, mono, out);
    markStale();
    linkState = Link::Waiting;
    ++changes;
}

void AlarmHandling::dataLost(bool linkLost, qint64 wall, qint64 mono, Decisions &out) {
    noteClocks(wall, mono, out);
    markStale();
    // The port closed after the link was lost: still lost, the more telling of the two.
    linkState = linkLost || linkState == Link::Lost ? Link::Lost : Link::Closed;
    ++changes;
}

void AlarmHandling::stateCleared(const protocol::DeviceState &state) {
    watch.rebase(state);
}

void AlarmHandling::frameApplied(quint8 code, const protocol::DeviceState &state, qint64 wall,
                                 qint64 mono, Decisions &out) {
    noteClocks(wall, mono, out);
    if (linkState != Link::Live) {
        linkState = Link::Live;
        ++changes;
    }
    // What was listed when the data went is known again once a frame of its kind arrives.
    if (staleLeft) {
        staleLeft = false;
        for (Alarm &a : all) {
            if (!a.stale || a.code != code) {
                staleLeft = staleLeft || a.stale;
                continue;
            }
            const events::FlagWatch::Flag &f = watch.flags()[size_t(a.flag)];
            a.stale = false;
            const bool wasActive = a.active;
            a.active = f.get(state, f.i, f.j);
            if (wasActive && !a.active)
                a.returnedAt = wall;
            settle(a);
            ++changes;
        }
    }
    edges.clear();
    watch.frameApplied(code, state, wall, edges);
    if (!edges.empty()) {
        const bool episodeOpen = std::any_of(all.begin(), all.end(), holdsEpisode);
        QStringList firsts;
        for (const events::Event &e : edges) {
            Alarm *a = e.category == QLatin1String("alarm") ? find(e.name) : nullptr;
            if (!a)
                continue;
            ++changes;
            if (e.value == QLatin1String("on")) {
                if (rise(*a, wall, mono, out) && !episodeOpen)
                    firsts << a->key;
            } else {
                a->active = false;
                a->returnedAt = wall;
                settle(*a);
            }
        }
        // The episode's first frame: its rises are its first out, and only they are marked.
        if (!firsts.isEmpty()) {
            for (Alarm &a : all)
                a.firstOut = false;
            for (const QString &key : firsts) {
                find(key)->firstOut = true;
                out.rows.push_back(handlingRow(wall, key, events::firstOutValue));
            }
            out.notices.push_back(notice(Notice::Kind::FirstOut, firsts));
        }
    }
    checkFlood(mono, out);
}

bool AlarmHandling::rise(Alarm &a, qint64 wall, qint64 mono, Decisions &out) {
    // A new line: unlisted, ended with the run before, or shelved before it ever rose.
    if (!listed(a) || a.endedWithRun || a.raisedAt == 0) {
        a.raisedAt = wall;
        a.rises = 0;
        a.firstOut = false;
    }
    a.active = true;
    a.endedWithRun = false;
    a.returnedAt = 0;
    ++a.rises;
    if (a.shelved)
        return false;
    a.unacknowledged = true;
    if (floods.rise(mono) == FloodWatch::Change::Began)
        out.notices.push_back(
            notice(Notice::Kind::FloodBegan, QStringList(), floods.risesAtStart(), 1));
    else if (!floods.on())
        out.notices.push_back(notice(Notice::Kind::Rise, QStringList(a.key), 1, 1));
    return true;
}

void AlarmHandling::checkFlood(qint64 mono, Decisions &out) {
    if (floods.check(mono) != FloodWatch::Change::Ended)
        return;
    out.notices.push_back(notice(Notice::Kind::FloodEnded, QStringList(), floods.rises(),
                                 floods.rises() - floods.risesAtStart()));
    ++changes;
}

void AlarmHandling::tick(qint64 wall, qint64 mono, Decisions &out) {
    noteClocks(wall, mono, out);
    for (Alarm &a : all) {
        if (!a.shelved || mono < a.shelfEnd)
            continue;
        endShelf(a, out);
        out.rows.push_back(handlingRow(wall, a.key, events::shelfEndedValue));
        Notice n = notice(Notice::Kind::ShelfEnded, QStringList(a.key));
        // Not while no data comes: whether it is still on is not known then.
        n.stillActive = a.active && !a.stale;
        out.notices.push_back(n);
    }
    checkFlood(mono, out);
}

void AlarmHandling::noteClocks(qint64 wall, qint64 mono, Decisions &out) {
    const qint64 offset = wall - mono;
    if (clocksSeen && std::abs(offset - clockOffset) > clockJumpMs) {
        for (Alarm &a : all) {
            if (!a.shelved)
                continue;
            a.shelf.until = wall + std::max<qint64>(a.shelfEnd - mono, 0);
            out.shelfChanges.push_back({a.key, a.shelf});
        }
    }
    clocksSeen = true;
    clockOffset = offset;
}

bool AlarmHandling::acknowledge(const QString &key, const QString &user, qint64 wall, qint64 mono,
                                Decisions &out) {
    noteClocks(wall, mono, out);
    Alarm *a = find(key);
    if (!a || !a->unacknowledged || a->shelved)
        return false;
    a->unacknowledged = false;
    a->endedWithRun = false;
    out.rows.push_back(
        handlingRow(wall, a->key, events::acknowledgedValue, cleanText(user, longestUserName)));
    settle(*a);
    ++changes;
    return true;
}

int AlarmHandling::acknowledgeAll(const QString &user, qint64 wall, qint64 mono, Decisions &out) {
    int n = 0;
    for (size_t i = 0; i < all.size(); ++i)
        n += acknowledge(all[i].key, user, wall, mono, out) ? 1 : 0;
    return n;
}

ShelveResult AlarmHandling::shelve(const QString &key, int minutes, const QString &reason,
                                   const QString &user, qint64 wall, qint64 mono, Decisions &out) {
    noteClocks(wall, mono, out);
    if (minutes < shortestShelfMinutes || minutes > longestShelfMinutes)
        return ShelveResult::BadDuration;
    if (shelving(key) != Shelving::Allowed)
        return ShelveResult::NotShelvable;
    Alarm *a = find(key);
    if (!a)
        return ShelveResult::UnknownAlarm;
    const qint64 ms = qint64(minutes) * 60 * 1000;
    a->shelved = true;
    a->unacknowledged = false;
    a->endedWithRun = false;
    a->shelfEnd = mono + ms;
    a->shelf = Shelf{a->key,
                     wall,
                     wall + ms,
                     minutes,
                     cleanText(user, longestUserName),
                     cleanText(reason, longestReason)};
    out.rows.push_back(handlingRow(wall, a->key, events::shelvedValue,
                                   events::shelvedDetail(minutes, a->shelf.user, a->shelf.reason)));
    out.shelfChanges.push_back({a->key, a->shelf});
    ++changes;
    return ShelveResult::Shelved;
}

void AlarmHandling::endShelf(Alarm &a, Decisions &out) {
    a.shelved = false;
    // Still active, it is told again as a new alarm would be; gone meanwhile, it is normal.
    a.unacknowledged = a.active;
    out.shelfChanges.push_back({a.key, std::nullopt});
    settle(a);
    ++changes;
}

bool AlarmHandling::unshelve(const QString &key, const QString &user, qint64 wall, qint64 mono,
                             Decisions &out) {
    noteClocks(wall, mono, out);
    Alarm *a = find(key);
    if (!a || !a->shelved)
        return false;
    endShelf(*a, out);
    out.rows.push_back(
        handlingRow(wall, a->key, events::unshelvedValue, cleanText(user, longestUserName)));
    return true;
}

} // namespace alarms
