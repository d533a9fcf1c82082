#include "history/run_book.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>

namespace history {

namespace {

const QString portRows =
    QStringLiteral("('opened', 'closed', 'link_lost', 'device_gone', 'ended_unexpectedly')");

// "ttyUSB0 (adapter)": the port of an `opened` row.
QString portOf(const QString &detail) {
    return detail.section(QStringLiteral(" ("), 0, 0);
}

} // namespace

bool RunBook::isInstalled(QSqlDatabase &db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = "
                                 "'runs'")) &&
           q.next();
}

void RunBook::ending(const EndedRun &ended) {
    ends.push_back(ended);
}

bool RunBook::record(QSqlQuery &q, const std::vector<events::Event> &events,
                     const std::vector<events::Sample> &samples, QString *error) {
    pendingPort = port;
    endsWritten.clear();
    qint64 newest = 0;
    bool any = false;
    const auto take = [&](qint64 at) {
        newest = any ? std::max(newest, at) : at;
        any = true;
    };
    for (const events::Event &e : events) {
        if (e.category != QLatin1String("link")) {
            take(e.at);
        } else if (e.name == QLatin1String("ended_unexpectedly")) {
            // Another run's end, at that run's time.
            for (const EndedRun &r : ends)
                if (r.run != 0 && r.newestAt == e.at && r.port == e.detail)
                    endsWritten.insert(r.run);
        } else {
            take(e.at);
            if (e.name == QLatin1String("opened"))
                pendingPort = portOf(e.detail);
            else if (QStringList({"closed", "link_lost", "device_gone"}).contains(e.name))
                pendingPort.clear();
        }
    }
    for (const events::Sample &s : samples)
        take(s.at);
    const auto exec = [&](const QString &sql, const QVariantList &bound) {
        bool ok = q.prepare(sql);
        for (const QVariant &v : bound)
            q.addBindValue(v);
        ok = ok && q.exec();
        if (!ok)
            *error = q.lastError().text();
        return ok;
    };
    for (const qint64 ended : endsWritten)
        if (!exec(QStringLiteral("UPDATE runs SET open_port = NULL WHERE run = ?"), {ended}))
            return false;
    // An invalid QVariant is bound as NULL.
    const QVariant newestAt = any ? QVariant(newest) : QVariant();
    const QVariant openPort = pendingPort.isEmpty() ? QVariant() : QVariant(pendingPort);
    pendingRun = 0;
    if (run != 0) {
        // The newest of all its rows, not of this batch: an alarm stamped under a clock set
        // ahead and back stays before the run's mark, which ends it (max() of a NULL is NULL).
        if (!exec(QStringLiteral("UPDATE runs SET newest_at = max(coalesce(?, newest_at), "
                                 "coalesce(newest_at, ?)), open_port = ? WHERE run = ? AND "
                                 "started_at = ?"),
                  {newestAt, newestAt, openPort, run, startedAt}))
            return false;
        if (q.numRowsAffected() == 1) {
            pendingRun = run;
            return true;
        }
    }
    // The first write of this run to this file (another may have been put in its place).
    if (!exec(QStringLiteral("INSERT INTO runs(started_at, newest_at, open_port) VALUES(?, ?, ?)"),
              {startedAt, newestAt, openPort}))
        return false;
    pendingRun = q.lastInsertId().toLongLong();
    return true;
}

void RunBook::committed() {
    run = pendingRun;
    port = pendingPort;
    ends.erase(std::remove_if(ends.begin(), ends.end(),
                              [this](const EndedRun &r) { return endsWritten.contains(r.run); }),
               ends.end());
    endsWritten.clear();
}

bool RunBook::readEnded(QSqlDatabase &db, std::vector<EndedRun> *runs, QString *error) const {
    runs->clear();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QVariantList row;
    // The first row of `sql`, the query finished before the next.
    const auto first = [&](const QString &sql, const QVariantList &bound) {
        row.clear();
        bool ok = q.prepare(sql);
        for (const QVariant &v : bound)
            q.addBindValue(v);
        ok = ok && q.exec();
        if (!ok)
            *error = q.lastError().text();
        if (ok && q.next())
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
        q.finish();
        return ok;
    };
    const bool ok = q.prepare(QStringLiteral("SELECT run, open_port, coalesce(newest_at, "
                                             "started_at) FROM runs WHERE open_port IS NOT NULL "
                                             "AND run <> ? ORDER BY run DESC"));
    q.addBindValue(run);
    if (!ok || !q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        runs->push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong()});
    q.finish();
    if (!first(QStringLiteral("SELECT count(*) FROM runs"), {}))
        return false;
    if (row.value(0).toLongLong() > 0)
        return true;
    // Rows of an older program only: its last port row tells whether its last run ended open.
    if (!first(QStringLiteral("SELECT rowid, at, name, detail FROM events WHERE category = 'link' "
                              "AND name IN %1 ORDER BY rowid DESC LIMIT 1")
                   .arg(portRows),
               {}))
        return false;
    if (row.value(2).toString() != QLatin1String("opened"))
        return true;
    const QVariant rowid = row.value(0);
    const qint64 openedAt = row.value(1).toLongLong();
    EndedRun ended{0, portOf(row.value(3).toString()), openedAt};
    for (const auto &[sql, bound] :
         {std::pair<const char *, QVariant>{"SELECT max(at) FROM events WHERE rowid >= ?", rowid},
          {"SELECT max(at) FROM samples WHERE at >= ?", openedAt}}) {
        if (!first(QLatin1String(sql), {bound}))
            return false;
        ended.newestAt = std::max(ended.newestAt, row.value(0).toLongLong());
    }
    runs->push_back(ended);
    return true;
}

} // namespace history
