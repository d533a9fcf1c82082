#include "history/alarm_rows.h"

#include "events/active_alarms.h"
#include "history/event_store.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace history {

namespace {

// Runs `sql` with `bound` and hands each row to `take`; the query is finished before it
// returns, so no read transaction outlives the call.
bool readRows(QSqlDatabase &db, const QString &sql, const QVariantList &bound,
              const std::function<void(const QSqlQuery &)> &take, QString *error) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // A file that is no database fails here, with the reason that says so.
    if (!query.prepare(sql)) {
        *error = query.lastError().text();
        return false;
    }
    for (const QVariant &v : bound)
        query.addBindValue(v);
    bool ok = query.exec();
    while (ok && query.next())
        take(query);
    if (query.lastError().isValid()) {
        ok = false;
        *error = query.lastError().text();
    }
    query.finish();
    return ok;
}

bool read(QSqlDatabase &db, std::vector<events::Event> *rows, QString *error) {
    // The rows that end every alarm before them. A run's mark (`ended_unexpectedly`, written at
    // a later start, at that run's newest row) ends only the alarms up to its time: those that
    // another program in the folder raised since are still on. It is read with the alarms.
    QStringList ending = events::linkNamesEndingAlarms();
    ending.removeAll(QStringLiteral("ended_unexpectedly"));
    QVariantList bound;
    for (const QString &name : ending)
        bound << name;
    QStringList marks;
    for (int i = 0; i < ending.size(); ++i)
        marks << QStringLiteral("?");
    // By write order (rowid), never by `at`: a clock set ahead and back writes rows whose
    // times say nothing of their order, and an alarm raised under the clock set ahead would
    // outlive the run's end that was written after it. The table's own order finds the newest
    // at once, however long the history is.
    qint64 cutId = 0;
    bool found = false;
    if (!readRows(
            db,
            QStringLiteral("SELECT rowid, at, category, name, value FROM events "
                           "WHERE category = 'link' AND name IN (%1) "
                           "ORDER BY rowid DESC LIMIT 1")
                .arg(marks.join(QLatin1Char(','))),
            bound,
            [&](const QSqlQuery &q) {
                found = true;
                cutId = q.value(0).toLongLong();
                rows->push_back({q.value(1).toLongLong(), q.value(2).toString(),
                                 q.value(3).toString(), q.value(4).toString(), QString()});
            },
            error))
        return false;
    QString sql = QStringLiteral("SELECT at, category, name, value FROM events "
                                 "WHERE (category = 'alarm' OR (category = 'link' AND name = "
                                 "'ended_unexpectedly'))");
    bound.clear();
    if (found) {
        sql += QStringLiteral(" AND rowid > ?");
        bound << cutId;
    }
    sql += QStringLiteral(" ORDER BY rowid");
    return readRows(
        db, sql, bound,
        [&](const QSqlQuery &q) {
            rows->push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                             q.value(3).toString(), QString()});
        },
        error);
}

} // namespace

bool readAlarmRows(const QString &path, std::vector<events::Event> *rows, QString *error) {
    rows->clear();
    if (!QFileInfo(path).isFile())
        return true;
    const QString connection = newConnectionName(QStringLiteral("alarm-rows"));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open())
            ok = read(db, rows, error);
        else
            *error = db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!ok)
        rows->clear();
    return ok;
}

} // namespace history
