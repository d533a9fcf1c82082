#pragma once

#include <QString>

class QSqlDatabase;

// What log/history.sqlite holds: the tables `events` and `samples`, their indexes, the per-minute
// and per-hour tables with their triggers (history/rollup.h), and the version of that layout in
// PRAGMA user_version.
namespace history {
namespace schema {

// The layout this program writes. A file of a later one is never changed. 3: the table `runs`
// (see RunBook).
constexpr int version = 3;
// The index on (category, at) that addIndexes makes.
constexpr char categoryIndex[] = "events_category_at";

// PRAGMA user_version of `db` in `found`; false, with the SQL error in `error`, when it cannot
// be read (a version may be below 0: the pragma holds any 32-bit number).
bool versionOf(QSqlDatabase &db, int *found, QString *error);
// The same of the file at `path`, read on a read-only connection of its own (named
// `connection`, removed again), which neither switches a file to WAL nor, as it closes, writes
// its write-ahead log into it; 0 for a file not there or empty, false when it cannot be read.
bool versionOfFile(const QString &path, const QString &connection, int *found);
// Whether a database of version `found` is one this program may change: of this layout or an
// earlier one. One of a later program, or below 0 (no layout this program ever wrote), is left
// as it is.
constexpr bool isOurs(int found) {
    return found >= 0 && found <= version;
}
// How such a version is said: "of a later version (4) than this program writes (3)", "of an
// unknown version (-1; this program writes 3)".
QString foreignVersion(int found);

// Whether the tables of this version that a database of it can lack are there: the per-minute
// and per-hour tables with their triggers, `runs`, the alarm report's tallies (alarm_rollup.h).
bool isComplete(QSqlDatabase &db);

// Makes, in one write transaction, what a database of `found` (an earlier version, or this one
// with its per-minute tables missing) lacks, and sets the version. False with the SQL error.
bool install(QSqlDatabase &db, QString *error);

// The indexes the windows' queries need besides the one on `at` that the writer needs: the
// Events tab's category filter reads `category = ? ORDER BY at DESC` along (category, at)
// instead of walking every row. Made where missing (a database of an earlier program) in a
// statement of its own; a layout of the same version with or without it is read alike.
bool addIndexes(QSqlDatabase &db, QString *error);

} // namespace schema
} // namespace history
