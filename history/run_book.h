#pragma once

#include "events/records.h"

#include <QSet>
#include <QString>
#include <QtGlobal>

#include <vector>

class QSqlDatabase;
class QSqlQuery;

namespace history {

// A run that ended with its port open (killed, crashed, the power gone): the port, and the time
// of the run's newest row, where its `ended_unexpectedly` row goes.
struct EndedRun {
    qint64 run = 0; // its row in `runs`; 0: a run of a program older than that table
    QString port;
    qint64 newestAt = 0;
};

// The table `runs(run, started_at, newest_at, open_port)`: a row for each run of the program
// that has written to the database, brought up to date in the same transaction as the run's
// rows: the time of its newest row and the port it holds open (NULL when none). So the next
// start marks each run that ended with its port open by itself, however many programs share
// the folder and in whichever order they ended.
class RunBook {
public:
    static constexpr const char *createTable =
        "CREATE TABLE IF NOT EXISTS runs(run INTEGER PRIMARY KEY, started_at INTEGER NOT NULL, "
        "newest_at INTEGER, open_port TEXT)";
    static bool isInstalled(QSqlDatabase &db);

    // `startedAt`: the run's start, ms since 1970; with the row's number it tells this run's row
    // from another's in a file put in the database's place.
    explicit RunBook(qint64 startedAt) : startedAt(startedAt) {}

    // Inside a write's transaction, before its commit: this run's row made (at its first write
    // to this file) or brought up to date with `events` and `samples`; a run whose
    // ended_unexpectedly row is among `events` loses its port.
    bool record(QSqlQuery &q, const std::vector<events::Event> &events,
                const std::vector<events::Sample> &samples, QString *error);
    // After the commit of a transaction record() was part of.
    void committed();
    // The row for `ended` is to be written at this start (see record()).
    void ending(const EndedRun &ended);

    // The runs that ended with their port open, but for this one. While no run of this table
    // has written yet, the last port row of the older program's rows decides.
    bool readEnded(QSqlDatabase &db, std::vector<EndedRun> *runs, QString *error) const;

private:
    qint64 startedAt;
    qint64 run = 0;
    QString port; // held open, as committed
    qint64 pendingRun = 0;
    QString pendingPort;
    std::vector<EndedRun> ends; // to be written at this start
    QSet<qint64> endsWritten;   // in the transaction under way
};

} // namespace history
