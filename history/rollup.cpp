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
const char *const triggers[] = {"samples_rollup_insert", "samples_rollup_delete",
                                "samples_rollup_update"};

QString intervalOf(const QString &at, qint64 lengthMs) {
    return QStringLiteral("(%1 - %1 % %2)").arg(at).arg(lengthMs);
}

// One row per interval of `level` from the rows of the level below (the samples table for
// minutes) that satisfy `where`, in the tables' column order.
QString aggregate(int level, const QString &where) {
    const bool fromSamples = level == 0;
    QString sql =
        QStringLiteral("SELECT %1, %2")
            .arg(intervalOf(QStringLiteral("at"), levels[level].lengthMs),
                 fromSamples ? QStringLiteral("count(*)") : QStringLiteral("total(samples)"));
    for (const char *name : series)
        sql += (fromSamples ? QStringLiteral(", min(%1), max(%1), total(%1), count(%1)")
                            : QStringLiteral(", min(%1_min), max(%1_max), total(%1_sum), "
                                             "total(%1_count)"))
                   .arg(QLatin1String(name));
    return sql + QStringLiteral(" FROM %1 WHERE %2 GROUP BY 1")
                     .arg(fromSamples ? QStringLiteral("samples")
                                      : QLatin1String(levels[level - 1].table),
                          where);
}

// Computes the interval of time `at` of every level again from the level below, finest
// first (none left: no row).
QString recompute(const QString &at) {
    QString sql;
    for (int level = 0; level < 2; ++level) {
        const QString start = intervalOf(at, levels[level].lengthMs);
        sql += QStringLiteral("DELETE FROM %1 WHERE at = %2; INSERT INTO %1 %3; ")
                   .arg(QLatin1String(levels[level].table), start,
                        aggregate(level, QStringLiteral("at >= %1 AND at < %1 + %2")
                                             .arg(start)
                                             .arg(levels[level].lengthMs)));
    }
    return sql;
}

QStringList creation() {
    QStringList out;
    QString columns = QStringLiteral("at INTEGER PRIMARY KEY, samples INTEGER NOT NULL");
    for (const char *s : series)
        columns += QStringLiteral(", %1_min REAL, %1_max REAL, %1_sum REAL NOT NULL, "
                                  "%1_count INTEGER NOT NULL")
                       .arg(QLatin1String(s));
    for (const Level &level : levels)
        out << QStringLiteral("CREATE TABLE IF NOT EXISTS %1(%2)")
                   .arg(QLatin1String(level.table), columns);

    // A new sample joins its minute and its hour. A NULL value leaves the minimum and maximum
    // as they are (SQLite's min() and max() of several arguments would give NULL).
    QString values = QStringLiteral("1");
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
    QString insert;
    for (const Level &level : levels)
        insert += QStringLiteral("INSERT INTO %1 VALUES(%2, %3) ON CONFLICT(at) DO UPDATE SET "
                                 "%4; ")
                      .arg(QLatin1String(level.table),
                           intervalOf(QStringLiteral("NEW.at"), level.lengthMs), values, update);
    out << QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER INSERT ON samples BEGIN %2END")
               .arg(QLatin1String(triggers[0]), insert);
    // A minimum cannot be taken back: a deleted or changed sample has its minute computed again
    // from the (at most sixty) samples left in it, and its hour from the minutes.
    out << QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER DELETE ON samples BEGIN %2END")
               .arg(QLatin1String(triggers[1]), recompute(QStringLiteral("OLD.at")));
    out << QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER UPDATE ON samples BEGIN %2%3END")
               .arg(QLatin1String(triggers[2]), recompute(QStringLiteral("OLD.at")),
                    recompute(QStringLiteral("NEW.at")));
    return out;
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
                               "name IN ('%1', '%2')) OR (type = 'trigger' AND name IN "
                               "('%3', '%4', '%5'))")
                    .arg(QLatin1String(levels[0].table), QLatin1String(levels[1].table),
                         QLatin1String(triggers[0]), QLatin1String(triggers[1]),
                         QLatin1String(triggers[2]))) ||
        !q.next())
        return false;
    return q.value(0).toInt() == 5;
}

bool rebuild(QSqlDatabase &db, QString *error) {
    QSqlQuery q(db);
    for (int level = 0; level < 2; ++level)
        if (!run(q, QStringLiteral("DELETE FROM %1").arg(QLatin1String(levels[level].table)),
                 error) ||
            !run(
                q,
                QStringLiteral("INSERT INTO %1 %2")
                    .arg(QLatin1String(levels[level].table), aggregate(level, QStringLiteral("1"))),
                error))
            return false;
    return true;
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
