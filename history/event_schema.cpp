#include "history/event_schema.h"

#include "history/alarm_rollup.h"
#include "history/rollup.h"
#include "history/run_book.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace history {
namespace schema {

bool versionOf(QSqlDatabase &db, int *found, QString *error) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *error = q.lastError().text();
        return false;
    }
    *found = q.value(0).toInt();
    return true;
}

bool versionOfFile(const QString &path, const QString &connection, int *found) {
    *found = 0;
    if (QFileInfo(path).size() == 0)
        return true;
    bool read = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        QString ignored;
        read = db.open() && versionOf(db, found, &ignored);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return read;
}

QString foreignVersion(int found) {
    return (found < 0 ? QStringLiteral("of an unknown version (%1; this program writes %2)")
                      : QStringLiteral("of a later version (%1) than this program writes (%2)"))
        .arg(found)
        .arg(version);
}

bool isComplete(QSqlDatabase &db) {
    return rollup::isInstalled(db) && RunBook::isInstalled(db) && AlarmRollup::isInstalled(db);
}

bool install(QSqlDatabase &db, QString *error) {
    QSqlQuery q(db);
    const auto undo = [&](const QString &why) {
        *error = why;
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    // IF NOT EXISTS: another program may be doing the same at this moment.
    for (const char *sql :
         {"BEGIN IMMEDIATE",
          "CREATE TABLE IF NOT EXISTS events(at INTEGER NOT NULL, category TEXT NOT NULL, "
          "name TEXT NOT NULL, value TEXT, detail TEXT)",
          "CREATE INDEX IF NOT EXISTS events_at ON events(at)",
          "CREATE TABLE IF NOT EXISTS samples(at INTEGER NOT NULL, water_in REAL, "
          "water_out REAL, dew_point REAL)",
          "CREATE INDEX IF NOT EXISTS samples_at ON samples(at)", RunBook::createTable})
        if (!q.exec(QLatin1String(sql)))
            return undo(q.lastError().text());
    // Version 2 adds the per-minute table, filled from the samples already kept.
    QString why;
    if (!rollup::install(db, &why) || !AlarmRollup::install(db, &why))
        return undo(why);
    if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)) ||
        !q.exec(QStringLiteral("COMMIT")))
        return undo(q.lastError().text());
    return true;
}

bool addIndexes(QSqlDatabase &db, QString *error) {
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON events(category, at)")
                   .arg(QLatin1String(categoryIndex))))
        return true;
    *error = q.lastError().text();
    return false;
}

} // namespace schema
} // namespace history
