#pragma once

#include "events/alarm_tally.h"
#include "history/event_store.h"

#include <QString>
#include <QtGlobal>

#include <vector>

class QSqlDatabase;

namespace history {

// The alarm report's tallies kept in the history, so that a report over a year reads a few
// hundred thousand sums instead of millions of rows:
//   alarm_hours(at, name, ...)     each alarm's tallies by the hour (events::AlarmHour)
//   alarm_intervals(at, ...)       all alarms and the link by 10-minute interval
//   alarm_fold(id, folded_rowid, check_rowid, check_at, state)
//                                  how far the rows are folded (by rowid, the order of
//                                  writing), the last row folded (to know the rows are still
//                                  those), and the fold's state there
// (the clock rows are found along the index on (category, at)). The writer folds whatever rows any
// program wrote since the last fold, a slice at a time; a report folds the rest itself. The
// tables are a cache of the events: a history without them (an older program's) is read whole,
// and they are made and filled by the writer's next slices.
class AlarmRollup {
public:
    // Makes the tables and the index where they are missing (inside the caller's transaction;
    // the event store does, as it opens the history).
    static bool install(QSqlDatabase &db, QString *error);
    // Whether the tables are there.
    static bool isInstalled(QSqlDatabase &db);
    // The columns of alarm_hours and alarm_intervals after `at` (and `name`), in order.
    struct HourColumn {
        const char *name;
        qint64 events::AlarmHour::*member;
        bool largest; // kept as the larger of two, not their sum
    };
    struct IntervalColumn {
        const char *name;
        qint64 events::RateInterval::*member;
    };
    static const std::vector<HourColumn> &hourColumns();
    static const std::vector<IntervalColumn> &intervalColumns();
    // The state folded so far, if the tables hold one whose last row is still where it was:
    // the rowid folded up to and the state's bytes. False (and nothing set) otherwise.
    static bool readFold(QSqlDatabase &db, qint64 *foldedRowid, QByteArray *state);

    // Folds the rows written since the last fold into the tables, in slices of about 50 ms, for
    // at most `budgetMs`; tallies of hours before `forgetBefore` are deleted (retention). Each
    // slice is a transaction of its own that does not wait for the disk (a power cut loses
    // only slices that are folded again). The store's own result when a slice fails.
    EventStore::Result keepUp(EventStore &store, qint64 budgetMs, qint64 forgetBefore,
                              QString *error);
    // Rows are waiting to be folded (after the last keepUp).
    bool isBehind() const { return behind; }

private:
    EventStore::Result slice(QSqlDatabase &db, QString *error);

    events::AlarmTally tally;
    qint64 folded = -1; // the rowid the tally is at; -1: read it from the database
    qint64 forgotten = 0;
    int sliceRows = 4096;
    bool behind = false;
    QString connection;
};

} // namespace history
