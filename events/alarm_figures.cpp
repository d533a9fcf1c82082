#include "events/alarm_figures.h"

#include "events/clock_rows.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace events {

namespace {

// The JSON names of the counts, as member pointers: one list for writing and reading.
struct Field {
    const char *name;
    qint64 AlarmFigures::*member;
};
const Field alarmFields[] = {
    {"rises", &AlarmFigures::rises},
    {"active_ms", &AlarmFigures::activeMs},
    {"longest_ms", &AlarmFigures::longestMs},
    {"chattering_episodes", &AlarmFigures::chatters},
    {"first_outs", &AlarmFigures::firstOuts},
    {"shelved_ms", &AlarmFigures::shelvedMs},
    {"shelved_rises", &AlarmFigures::shelvedRises},
    {"acknowledged_within_10_min", &AlarmFigures::ackedSoon},
    {"stale", &AlarmFigures::stale},
    {"ended_with_run", &AlarmFigures::endedWithRun},
    {"ended_by_crash", &AlarmFigures::endedByCrash},
};
struct PeriodField {
    const char *name;
    qint64 PeriodFigures::*member;
};
const PeriodField periodFields[] = {
    {"from", &PeriodFigures::from},
    {"to", &PeriodFigures::to},
    {"history_end", &PeriodFigures::historyEnd},
    {"events_from", &PeriodFigures::eventsFrom},
    {"samples_from", &PeriodFigures::samplesFrom},
    {"rows_ahead", &PeriodFigures::rowsAhead},
    {"rises", &PeriodFigures::rises},
    {"intervals", &PeriodFigures::intervals},
    {"flood_intervals", &PeriodFigures::floodIntervals},
    {"peak_rises", &PeriodFigures::peakRises},
    {"peak_at", &PeriodFigures::peakAt},
    {"link_up_ms", &PeriodFigures::linkUpMs},
    {"link_losses", &PeriodFigures::linkLosses},
    {"crashes", &PeriodFigures::crashes},
    {"overlap_ms", &PeriodFigures::overlapMs},
    {"clears_without_rise", &PeriodFigures::clearsWithoutRise},
    {"rises_while_on", &PeriodFigures::risesWhileOn},
    {"not_counted", &PeriodFigures::notCounted},
    {"ended_with_run", &PeriodFigures::endedWithRun},
    {"ended_by_crash", &PeriodFigures::endedByCrash},
    {"clock_jumps", &PeriodFigures::clockJumps},
};
// JSON numbers are doubles: integers beyond this lose digits.
constexpr double largestExact = 9007199254740992.0;

std::optional<qint64> count(const QJsonObject &o, const char *name, bool signedTime = false) {
    const QJsonValue v = o.value(QLatin1String(name));
    const double d = v.toDouble(-1);
    if (!v.isDouble() || d != std::floor(d) || std::fabs(d) > largestExact ||
        (!signedTime && d < 0))
        return std::nullopt;
    return qint64(d);
}

} // namespace

void PeriodTotals::add(const AlarmTally::Changes &changes, qint64 from, qint64 to) {
    for (const auto &[key, h] : changes.hours)
        if (key.first >= from && key.first < to)
            alarms[key.second].add(h);
    for (const auto &[at, r] : changes.intervals)
        if (at >= from && at < to)
            intervals[at].add(r);
}

void IntervalSums::add(qint64 at, const RateInterval &r) {
    sum.add(r);
    watched += r.linkUpMs > 0 || r.rises > 0 ? 1 : 0;
    flooded += r.rises > floodRises ? 1 : 0;
    if (r.rises > peakRises || (r.rises == peakRises && r.rises > 0 && at < peakAt)) {
        peakRises = r.rises;
        peakAt = at;
    }
}

void IntervalSums::add(const IntervalSums &o) {
    sum.add(o.sum);
    watched += o.watched;
    flooded += o.flooded;
    if (o.peakRises > peakRises ||
        (o.peakRises == peakRises && o.peakRises > 0 && o.peakAt < peakAt)) {
        peakRises = o.peakRises;
        peakAt = o.peakAt;
    }
}

qint64 PeriodFigures::watchedMs() const {
    return linkUpMs > 0 ? linkUpMs : std::max<qint64>(to - from, 1);
}

double PeriodFigures::risesPerHour() const {
    return double(rises) * double(tallyHourMs) / double(watchedMs());
}

double PeriodFigures::risesPer10Min() const {
    return double(rises) * double(rateIntervalMs) / double(watchedMs());
}

double PeriodFigures::floodShare() const {
    return intervals > 0 ? double(floodIntervals) / double(intervals) : 0;
}

double PeriodFigures::top10Share() const {
    qint64 top = 0;
    for (size_t i = 0; i < alarms.size() && i < 10; ++i)
        top += alarms[i].rises;
    return rises > 0 ? double(top) / double(rises) : 0;
}

double PeriodFigures::value(Measure m) const {
    switch (m) {
    case Measure::RisesPerHour:
        return risesPerHour();
    case Measure::RisesPer10Min:
        return risesPer10Min();
    case Measure::Peak10Min:
        return double(peakRises);
    case Measure::FloodShare:
        return floodShare();
    case Measure::Top10Share:
    case Measure::MeasureCount:
        break;
    }
    return top10Share();
}

double PeriodFigures::reference(Measure m) {
    switch (m) {
    case Measure::RisesPerHour:
        return acceptableRisesPerHour;
    case Measure::RisesPer10Min:
        return acceptableRisesPerHour / 6;
    case Measure::Peak10Min:
        return double(floodRises);
    case Measure::FloodShare:
        return floodShareLimit;
    case Measure::Top10Share:
    case Measure::MeasureCount:
        break;
    }
    return top10ShareLimit;
}

bool PeriodFigures::isOut(Measure m) const {
    if (m == Measure::Top10Share &&
        std::count_if(alarms.begin(), alarms.end(),
                      [](const AlarmFigures &a) { return a.rises > 0; }) <= 10)
        return false;
    return value(m) > reference(m);
}

PeriodFigures periodFigures(const PeriodTotals &totals,
                            const std::vector<std::pair<QString, qint64>> &onAtEnd,
                            PeriodFigures f) {
    f.alarms.clear();
    for (auto it = totals.alarms.cbegin(); it != totals.alarms.cend(); ++it) {
        const AlarmHour &h = it.value();
        AlarmFigures a;
        a.key = it.key();
        a.rises = h.rises;
        a.activeMs = h.activeMs;
        a.longestMs = h.longestMs;
        a.chatters = h.chatters;
        a.firstOuts = h.firstOuts;
        a.shelvedMs = h.shelvedMs;
        a.shelvedRises = h.shelvedRises;
        a.ackedSoon = h.ackedSoon;
        a.stale = h.stale;
        a.endedWithRun = h.endedWithRun;
        a.endedByCrash = h.endedByCrash;
        f.rises += h.rises;
        f.endedWithRun += h.endedWithRun;
        f.endedByCrash += h.endedByCrash;
        f.alarms.push_back(a);
    }
    for (const auto &on : onAtEnd) {
        const QString &name = on.first;
        const qint64 since = on.second;
        // Only when the end of the history is in the period, and the rise not after it.
        if (f.historyEnd < f.from || f.historyEnd >= f.to || since > f.historyEnd)
            continue;
        auto it = std::find_if(f.alarms.begin(), f.alarms.end(),
                               [&](const AlarmFigures &a) { return a.key == name; });
        if (it == f.alarms.end()) {
            f.alarms.push_back(AlarmFigures());
            it = f.alarms.end() - 1;
            it->key = name;
        }
        it->onAtEnd = since;
    }
    std::sort(f.alarms.begin(), f.alarms.end(), [](const AlarmFigures &a, const AlarmFigures &b) {
        return a.rises != b.rises ? a.rises > b.rises : a.key < b.key;
    });
    IntervalSums all = totals.summed;
    for (const auto &[at, r] : totals.intervals)
        all.add(at, r);
    f.intervals = all.watched;
    f.floodIntervals = all.flooded;
    f.peakRises = all.peakRises;
    f.peakAt = all.peakAt;
    f.linkUpMs = all.sum.linkUpMs;
    f.linkLosses = all.sum.linkLosses;
    f.crashes = all.sum.crashes;
    f.overlapMs = all.sum.overlapMs;
    f.clearsWithoutRise = all.sum.clearsWithoutRise;
    f.risesWhileOn = all.sum.risesWhileOn;
    f.notCounted = all.sum.notCounted;
    f.clockJumps = all.sum.clockJumps;
    return f;
}

PeriodFigures figuresFromRows(const std::vector<Event> &rows, qint64 from, qint64 to, qint64 end) {
    AlarmTally tally;
    PeriodFigures facts;
    facts.from = from;
    facts.to = to;
    facts.historyEnd = end;
    for (const Event &row : rows) {
        tally.add(row);
        if (const std::optional<ClockJumpRow> jump = readClockJumpRow(row))
            if (row.at >= from && row.at < to)
                facts.jumps.push_back({jump->from, jump->to});
        facts.eventsFrom = facts.eventsFrom ? std::min(facts.eventsFrom, row.at) : row.at;
    }
    const auto on = tally.alarmsOn();
    tally.finishAt(end);
    PeriodTotals totals;
    totals.add(tally.take(), from, to);
    return periodFigures(totals, on, facts);
}

QJsonObject PeriodFigures::toJson() const {
    QJsonObject o;
    o.insert(QStringLiteral("version"), version);
    for (const PeriodField &f : periodFields)
        o.insert(QLatin1String(f.name), double(this->*f.member));
    o.insert(QStringLiteral("no_history"), noHistory);
    QJsonArray list;
    for (const AlarmFigures &a : alarms) {
        QJsonObject item;
        item.insert(QStringLiteral("key"), a.key);
        for (const Field &f : alarmFields)
            item.insert(QLatin1String(f.name), double(a.*f.member));
        item.insert(QStringLiteral("on_at_end"), double(a.onAtEnd));
        list.append(item);
    }
    o.insert(QStringLiteral("alarms"), list);
    QJsonArray jumpList;
    for (const ClockJumpFigure &j : jumps)
        jumpList.append(QJsonObject{{QStringLiteral("from"), double(j.from)},
                                    {QStringLiteral("to"), double(j.to)}});
    o.insert(QStringLiteral("jumps"), jumpList);
    return o;
}

std::optional<PeriodFigures> PeriodFigures::fromJson(const QJsonObject &o) {
    PeriodFigures f;
    if (o.value(QStringLiteral("version")).toInt(-1) != version ||
        !o.value(QStringLiteral("no_history")).isBool() ||
        !o.value(QStringLiteral("alarms")).isArray() || !o.value(QStringLiteral("jumps")).isArray())
        return std::nullopt;
    f.noHistory = o.value(QStringLiteral("no_history")).toBool();
    // Times before 1970 are times all the same (a clock with a flat battery).
    for (const PeriodField &field : periodFields) {
        const QLatin1String name(field.name);
        const bool time = name == QLatin1String("from") || name == QLatin1String("to") ||
                          name.endsWith(QLatin1String("_end")) ||
                          name.endsWith(QLatin1String("_from")) || name == QLatin1String("peak_at");
        const std::optional<qint64> v = count(o, field.name, time);
        if (!v)
            return std::nullopt;
        f.*field.member = *v;
    }
    for (const QJsonValue &item : o.value(QStringLiteral("alarms")).toArray()) {
        const QJsonObject a = item.toObject();
        AlarmFigures figures;
        if (!a.value(QStringLiteral("key")).isString())
            return std::nullopt;
        figures.key = a.value(QStringLiteral("key")).toString();
        for (const Field &field : alarmFields) {
            const std::optional<qint64> v = count(a, field.name);
            if (!v)
                return std::nullopt;
            figures.*field.member = *v;
        }
        const std::optional<qint64> on = count(a, "on_at_end", true);
        if (!on)
            return std::nullopt;
        figures.onAtEnd = *on;
        f.alarms.push_back(figures);
    }
    for (const QJsonValue &item : o.value(QStringLiteral("jumps")).toArray()) {
        const std::optional<qint64> from = count(item.toObject(), "from", true);
        const std::optional<qint64> to = count(item.toObject(), "to", true);
        if (!from || !to)
            return std::nullopt;
        f.jumps.push_back({*from, *to});
    }
    return f;
}

} // namespace events
