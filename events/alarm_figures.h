#pragma once

#include "events/alarm_tally.h"
#include "events/records.h"

#include <QHash>
#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

// The alarm report's figures of one period: per alarm and overall, with the reference lines of
// alarm-management practice beside them, and what the history could not tell. A plain value,
// made from the period's tallies (alarm_tally.h), however they were read, and kept or sent as
// JSON.
namespace events {

struct AlarmFigures {
    QString key; // the alarm's key in the history (doorInterlock, module1.qbhFault)
    qint64 rises = 0;
    qint64 activeMs = 0;
    qint64 longestMs = 0; // the longest activation that ended in the period or was on at its end
    qint64 chatters = 0;  // chattering episodes
    qint64 firstOuts = 0;
    qint64 shelvedMs = 0;
    qint64 shelvedRises = 0;
    qint64 ackedSoon = 0; // rises acknowledged within 10 min
    qint64 stale = 0;     // activations on for more than 24 h
    qint64 endedWithRun = 0;
    qint64 endedByCrash = 0;
    qint64 onAtEnd = -1; // on at the end of the history since then; -1: not on
    // Rises that called for an acknowledgement (not shelved) and had none within 10 min.
    qint64 notAckedSoon() const { return std::max<qint64>(0, rises - shelvedRises - ackedSoon); }
};

struct ClockJumpFigure {
    qint64 from = 0;
    qint64 to = 0;
};

// The figures set beside a reference line.
enum class Measure { RisesPerHour, RisesPer10Min, Peak10Min, FloodShare, Top10Share, MeasureCount };

struct PeriodFigures {
    static constexpr int version = 1;
    // The period: [from, to), whole hours, ms since 1970 (UTC).
    qint64 from = 0;
    qint64 to = 0;
    // The history as read: its newest row not ahead of the report's clock (what is on at the
    // end is counted up to it), its oldest event and sample (retention deletes what is older),
    // and the rows stamped more than a day after the report's clock.
    qint64 historyEnd = 0;
    qint64 eventsFrom = 0;
    qint64 samplesFrom = 0;
    qint64 rowsAhead = 0;
    bool noHistory = false;

    std::vector<AlarmFigures> alarms; // most rises first, then by key
    qint64 rises = 0;
    qint64 intervals = 0;      // 10-minute intervals watched (link up, or a rise in it)
    qint64 floodIntervals = 0; // of them, with more than 10 rises
    qint64 peakRises = 0;
    qint64 peakAt = 0; // the start of the first interval with the most rises
    qint64 linkUpMs = 0;
    qint64 linkLosses = 0;
    qint64 crashes = 0;
    // What could not be counted as it was.
    qint64 overlapMs = 0;
    qint64 clearsWithoutRise = 0;
    qint64 risesWhileOn = 0;
    qint64 notCounted = 0;
    qint64 endedWithRun = 0;
    qint64 endedByCrash = 0;
    qint64 clockJumps = 0;
    std::vector<ClockJumpFigure> jumps; // those the history names, oldest first

    // Rates over the time the link was up in the period (over the period itself when it never
    // was), as the practice counts them per operator's hour.
    qint64 watchedMs() const;
    double risesPerHour() const;
    double risesPer10Min() const;
    double floodShare() const; // of the intervals watched; 0 when none
    double top10Share() const; // of all rises; 0 when none
    // Whether the period reaches back past the hour of the oldest event kept.
    bool beforeKept() const { return floorTo(eventsFrom, tallyHourMs) > from; }

    double value(Measure m) const;
    static double reference(Measure m);
    // Beyond the reference line; the top ten's share only when more than ten alarms rose (with
    // ten or fewer it is all of them, and says nothing).
    bool isOut(Measure m) const;

    QJsonObject toJson() const;
    // Nothing when `json` is not figures of this version (a field missing, of the wrong kind,
    // negative or out of range).
    static std::optional<PeriodFigures> fromJson(const QJsonObject &json);
};

// The references: about 6 rises an hour acceptable (1 in 10 minutes), more than 10 in 10 minutes
// a flood, floods in under 1 % of the intervals, the top ten alarms under 20 % of all rises.
constexpr double acceptableRisesPerHour = 6;
constexpr qint64 floodRises = 10;
constexpr double floodShareLimit = 0.01;
constexpr double top10ShareLimit = 0.20;

// Whole 10-minute intervals added up: their sums, how many were watched (link up, or a rise),
// flooded, and the first with the most rises.
struct IntervalSums {
    RateInterval sum;
    qint64 watched = 0;
    qint64 flooded = 0;
    qint64 peakRises = 0;
    qint64 peakAt = 0;
    void add(qint64 at, const RateInterval &interval);
    void add(const IntervalSums &other);
};

// A period's tallies added up, read from wherever they were kept: intervals still being added
// to one by one, and those complete already (summed where they were kept).
struct PeriodTotals {
    QHash<QString, AlarmHour> alarms;
    std::map<qint64, RateInterval> intervals;
    IntervalSums summed;
    // Adds the changes of a fold that fall in [from, to).
    void add(const AlarmTally::Changes &changes, qint64 from, qint64 to);
};

// The figures from a period's totals, the alarms on at the end (alarmsOn() before finishAt),
// and the history's facts already in `facts` (period, ends, jumps).
PeriodFigures periodFigures(const PeriodTotals &totals,
                            const std::vector<std::pair<QString, qint64>> &onAtEnd,
                            PeriodFigures facts);

// A small history's figures from its rows alone (oldest written first): folded, what is still
// on ended at `end`.
PeriodFigures figuresFromRows(const std::vector<Event> &rows, qint64 from, qint64 to, qint64 end);

} // namespace events

Q_DECLARE_METATYPE(events::PeriodFigures)
