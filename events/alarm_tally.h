#pragma once

#include "events/records.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <map>
#include <utility>
#include <vector>

// The alarm report's tallies: what the history's rows say of each alarm by the hour, and of all
// alarms and the link by 10-minute interval, folded from the rows in the order they were
// written. Every tally adds up (or, for the longest activation, takes the larger), so a period's
// figures are the sum of its hours and intervals however the rows were folded: all at once for a
// report, or a second's rows at a time by the history's writer, which keeps them (history/).
namespace events {

constexpr qint64 tallyHourMs = 3600 * 1000;
constexpr qint64 tallyDayMs = 24 * tallyHourMs; // the hours summed again (UTC days)
constexpr qint64 rateIntervalMs = 10 * 60 * 1000;
// Three rises of one alarm within this: it chatters.
constexpr qint64 chatterWindowMs = 60 * 1000;
constexpr qint64 ackSoonMs = 10 * 60 * 1000;
constexpr qint64 staleMs = 24 * 3600 * 1000;
// An activation, shelf or link stretch longer than this (the history keeps events 400 days)
// comes of a clock far off, not of the laser: not counted, and said.
constexpr qint64 longestCountedMs = qint64(400) * 24 * 3600 * 1000;

// One alarm within one hour (the hour of the row that gave each count).
struct AlarmHour {
    qint64 rises = 0;        // its "on" rows
    qint64 shelvedRises = 0; // of them, while it was shelved
    qint64 chatters = 0;     // chattering episodes begun (a rise with two more within 60 s)
    qint64 firstOuts = 0;
    qint64 ackedSoon = 0;    // rises acknowledged within 10 min (in the rise's hour)
    qint64 activeMs = 0;     // time on within the hour
    qint64 longestMs = 0;    // the longest activation that ended in the hour (the larger wins)
    qint64 stale = 0;        // activations on for more than 24 h (in the hour they became so)
    qint64 endedWithRun = 0; // activations ended by a link row, not by their "off"
    qint64 endedByCrash = 0; // of them, by ended_unexpectedly
    qint64 shelvedMs = 0;
    void add(const AlarmHour &other);
};

// All alarms and the link within one 10-minute interval.
struct RateInterval {
    qint64 rises = 0;
    qint64 linkUpMs = 0;
    qint64 linkLosses = 0; // link_lost, device_gone
    qint64 crashes = 0;    // ended_unexpectedly
    qint64 overlapMs = 0;  // time two programs had their ports open in one history
    qint64 clearsWithoutRise = 0;
    qint64 risesWhileOn = 0;
    qint64 notCounted = 0; // activations, shelves or link stretches ending before they began or
                           // longer than longestCountedMs (a clock far off)
    qint64 clockJumps = 0;
    void add(const RateInterval &other);
};

// Where the alarm report's rows fold. Used by one thread; rows in the order they were written.
class AlarmTally {
public:
    // The categories it reads; other rows change nothing.
    static QStringList categories();

    void add(const Event &row);
    // Ends what is still going on at `end` (the history's newest row), as if it stopped there,
    // without counting it as ended with a run: for a report's own copy of the fold.
    void finishAt(qint64 end);

    // The tallies changed since the last take, as amounts to add.
    struct Changes {
        std::map<std::pair<qint64, QString>, AlarmHour> hours; // (hour, alarm)
        std::map<qint64, RateInterval> intervals;
        bool empty() const { return hours.empty() && intervals.empty(); }
    };
    Changes take();

    // The alarms on after the last row (or at finishAt), and since when.
    std::vector<std::pair<QString, qint64>> alarmsOn() const;
    // The state, to go on folding later from where this one stopped.
    QByteArray saveState() const;
    // False (and the state as new) when the bytes are not a state of this version.
    bool restoreState(const QByteArray &bytes);

private:
    struct Alarm {
        qint64 since = -1; // on since (since the last clock jump); -1: off
        qint64 before = 0; // time it was on before the last clock jump
        qint64 lastRise = -1;
        qint64 riseBefore = -1;
        bool chattering = false;
        qint64 shelvedSince = -1;
        // When the shelf ends by itself: its chosen length after shelvedSince (not kept in the
        // saved state; read back, the longest a shelf may last).
        qint64 shelfEnd = 0;
        std::vector<qint64> unacknowledged; // rises of the last 10 minutes not acknowledged
    };
    enum class End { Clear, Run, Crash, Finish };
    void rise(const QString &name, Alarm &a, qint64 at);
    void endActivation(const QString &name, Alarm &a, qint64 at, End how);
    void endShelf(const QString &name, Alarm &a, qint64 at);
    // A shelf whose time passed before `at` without its row (the program closed, its shelf
    // file lost) ended at its time.
    void shelfPassed(const QString &name, Alarm &a, qint64 at);
    void endAll(qint64 at, End how, qint64 upTo);
    void linkRow(const Event &row);
    void clockJump(qint64 from, qint64 to);
    // Spreads [from, to) over the hours of `name` (activeMs or shelvedMs) or the intervals
    // (linkUpMs or overlapMs); false when it cannot be counted.
    bool spread(qint64 from, qint64 to, const QString &name, qint64 AlarmHour::*hourField,
                qint64 RateInterval::*intervalField);
    AlarmHour &hour(qint64 at, const QString &name);
    RateInterval &interval(qint64 at);

    QHash<QString, Alarm> alarms;
    int portsOpen = 0;
    qint64 latest = 0; // the latest row time folded
    qint64 upSince = -1;
    qint64 overlapSince = -1;
    Changes changes;
};

// The start of the hour or interval `at` falls in (floor, also before 1970).
qint64 floorTo(qint64 at, qint64 length);

} // namespace events
