#include "history/alarm_report_reader.h"

#include "events/clock_rows.h"
#include "history/alarm_rollup.h"
#include "history/event_store.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>

namespace history {

namespace {

using events::floorTo;
using events::tallyHourMs;

constexpr qint64 dayMs = 24 * 3600 * 1000;

class Read {
public:
    Read(QSqlDatabase &db, QString *error, const std::function<bool()> &cancelled)
        : db(db), error(error), cancelled(cancelled) {}

    // The first value of the first row of `sql`; `fallback` when it is NULL.
    bool value(const QString &sql, qint64 *out, qint64 fallback = 0) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(sql) || !q.next())
            return fail(q);
        *out = q.value(0).isNull() ? fallback : q.value(0).toLongLong();
        return true;
    }
    // Every row of `sql`, handed to `take`; false when it failed or was cancelled.
    template <typename Take> bool rows(const QString &sql, Take take) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(sql))
            return fail(q);
        for (qint64 n = 1; q.next(); ++n) {
            take(q);
            if (n % 20000 == 0 && stop())
                return false;
        }
        return !q.lastError().isValid() || fail(q);
    }
    bool stop() {
        stopped = stopped || (cancelled && cancelled());
        return stopped;
    }
    bool stopped = false;

private:
    bool fail(QSqlQuery &q) {
        *error = q.lastError().text();
        return false;
    }
    QSqlDatabase &db;
    QString *error;
    const std::function<bool()> &cancelled;
};

// The tallies the writer keeps for the period: each alarm's days and hours summed by SQLite, the
// intervals the rows folded here touched one by one (to be completed), the others summed.
bool readKept(Read &r, qint64 from, qint64 to, events::PeriodTotals *totals) {
    const QString period = QStringLiteral("at >= %1 AND at < %2").arg(from).arg(to);
    QString sums, columns;
    for (const AlarmRollup::HourColumn &c : AlarmRollup::hourColumns()) {
        sums += QStringLiteral(", %1(%2)")
                    .arg(c.largest ? QStringLiteral("max") : QStringLiteral("total"),
                         QLatin1String(c.name));
        columns += QStringLiteral(", ") + QLatin1String(c.name);
    }
    // The whole days of the period from alarm_days, the hours around them from alarm_hours.
    const qint64 firstDay = events::floorTo(from + events::tallyDayMs - 1, events::tallyDayMs);
    const qint64 endDay = std::max(firstDay, events::floorTo(to, events::tallyDayMs));
    const QString tallies =
        firstDay >= endDay
            ? QStringLiteral("SELECT name%1 FROM alarm_hours WHERE %2").arg(columns, period)
            : QStringLiteral("SELECT name%1 FROM alarm_days WHERE at >= %2 AND at < %3 UNION ALL "
                             "SELECT name%1 FROM alarm_hours WHERE %4 AND (at < %2 OR at >= %3)")
                  .arg(columns)
                  .arg(firstDay)
                  .arg(endDay)
                  .arg(period);
    if (!r.rows(QStringLiteral("SELECT name%1 FROM (%2) GROUP BY name").arg(sums, tallies),
                [&](const QSqlQuery &q) {
                    events::AlarmHour h;
                    int i = 1;
                    for (const AlarmRollup::HourColumn &c : AlarmRollup::hourColumns())
                        h.*c.member = q.value(i++).toLongLong();
                    totals->alarms[q.value(0).toString()].add(h);
                }))
        return false;
    QStringList touched;
    for (const auto &entry : totals->intervals)
        touched << QString::number(entry.first);
    // Many touched (a history being caught up): every interval one by one.
    const bool each = touched.size() > 2000;
    const QString those = each ? QStringLiteral("1")
                               : QStringLiteral("at IN (%1)").arg(touched.join(QLatin1Char(',')));
    QString totalled;
    columns.clear();
    for (const AlarmRollup::IntervalColumn &c : AlarmRollup::intervalColumns()) {
        columns += QStringLiteral(", ") + QLatin1String(c.name);
        totalled += QStringLiteral(", total(%1)").arg(QLatin1String(c.name));
    }
    const auto interval = [](const QSqlQuery &q, int first) {
        events::RateInterval v;
        int i = first;
        for (const AlarmRollup::IntervalColumn &c : AlarmRollup::intervalColumns())
            v.*c.member = q.value(i++).toLongLong();
        return v;
    };
    if (!r.rows(QStringLiteral("SELECT at%1 FROM alarm_intervals WHERE %2 AND %3")
                    .arg(columns, period, those),
                [&](const QSqlQuery &q) {
                    totals->intervals[q.value(0).toLongLong()].add(interval(q, 1));
                }))
        return false;
    if (each)
        return true;
    const QString rest = QStringLiteral("%1 AND NOT %2").arg(period, those);
    events::IntervalSums &s = totals->summed;
    qint64 peak = 0;
    return r.rows(QStringLiteral("SELECT total(link_up_ms > 0 OR rises > 0), total(rises > %1), "
                                 "max(rises)%2 FROM alarm_intervals WHERE %3")
                      .arg(events::floodRises)
                      .arg(totalled, rest),
                  [&](const QSqlQuery &q) {
                      s.watched = q.value(0).toLongLong();
                      s.flooded = q.value(1).toLongLong();
                      peak = q.value(2).toLongLong();
                      s.sum = interval(q, 3);
                  }) &&
           (peak <= 0 ||
            r.rows(QStringLiteral("SELECT at FROM alarm_intervals WHERE %1 AND rises = %2 "
                                  "ORDER BY at LIMIT 1")
                       .arg(rest)
                       .arg(peak),
                   [&](const QSqlQuery &q) {
                       s.peakRises = peak;
                       s.peakAt = q.value(0).toLongLong();
                   }));
}

ReportOutcome read(QSqlDatabase &db, const ReportRequest &request, events::PeriodFigures *out,
                   QString *error, const std::function<bool()> &cancelled, qint64 *rowsFolded) {
    Read r(db, error, cancelled);
    events::PeriodFigures facts;
    const qint64 ahead = request.now + dayMs;
    qint64 eventsEnd = 0, samplesEnd = 0, eventsAhead = 0, samplesAhead = 0;
    // One moment of the history for every read below.
    if (!r.rows(QStringLiteral("BEGIN"), [](const QSqlQuery &) {}) ||
        !r.value(QStringLiteral("SELECT min(at) FROM events"), &facts.eventsFrom) ||
        !r.value(QStringLiteral("SELECT min(at) FROM samples"), &facts.samplesFrom) ||
        !r.value(QStringLiteral("SELECT max(at) FROM events WHERE at <= %1").arg(ahead),
                 &eventsEnd) ||
        !r.value(QStringLiteral("SELECT max(at) FROM samples WHERE at <= %1").arg(ahead),
                 &samplesEnd) ||
        !r.value(QStringLiteral("SELECT count(*) FROM events WHERE at > %1").arg(ahead),
                 &eventsAhead) ||
        !r.value(QStringLiteral("SELECT count(*) FROM samples WHERE at > %1").arg(ahead),
                 &samplesAhead))
        return ReportOutcome::Failed;
    facts.historyEnd = std::max(eventsEnd, samplesEnd);
    facts.rowsAhead = eventsAhead + samplesAhead;
    facts.from =
        request.from > ReportRequest::sinceTheStart
            ? request.from
            : floorTo(std::min(facts.eventsFrom ? facts.eventsFrom : request.now, request.now),
                      tallyHourMs);
    facts.to = std::max(request.to, facts.from + tallyHourMs);
    const QString period = QStringLiteral("at >= %1 AND at < %2").arg(facts.from).arg(facts.to);

    events::PeriodTotals totals;
    events::AlarmTally tally;
    qint64 folded = 0;
    QByteArray state;
    const bool kept = AlarmRollup::isInstalled(db) && AlarmRollup::readFold(db, &folded, &state) &&
                      tally.restoreState(state);
    if (!kept) {
        folded = 0; // no tallies (yet): every row is folded here
        tally = events::AlarmTally();
    }
    // The rows after the last fold first: the intervals they touch are added up here, the rest
    // where they are kept.
    QStringList categories;
    for (const QString &c : events::AlarmTally::categories())
        categories << QLatin1Char('\'') + c + QLatin1Char('\'');
    qint64 count = 0;
    // Along the rowids from the last fold on: the unary + keeps SQLite off the index on
    // (category, at), along which it would walk every row of these categories.
    if (!r.rows(QStringLiteral("SELECT at, category, name, value, detail FROM events WHERE "
                               "rowid > %1 AND +category IN (%2) ORDER BY rowid")
                    .arg(folded)
                    .arg(categories.join(QLatin1Char(','))),
                [&](const QSqlQuery &q) {
                    tally.add({q.value(0).toLongLong(), q.value(1).toString(),
                               q.value(2).toString(), q.value(3).toString(),
                               q.value(4).toString()});
                    if (++count % 20000 == 0)
                        totals.add(tally.take(), facts.from, facts.to); // memory stays flat
                }))
        return r.stopped ? ReportOutcome::Cancelled : ReportOutcome::Failed;
    if (rowsFolded)
        *rowsFolded = count;
    const auto on = tally.alarmsOn();
    tally.finishAt(facts.historyEnd);
    totals.add(tally.take(), facts.from, facts.to);
    if (kept && !readKept(r, facts.from, facts.to, &totals))
        return r.stopped ? ReportOutcome::Cancelled : ReportOutcome::Failed;
    if (!r.rows(QStringLiteral("SELECT at, category, name, value, detail FROM events WHERE "
                               "category = 'clock' AND %1 ORDER BY at")
                    .arg(period),
                [&](const QSqlQuery &q) {
                    const std::optional<events::ClockJumpRow> jump = events::readClockJumpRow(
                        {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                         q.value(3).toString(), q.value(4).toString()});
                    if (jump && facts.jumps.size() < 100)
                        facts.jumps.push_back({jump->from, jump->to});
                }))
        return r.stopped ? ReportOutcome::Cancelled : ReportOutcome::Failed;
    QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    *out = events::periodFigures(totals, on, facts);
    return ReportOutcome::Ok;
}

} // namespace

ReportRequest alignedRequest(qint64 from, qint64 to, qint64 now) {
    ReportRequest r;
    r.now = now;
    r.from = from <= ReportRequest::sinceTheStart ? from : floorTo(from, tallyHourMs);
    r.to = floorTo(to - 1, tallyHourMs) + tallyHourMs;
    if (r.from > ReportRequest::sinceTheStart)
        r.to = std::max(r.to, r.from + tallyHourMs);
    return r;
}

ReportOutcome readPeriodFigures(const QString &path, const ReportRequest &request,
                                events::PeriodFigures *figures, QString *error,
                                const std::function<bool()> &cancelled, qint64 *rowsFolded) {
    *figures = events::PeriodFigures();
    if (!QFileInfo(path).isFile()) {
        figures->noHistory = true;
        const ReportRequest r = request;
        figures->from =
            r.from > ReportRequest::sinceTheStart ? r.from : floorTo(r.now, tallyHourMs);
        figures->to = std::max(r.to, figures->from + tallyHourMs);
        return ReportOutcome::NoDatabase;
    }
    const QString connection = newConnectionName(QStringLiteral("alarm-report"));
    ReportOutcome outcome = ReportOutcome::Failed;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            outcome = read(db, request, figures, error, cancelled, rowsFolded);
            if (outcome != ReportOutcome::Ok)
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        } else {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return outcome;
}

} // namespace history
