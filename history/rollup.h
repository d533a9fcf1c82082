#pragma once

#include <QString>
#include <QtGlobal>

class QSqlDatabase;

namespace history {

// The per-minute and per-hour tables beside the samples: for each minute (hour) that holds
// samples, the minimum, maximum, sum and count of each series, so that a trend over months
// reads a few thousand rows instead of millions. Triggers in the database keep both equal to
// the samples table on every insert, delete and update, whichever program writes (an older
// one, the sqlite3 shell), so the tables never go out of date while their triggers exist.
namespace rollup {

constexpr qint64 minuteMs = 60 * 1000;
constexpr qint64 hourMs = 60 * minuteMs;

// A table of intervals: `at` (start, ms since 1970, the key), `samples`, and per series
// <name>_min, <name>_max, <name>_sum, <name>_count.
struct Level {
    qint64 lengthMs;
    const char *table;
};
// The finest first.
constexpr Level levels[] = {{minuteMs, "samples_minute"}, {hourMs, "samples_hour"}};

// Creates the tables and their triggers where they are missing and, when anything was missing,
// refills the tables from the samples table. Runs inside the caller's write transaction; false
// with the reason in `error`.
bool install(QSqlDatabase &db, QString *error);

// Whether the tables and all their triggers are there.
bool isInstalled(QSqlDatabase &db);

// Empties the tables and fills them again from the samples table.
bool rebuild(QSqlDatabase &db, QString *error);

} // namespace rollup
} // namespace history
