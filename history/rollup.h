#pragma once

#include <QString>
#include <QtGlobal>

class QSqlDatabase;

namespace history {

// The per-minute table beside the samples: for each minute that holds samples, the minimum,
// maximum, sum and count of each series, so that a trend over weeks reads a few thousand rows
// a day instead of 86,400. Triggers in the database keep it equal to the samples table on every
// insert, delete and update, whichever program writes (an older one, the sqlite3 shell), so the
// table never goes out of date while its triggers exist.
namespace rollup {

constexpr qint64 minuteMs = 60 * 1000;

// Creates the table and its triggers where they are missing and, when anything was missing,
// refills the table from the samples table. Runs inside the caller's write transaction; false
// with the reason in `error`.
bool install(QSqlDatabase &db, QString *error);

// Whether the table and all its triggers are there.
bool isInstalled(QSqlDatabase &db);

// Empties the table and fills it again from the samples table.
bool rebuild(QSqlDatabase &db, QString *error);

} // namespace rollup
} // namespace history
