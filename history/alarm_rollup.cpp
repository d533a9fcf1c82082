#include "history/alarm_rollup.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <limits>
#include <utility>

namespace history {

namespace {

using events::AlarmHour;
using events::RateInterval;

bool run(QSqlQuery &q, const QString &sql, QString *error) {
    if (q.exec(sql))
        return true;
    *error = q.lastError().text();
    return false;
}

QString placeholders(int n) {
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

} // namespace

const std::vector<AlarmRollup::HourColumn> &AlarmRollup::hourColumns() {
    static const std::vector<HourColumn> columns = {
        {"rises", &AlarmHour::rises, false},
        {"shelved_rises", &AlarmHour::shelvedRises, false},
        {"chatters", &AlarmHour::chatters, false},
        {"first_outs", &AlarmHour::firstOuts, false},
        {"acked_soon", &AlarmHour::ackedSoon, false},
        {"active_ms", &AlarmHour::activeMs, false},
        {"longest_ms", &AlarmHour::longestMs, true},
        {"stale", &AlarmHour::stale, false},
        {"ended_with_run", &AlarmHour::endedWithRun, false},
        {"ended_by_crash", &AlarmHour::endedByCrash, false},
        {"shelved_ms", &AlarmHour::shelvedMs, false},
    };
    return columns;
}

const std::vector<AlarmRollup::IntervalColumn> &AlarmRollup::intervalColumns() {
    static const std::vector<IntervalColumn> columns = {
        {"rises", &RateInterval::rises},
        {"link_up_ms", &RateInterval::linkUpMs},
        {"link_losses", &RateInterval::linkLosses},
        {"crashes", &RateInterval::crashes},
        {"overlap_ms", &RateInterval::overlapMs},
        {"clears_without_rise", &RateInterval::clearsWithoutRise},
        {"rises_while_on", &RateInterval::risesWhileOn},
        {"not_counted", &RateInterval::notCounted},
        {"clock_jumps", &RateInterval::clockJumps},
    };
    return columns;
}

bool AlarmRollup::isInstalled(QSqlDatabase &db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                 "name IN ('alarm_hours', 'alarm_days', 'alarm_intervals', "
                                 "'alarm_fold')")) &&
           q.next() && q.value(0).toInt() == 4;
}

bool AlarmRollup::install(QSqlDatabase &db, QString *error) {
    QString hours, intervals;
    for (const HourColumn &c : hourColumns())
        hours += QStringLiteral(", %1 INTEGER NOT NULL").arg(QLatin1String(c.name));
    for (const IntervalColumn &c : intervalColumns())
        intervals += QStringLiteral(", %1 INTEGER NOT NULL").arg(QLatin1String(c.name));
    QSqlQuery q(db);
    // A table made now has none of what was folded: everything is folded again.
    const bool refold = !isInstalled(db);
    // IF NOT EXISTS: another program may be doing the same at this moment.
    return run(q,
               QStringLiteral("CREATE TABLE IF NOT EXISTS alarm_hours(at INTEGER NOT NULL, name "
                              "TEXT NOT NULL%1, PRIMARY KEY(at, name)) WITHOUT ROWID")
                   .arg(hours),
               error) &&
           run(q,
               QStringLiteral("CREATE TABLE IF NOT EXISTS alarm_days(at INTEGER NOT NULL, name "
                              "TEXT NOT NULL%1, PRIMARY KEY(at, name)) WITHOUT ROWID")
                   .arg(hours),
               error) &&
           run(q,
               QStringLiteral("CREATE TABLE IF NOT EXISTS alarm_intervals(at INTEGER PRIMARY "
                              "KEY%1)")
                   .arg(intervals),
               error) &&
           run(q,
               QStringLiteral("CREATE TABLE IF NOT EXISTS alarm_fold(id INTEGER PRIMARY KEY, "
                              "folded_rowid INTEGER NOT NULL, check_rowid INTEGER NOT NULL, "
                              "check_at INTEGER NOT NULL, state BLOB NOT NULL)"),
               error) &&
           (!refold || run(q, QStringLiteral("DELETE FROM alarm_fold"), error));
}

bool AlarmRollup::readFold(QSqlDatabase &db, qint64 *foldedRowid, QByteArray *state) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT folded_rowid, check_rowid, check_at, state FROM "
                               "alarm_fold WHERE id = 1")) ||
        !q.next())
        return false;
    const qint64 rowid = q.value(0).toLongLong();
    const qint64 checkRowid = q.value(1).toLongLong();
    const qint64 checkAt = q.value(2).toLongLong();
    const QByteArray bytes = q.value(3).toByteArray();
    q.finish();
    // The rows may have been numbered anew (a copy, a vacuum): then the fold is not theirs.
    if (checkRowid > 0) {
        if (!q.exec(QStringLiteral("SELECT at FROM events WHERE rowid = %1").arg(checkRowid)) ||
            !q.next() || q.value(0).toLongLong() != checkAt)
            return false;
    }
    *foldedRowid = rowid;
    *state = bytes;
    return true;
}

EventStore::Result AlarmRollup::keepUp(EventStore &store, qint64 budgetMs, qint64 forgetBefore,
                                       QString *error) {
    if (!store.isOpen())
        return EventStore::Result::Ok;
    if (connection != store.connectionName()) {
        // Another file (set aside as damaged, replaced): its own fold.
        connection = store.connectionName();
        folded = -1;
    }
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery q(db);
    // A slice need not reach the disk before the next write: after a power cut it is folded
    // again from the rows.
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    const auto restore = qScopeGuard([&q] { q.exec(QStringLiteral("PRAGMA synchronous=FULL")); });
    const auto fail = [&](const QString &text) {
        *error = QStringLiteral("%1: %2").arg(store.path(), text);
        q.exec(QStringLiteral("ROLLBACK"));
        folded = -1;
        const QString t = text.toLower();
        return t.contains(QLatin1String("locked")) || t.contains(QLatin1String("busy"))
                   ? EventStore::Result::Busy
                   : EventStore::Result::Failed;
    };
    if (forgetBefore > std::numeric_limits<qint64>::min() + events::tallyHourMs &&
        forgetBefore - events::tallyHourMs > forgotten) {
        QString why;
        if (!run(q, QStringLiteral("BEGIN IMMEDIATE"), &why) ||
            !run(q,
                 QStringLiteral("DELETE FROM alarm_hours WHERE at < %1")
                     .arg(forgetBefore - events::tallyHourMs),
                 &why) ||
            !run(q,
                 QStringLiteral("DELETE FROM alarm_days WHERE at < %1")
                     .arg(forgetBefore - events::tallyDayMs),
                 &why) ||
            !run(q, QStringLiteral("DELETE FROM alarm_intervals WHERE at < %1").arg(forgetBefore),
                 &why) ||
            !run(q, QStringLiteral("COMMIT"), &why))
            return fail(why);
        forgotten = forgetBefore;
    }
    QElapsedTimer spent;
    spent.start();
    do {
        QElapsedTimer took;
        took.start();
        const int asked = sliceRows;
        const EventStore::Result r = slice(db, error);
        if (r != EventStore::Result::Ok) {
            q.exec(QStringLiteral("ROLLBACK"));
            folded = -1;
            *error = QStringLiteral("%1: %2").arg(store.path(), *error);
            return r;
        }
        // About 50 ms a slice, whatever the machine.
        if (took.elapsed() < 25 && asked == sliceRows)
            sliceRows = std::min(sliceRows * 2, 1 << 20);
        else if (took.elapsed() > 50)
            sliceRows = std::max(sliceRows / 2, 256);
    } while (behind && spent.elapsed() < budgetMs);
    return EventStore::Result::Ok;
}

EventStore::Result AlarmRollup::slice(QSqlDatabase &db, QString *error) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const auto failed = [&] {
        *error = q.lastError().text();
        const QString t = error->toLower();
        return t.contains(QLatin1String("locked")) || t.contains(QLatin1String("busy"))
                   ? EventStore::Result::Busy
                   : EventStore::Result::Failed;
    };
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed();
    // Another program may have folded since: the state in the file is the one to go on from.
    qint64 inFile = 0;
    QByteArray state;
    const bool known = readFold(db, &inFile, &state);
    if (folded < 0 || inFile != folded) {
        if (!known || !tally.restoreState(state)) {
            // None yet, or not one of these rows: folded again from the first row.
            tally = events::AlarmTally();
            inFile = 0;
            if (!q.exec(QStringLiteral("DELETE FROM alarm_hours")) ||
                !q.exec(QStringLiteral("DELETE FROM alarm_days")) ||
                !q.exec(QStringLiteral("DELETE FROM alarm_intervals")))
                return failed();
        }
        folded = inFile;
    }
    if (!q.exec(QStringLiteral("SELECT max(rowid) FROM events")) || !q.next())
        return failed();
    const qint64 top = q.value(0).toLongLong();
    q.finish();
    const qint64 upTo = std::min(top, folded + sliceRows);
    qint64 checkRowid = 0, checkAt = 0;
    if (upTo > folded) {
        QStringList categories;
        for (const QString &c : events::AlarmTally::categories())
            categories << QLatin1Char('\'') + c + QLatin1Char('\'');
        // Along the rowids of the slice (the + keeps SQLite off the index on (category, at)).
        if (!q.exec(QStringLiteral("SELECT rowid, at, category, name, value, detail FROM events "
                                   "WHERE rowid > %1 AND rowid <= %2 AND +category IN (%3) "
                                   "ORDER BY rowid")
                        .arg(folded)
                        .arg(upTo)
                        .arg(categories.join(QLatin1Char(',')))))
            return failed();
        while (q.next()) {
            checkRowid = q.value(0).toLongLong();
            checkAt = q.value(1).toLongLong();
            tally.add({checkAt, q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
                       q.value(5).toString()});
        }
        if (q.lastError().isValid())
            return failed();
        q.finish();
    }
    const events::AlarmTally::Changes changes = tally.take();
    QString names, sums;
    for (const HourColumn &c : hourColumns()) {
        const QLatin1String n(c.name);
        names += QStringLiteral(", ") + n;
        sums += (c.largest ? QStringLiteral("%1 = max(%1, excluded.%1)")
                           : QStringLiteral("%1 = %1 + excluded.%1"))
                    .arg(n) +
                QLatin1Char(',');
    }
    sums.chop(1);
    // The hours, and their days (a long period reads those).
    using Tallies = std::map<std::pair<qint64, QString>, events::AlarmHour>;
    Tallies days;
    for (const auto &[key, h] : changes.hours)
        days[{events::floorTo(key.first, events::tallyDayMs), key.second}].add(h);
    for (const auto &[table, tallies] : {std::make_pair("alarm_hours", &changes.hours),
                                         std::make_pair("alarm_days", &std::as_const(days))}) {
        if (tallies->empty())
            continue;
        if (!q.prepare(QStringLiteral("INSERT INTO %1(at, name%2) VALUES(%3) ON "
                                      "CONFLICT(at, name) DO UPDATE SET %4")
                           .arg(QLatin1String(table), names,
                                placeholders(2 + int(hourColumns().size())), sums)))
            return failed();
        for (const auto &[key, h] : *tallies) {
            q.addBindValue(key.first);
            q.addBindValue(key.second);
            for (const HourColumn &c : hourColumns())
                q.addBindValue(h.*c.member);
            if (!q.exec())
                return failed();
        }
    }
    names.clear();
    sums.clear();
    for (const IntervalColumn &c : intervalColumns()) {
        const QLatin1String n(c.name);
        names += QStringLiteral(", ") + n;
        sums += QStringLiteral("%1 = %1 + excluded.%1,").arg(n);
    }
    sums.chop(1);
    if (!changes.intervals.empty()) {
        if (!q.prepare(QStringLiteral("INSERT INTO alarm_intervals(at%1) VALUES(%2) ON "
                                      "CONFLICT(at) DO UPDATE SET %3")
                           .arg(names, placeholders(1 + int(intervalColumns().size())), sums)))
            return failed();
        for (const auto &[at, r] : changes.intervals) {
            q.addBindValue(at);
            for (const IntervalColumn &c : intervalColumns())
                q.addBindValue(r.*c.member);
            if (!q.exec())
                return failed();
        }
    }
    if (upTo > folded) {
        // The last row folded of this slice, or the one before it when it had none.
        if (!q.prepare(QStringLiteral("INSERT INTO alarm_fold(id, folded_rowid, check_rowid, "
                                      "check_at, state) VALUES(1, ?, ?, ?, ?) ON CONFLICT(id) DO "
                                      "UPDATE SET folded_rowid = excluded.folded_rowid, state = "
                                      "excluded.state%1")
                           .arg(checkRowid ? QStringLiteral(", check_rowid = "
                                                            "excluded.check_rowid, check_at = "
                                                            "excluded.check_at")
                                           : QString())))
            return failed();
        q.addBindValue(upTo);
        q.addBindValue(checkRowid);
        q.addBindValue(checkAt);
        q.addBindValue(tally.saveState());
        if (!q.exec())
            return failed();
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return failed();
    folded = upTo;
    behind = upTo < top;
    return EventStore::Result::Ok;
}

} // namespace history
