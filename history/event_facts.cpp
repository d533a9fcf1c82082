// What the writer reads of the history before the first row of its run (EventStore::readFacts):
// the times its retention clock starts from, and the runs that ended with their port open.
#include "history/event_store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>

namespace history {

EventStore::Result EventStore::readFacts(qint64 now, qint64 toleranceMs, HistoryFacts *facts,
                                         QString *error) {
    *facts = HistoryFacts();
    if (!isOpen()) {
        *error = QStringLiteral("%1 is not open").arg(file);
        return Result::Failed;
    }
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    bool ok = true;
    // The first row `sql` gives, each query finished before the next.
    const auto first = [&](const QString &sql, const QVariantList &bound = {}) {
        QVariantList row;
        QSqlQuery q(db);
        q.setForwardOnly(true);
        const bool prepared = q.prepare(sql);
        for (const QVariant &v : bound)
            q.addBindValue(v);
        if (!prepared || !q.exec()) {
            ok = false;
            *error = QStringLiteral("%1: %2").arg(file, q.lastError().text());
        } else if (q.next()) {
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
        }
        return row;
    };
    const auto time = [](const QVariantList &row) { return row.value(0).toLongLong(); };
    facts->lastWrittenAt =
        std::max(time(first(QStringLiteral("SELECT at FROM events ORDER BY rowid DESC LIMIT 1"))),
                 time(first(QStringLiteral("SELECT at FROM samples ORDER BY rowid DESC LIMIT 1"))));
    const QVariantList notAfter = {now + toleranceMs};
    facts->newestAt = std::max(
        time(first(QStringLiteral("SELECT max(at) FROM events WHERE at <= ?"), notAfter)),
        time(first(QStringLiteral("SELECT max(at) FROM samples WHERE at <= ?"), notAfter)));
    if (facts->newestAt > 0) {
        // Whether the rows of the last `toleranceMs` follow a pause longer than that.
        const QVariantList dayBefore = {facts->newestAt - toleranceMs};
        const qint64 before = std::max(
            time(first(QStringLiteral("SELECT max(at) FROM events WHERE at <= ?"), dayBefore)),
            time(first(QStringLiteral("SELECT max(at) FROM samples WHERE at <= ?"), dayBefore)));
        const QVariantList window = {facts->newestAt - toleranceMs, now + toleranceMs};
        qint64 after = facts->newestAt;
        for (const QString &table : {QStringLiteral("events"), QStringLiteral("samples")}) {
            const QVariantList row =
                first(QStringLiteral("SELECT min(at) FROM %1 WHERE at > ? AND at <= ?").arg(table),
                      window);
            if (!row.value(0).isNull())
                after = std::min(after, time(row));
        }
        if (before > 0 && after - before > toleranceMs)
            facts->beforePauseAt = before;
    }
    const QVariantList clock = first(QStringLiteral(
        "SELECT at, value FROM events WHERE category = 'clock' ORDER BY rowid DESC LIMIT 1"));
    if (clock.size() == 2 && clock[1].toString() == QLatin1String("forward") &&
        facts->lastWrittenAt - time(clock) < toleranceMs) {
        facts->unsettledJumpAt = time(clock);
        const QVariantList before = {facts->unsettledJumpAt - toleranceMs};
        facts->beforeJumpAt = std::max(
            time(first(QStringLiteral("SELECT max(at) FROM events WHERE at < ?"), before)),
            time(first(QStringLiteral("SELECT max(at) FROM samples WHERE at < ?"), before)));
    }
    ok = ok && (!runBook || runBook->readEnded(db, &facts->endedOpen, error));
    return ok ? Result::Ok : classify(*error);
}

} // namespace history
