#include "events/alarm_tally.h"

#include "events/active_alarms.h"
#include "events/clock_rows.h"
#include "events/handling_rows.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <limits>
#include <optional>

namespace events {

namespace {

const QString alarmCategory = QStringLiteral("alarm");
const QString linkCategory = QStringLiteral("link");
const QString clockCategory = QStringLiteral("clock");
constexpr quint32 stateVersion = 0x41520001; // "AR", 1
// Bounds on a state read back (a damaged row must not take the memory).
constexpr quint32 mostAlarms = 100000;
constexpr size_t mostUnacknowledged = 256;

// `minutes` after `at`, never past the end of the clock (a row's time is read, not trusted).
qint64 later(qint64 at, int minutes) {
    const qint64 ms = qint64(minutes) * 60 * 1000;
    return at > std::numeric_limits<qint64>::max() - ms ? std::numeric_limits<qint64>::max()
                                                        : at + ms;
}

} // namespace

qint64 floorTo(qint64 at, qint64 length) {
    const qint64 r = at % length;
    return at - (r < 0 ? r + length : r);
}

void AlarmHour::add(const AlarmHour &o) {
    rises += o.rises;
    shelvedRises += o.shelvedRises;
    chatters += o.chatters;
    firstOuts += o.firstOuts;
    ackedSoon += o.ackedSoon;
    activeMs += o.activeMs;
    longestMs = std::max(longestMs, o.longestMs);
    stale += o.stale;
    endedWithRun += o.endedWithRun;
    endedByCrash += o.endedByCrash;
    shelvedMs += o.shelvedMs;
}

void RateInterval::add(const RateInterval &o) {
    rises += o.rises;
    linkUpMs += o.linkUpMs;
    linkLosses += o.linkLosses;
    crashes += o.crashes;
    overlapMs += o.overlapMs;
    clearsWithoutRise += o.clearsWithoutRise;
    risesWhileOn += o.risesWhileOn;
    notCounted += o.notCounted;
    clockJumps += o.clockJumps;
}

QStringList AlarmTally::categories() {
    return {alarmCategory, handlingCategory, linkCategory, clockCategory};
}

AlarmHour &AlarmTally::hour(qint64 at, const QString &name) {
    return changes.hours[{floorTo(at, tallyHourMs), name}];
}

RateInterval &AlarmTally::interval(qint64 at) {
    return changes.intervals[floorTo(at, rateIntervalMs)];
}

AlarmTally::Changes AlarmTally::take() {
    Changes out;
    std::swap(out, changes);
    return out;
}

void AlarmTally::add(const Event &row) {
    latest = std::max(latest, row.at);
    if (row.category == alarmCategory) {
        const bool on = row.value == QLatin1String("on");
        if (!on && row.value != QLatin1String("off"))
            return;
        Alarm &a = alarms[row.name];
        shelfPassed(row.name, a, row.at);
        if (a.since >= 0) {
            // On again without its "off" (two programs, or a row lost): the earlier one ends
            // here, and the rise is said.
            if (on)
                interval(row.at).risesWhileOn++;
            endActivation(row.name, a, row.at, End::Clear);
        } else if (!on) {
            interval(row.at).clearsWithoutRise++;
        }
        if (on)
            rise(row.name, a, row.at);
    } else if (row.category == handlingCategory) {
        if (row.value == firstOutValue) {
            hour(row.at, row.name).firstOuts++;
            return;
        }
        const auto it = alarms.find(row.name);
        if (it == alarms.end() && row.value != shelvedValue)
            return;
        Alarm &a = it == alarms.end() ? alarms[row.name] : *it;
        shelfPassed(row.name, a, row.at);
        if (row.value == acknowledgedValue) {
            for (const qint64 r : a.unacknowledged)
                if (row.at >= r && row.at - r <= ackSoonMs)
                    hour(r, row.name).ackedSoon++;
            a.unacknowledged.clear();
        } else if (row.value == shelvedValue) {
            if (a.shelvedSince >= 0)
                endShelf(row.name, a, row.at);
            a.shelvedSince = row.at;
            const ShelvedDetail shelf = readShelvedDetail(row.detail);
            a.shelfEnd = later(row.at, shelf.valid ? shelf.minutes : longestShelfMinutes);
            a.unacknowledged.clear(); // a shelf takes the call for acknowledgement away
        } else if (row.value == unshelvedValue || row.value == shelfEndedValue) {
            if (a.shelvedSince >= 0)
                endShelf(row.name, a, row.at);
        }
    } else if (row.category == linkCategory) {
        linkRow(row);
    } else if (row.category == clockCategory) {
        if (const std::optional<ClockJumpRow> jump = readClockJumpRow(row)) {
            interval(row.at).clockJumps++;
            clockJump(jump->from, jump->to);
        }
    }
}

void AlarmTally::rise(const QString &name, Alarm &a, qint64 at) {
    AlarmHour &h = hour(at, name);
    h.rises++;
    if (a.shelvedSince >= 0)
        h.shelvedRises++;
    interval(at).rises++;
    // The third rise within a minute begins an episode; it goes on while each rise has two
    // more before it within the minute.
    const bool chatters =
        a.riseBefore >= 0 && at >= a.riseBefore && at - a.riseBefore <= chatterWindowMs;
    if (chatters && !a.chattering)
        h.chatters++;
    a.chattering = chatters;
    a.riseBefore = a.lastRise;
    a.lastRise = at;
    if (a.shelvedSince < 0) {
        auto &list = a.unacknowledged;
        list.erase(
            std::remove_if(list.begin(), list.end(), [at](qint64 r) { return r < at - ackSoonMs; }),
            list.end());
        if (list.size() >= mostUnacknowledged)
            list.erase(list.begin());
        list.push_back(at);
    }
    a.since = at;
}

bool AlarmTally::spread(qint64 from, qint64 to, const QString &name, qint64 AlarmHour::*hourField,
                        qint64 RateInterval::*intervalField) {
    if (to < from || to - from > longestCountedMs) {
        interval(to).notCounted++;
        return false;
    }
    const qint64 length = hourField ? tallyHourMs : rateIntervalMs;
    for (qint64 t = from; t < to;) {
        const qint64 next = std::min(floorTo(t, length) + length, to);
        if (hourField)
            hour(t, name).*hourField += next - t;
        else
            interval(t).*intervalField += next - t;
        t = next;
    }
    return true;
}

void AlarmTally::endActivation(const QString &name, Alarm &a, qint64 at, End how) {
    const qint64 since = a.since;
    const qint64 before = a.before;
    a.since = -1;
    a.before = 0;
    if (how == End::Run || how == End::Crash) {
        AlarmHour &h = hour(at, name);
        h.endedWithRun++;
        if (how == End::Crash)
            h.endedByCrash++;
    }
    if (!spread(since, at, name, &AlarmHour::activeMs, nullptr))
        return;
    const qint64 length = before + at - since;
    AlarmHour &h = hour(at, name);
    h.longestMs = std::max(h.longestMs, length);
    if (length > staleMs)
        hour(since + std::max<qint64>(0, staleMs - before), name).stale++;
}

void AlarmTally::endShelf(const QString &name, Alarm &a, qint64 at) {
    spread(a.shelvedSince, at, name, &AlarmHour::shelvedMs, nullptr);
    a.shelvedSince = -1;
}

void AlarmTally::shelfPassed(const QString &name, Alarm &a, qint64 at) {
    if (a.shelvedSince >= 0 && at > a.shelfEnd)
        endShelf(name, a, std::max(a.shelfEnd, a.shelvedSince));
}

void AlarmTally::endAll(qint64 at, End how, qint64 upTo) {
    for (auto it = alarms.begin(); it != alarms.end(); ++it)
        if (it->since >= 0 && it->since <= upTo)
            endActivation(it.key(), *it, at, how);
}

void AlarmTally::linkRow(const Event &row) {
    static const QStringList ending = linkNamesEndingAlarms();
    const QString &name = row.name;
    const bool opened = name == QLatin1String("opened");
    const bool lost = name == QLatin1String("link_lost") || name == QLatin1String("device_gone");
    const bool crash = name == QLatin1String("ended_unexpectedly");
    if (crash) {
        // Written at the next start: it ends the alarms of the run that died, up to its time.
        endAll(row.at, End::Crash, row.at);
        interval(row.at).crashes++;
    } else if (ending.contains(name)) {
        endAll(row.at, End::Run, std::numeric_limits<qint64>::max());
    }
    if (lost)
        interval(row.at).linkLosses++;
    if (opened) {
        if (portsOpen == 0)
            upSince = row.at;
        else if (portsOpen == 1)
            overlapSince = row.at; // a second program's port, in the same history
        ++portsOpen;
    } else if (portsOpen > 0 && (crash || lost || name == QLatin1String("closed"))) {
        --portsOpen;
        if (portsOpen == 1) {
            spread(overlapSince, row.at, QString(), nullptr, &RateInterval::overlapMs);
            overlapSince = -1;
        } else if (portsOpen == 0) {
            spread(upSince, row.at, QString(), nullptr, &RateInterval::linkUpMs);
            upSince = -1;
        }
    }
}

void AlarmTally::clockJump(qint64 from, qint64 to) {
    // What was going on goes on after the jump: its time up to the jump is counted where it
    // was, the jump itself not at all.
    const qint64 by = to - from;
    for (auto it = alarms.begin(); it != alarms.end(); ++it) {
        Alarm &a = *it;
        if (a.since >= 0) {
            if (spread(a.since, from, it.key(), &AlarmHour::activeMs, nullptr))
                a.before += from - a.since;
            a.since = to;
        }
        shelfPassed(it.key(), a, from);
        if (a.shelvedSince >= 0) {
            spread(a.shelvedSince, from, it.key(), &AlarmHour::shelvedMs, nullptr);
            a.shelvedSince = to;
            a.shelfEnd += by;
        }
        for (qint64 *t : {&a.lastRise, &a.riseBefore})
            if (*t >= 0)
                *t += by;
        for (qint64 &r : a.unacknowledged)
            r += by;
    }
    if (upSince >= 0) {
        spread(upSince, from, QString(), nullptr, &RateInterval::linkUpMs);
        upSince = to;
    }
    if (overlapSince >= 0) {
        spread(overlapSince, from, QString(), nullptr, &RateInterval::overlapMs);
        overlapSince = to;
    }
}

void AlarmTally::finishAt(qint64 end) {
    // Rows stamped after the end (a clock ahead) are not the history's to end.
    endAll(end, End::Finish, end);
    for (auto it = alarms.begin(); it != alarms.end(); ++it)
        if (it->shelvedSince >= 0 && it->shelvedSince <= end)
            endShelf(it.key(), *it, std::min(end, std::max(it->shelfEnd, it->shelvedSince)));
    if (portsOpen > 1 && overlapSince <= end)
        spread(overlapSince, end, QString(), nullptr, &RateInterval::overlapMs);
    if (portsOpen > 0 && upSince <= end)
        spread(upSince, end, QString(), nullptr, &RateInterval::linkUpMs);
    portsOpen = 0;
    upSince = overlapSince = -1;
}

std::vector<std::pair<QString, qint64>> AlarmTally::alarmsOn() const {
    std::vector<std::pair<QString, qint64>> out;
    for (auto it = alarms.cbegin(); it != alarms.cend(); ++it)
        if (it->since >= 0)
            out.emplace_back(it.key(), it->since);
    std::sort(out.begin(), out.end());
    return out;
}

QByteArray AlarmTally::saveState() const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    // An alarm that is off, unshelved and quiet for longer than any window is no state.
    const auto kept = [this](const Alarm &a) {
        return a.since >= 0 || a.shelvedSince >= 0 || a.lastRise >= latest - ackSoonMs;
    };
    quint32 count = 0;
    for (const Alarm &a : alarms)
        count += kept(a) ? 1 : 0;
    out << stateVersion << qint32(portsOpen) << upSince << overlapSince << latest << count;
    for (auto it = alarms.cbegin(); it != alarms.cend(); ++it) {
        if (!kept(*it))
            continue;
        out << it.key() << it->since << it->before << it->lastRise << it->riseBefore
            << it->chattering << it->shelvedSince << quint32(it->unacknowledged.size());
        for (const qint64 r : it->unacknowledged)
            out << r;
    }
    return bytes;
}

bool AlarmTally::restoreState(const QByteArray &bytes) {
    *this = AlarmTally();
    if (bytes.isEmpty())
        return true;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    quint32 version = 0, count = 0;
    qint32 ports = 0;
    in >> version >> ports >> upSince >> overlapSince >> latest >> count;
    bool ok = version == stateVersion && ports >= 0 && count <= mostAlarms;
    for (quint32 i = 0; ok && i < count; ++i) {
        QString name;
        Alarm a;
        quint32 pending = 0;
        in >> name >> a.since >> a.before >> a.lastRise >> a.riseBefore >> a.chattering >>
            a.shelvedSince >> pending;
        a.shelfEnd = later(a.shelvedSince, longestShelfMinutes);
        ok = in.status() == QDataStream::Ok && pending <= mostUnacknowledged;
        for (quint32 k = 0; ok && k < pending; ++k) {
            qint64 r = 0;
            in >> r;
            a.unacknowledged.push_back(r);
        }
        alarms.insert(name, a);
    }
    portsOpen = ports;
    if (ok && in.status() == QDataStream::Ok && in.atEnd())
        return true;
    *this = AlarmTally();
    return false;
}

} // namespace events
