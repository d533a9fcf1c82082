#include "history/rollup.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace history {
namespace rollup {

namespace {

const char *const series[] = {"water_in", "water_out", "dew_point"};
const char *const triggers[] = {"samples_minute_insert", "samples_minute_delete",
                                "samples_minute_update"};

// The aggregate of the samples whose time satisfies `where`, one row per minute, in the
// table's column order.
QString aggregate(const QString &where) {
    QString sql = QStringLiteral("SELECT at - at % 60000, count(*)");
    for (const char *s : series)
        sql += QStringLiteral(", min(%1), max(%1), total(%1), count(%1)").arg(QLatin1String(s));
    return sql + QStringLiteral(" FROM samples WHERE %1 GROUP BY 1").arg(where);
}

// Recomputes the minute of time `at` from the samples left in it (none: no row).
QString recompute(const QString &at) {
    const QString minute = QStringLiteral("(%1 - %1 % 60000)").arg(at);
    return QStringLiteral("DELETE FROM samples_minute WHERE minute = %1; "
                          "INSERT INTO samples_minute %2; ")
        .arg(minute, aggregate(QStringLiteral("at >= %1 AND at < %1 + 60000").arg(minute)));
}

QStringList creation() {
    QString table = QStringLiteral("CREATE TABLE IF NOT EXISTS samples_minute("
                                   "minute INTEGER PRIMARY KEY, samples INTEGER NOT NULL");
    for (const char *s : series)
        table += QStringLiteral(", %1_min REAL, %1_max REAL, %1_sum REAL NOT NULL, "
                                "%1_count INTEGER NOT NULL")
                     .arg(QLatin1String(s));
    table += QLatin1Char(')');

    // One sample joins its minute: a NULL value leaves the minimum and maximum as they are
    // (SQLite's min() and max() of several arguments would give NULL).
    QString values = QStringLiteral("NEW.at - NEW.at % 60000, 1");
    QString update = QStringLiteral("samples = samples + 1");
    for (const char *name : series) {
        const QLatin1String s(name);
        values +=
            QStringLiteral(", NEW.%1, NEW.%1, coalesce(NEW.%1, 0), NEW.%1 IS NOT NULL").arg(s);
        update += QStringLiteral(", %1_min = min(coalesce(%1_min, excluded.%1_min), "
                                 "coalesce(excluded.%1_min, %1_min))"
                                 ", %1_max = max(coalesce(%1_max, excluded.%1_max), "
                                 "coalesce(excluded.%1_max, %1_max))"
                                 ", %1_sum = %1_sum + excluded.%1_sum"
                                 ", %1_count = %1_count + excluded.%1_count")
                      .arg(s);
    }
    return {table,
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS samples_minute_insert AFTER INSERT ON "
                           "samples BEGIN INSERT INTO samples_minute VALUES(%1) "
                           "ON CONFLICT(minute) DO UPDATE SET %2; END")
                .arg(values, update),
            // A minimum cannot be taken back: a deleted or changed sample has its minute
            // computed again from the (at most sixty) samples left in it.
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS samples_minute_delete AFTER DELETE ON "
                           "samples BEGIN %1END")
                .arg(recompute(QStringLiteral("OLD.at"))),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS samples_minute_update AFTER UPDATE ON "
                           "samples BEGIN %1%2END")
                .arg(recompute(QStringLiteral("OLD.at")), recompute(QStringLiteral("NEW.at")))};
}

bool run(QSqlQuery &q, const QString &sql, QString *error) {
    if (q.exec(sql))
        return true;
    *error = q.lastError().text();
    return false;
}

} // namespace

bool isInstalled(QSqlDatabase &db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE (type = 'table' AND "
                               "name = 'samples_minute') OR (type = 'trigger' AND name IN "
                               "('%1', '%2', '%3'))")
                    .arg(QLatin1String(triggers[0]), QLatin1String(triggers[1]),
                         QLatin1String(triggers[2]))) ||
        !q.next())
        return false;
    return q.value(0).toInt() == 4;
}

bool rebuild(QSqlDatabase &db, QString *error) {
    QSqlQuery q(db);
    return run(q, QStringLiteral("DELETE FROM samples_minute"), error) &&
           run(q, QStringLiteral("INSERT INTO samples_minute ") + aggregate(QStringLiteral("1")),
               error);
}

bool install(QSqlDatabase &db, QString *error) {
    if (isInstalled(db))
        return true;
    QSqlQuery q(db);
    for (const QString &sql : creation())
        if (!run(q, sql, error))
            return false;
    return rebuild(db, error);
}

} // namespace rollup
} // namespace history
