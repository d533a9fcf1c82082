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
    if (AlarmRollup::isInstalled(db) && AlarmRollup::readFold(db, &folded, &state) &&
        tally.restoreState(state)) {
        QString sums;
        for (const AlarmRollup::HourColumn &c : AlarmRollup::hourColumns())
            sums += QStringLiteral(", %1(%2)")
                        .arg(c.largest ? QStringLiteral("max") : QStringLiteral("total"),
                             QLatin1String(c.name));
        QString columns;
        for (const AlarmRollup::IntervalColumn &c : AlarmRollup::intervalColumns())
            columns += QStringLiteral(", ") + QLatin1String(c.name);
        if (!r.rows(QStringLiteral("SELECT name%1 FROM alarm_hours WHERE %2 GROUP BY name")
                        .arg(sums, period),
                    [&](const QSqlQuery &q) {
                        events::AlarmHour &h = totals.alarms[q.value(0).toString()];
                        int i = 1;
                        for (const AlarmRollup::HourColumn &c : AlarmRollup::hourColumns())
                            h.*c.member = q.value(i++).toLongLong();
                    }) ||
            !r.rows(
                QStringLiteral("SELECT at%1 FROM alarm_intervals WHERE %2").arg(columns, period),
                [&](const QSqlQuery &q) {
                    events::RateInterval &v = totals.intervals[q.value(0).toLongLong()];
                    int i = 1;
                    for (const AlarmRollup::IntervalColumn &c : AlarmRollup::intervalColumns())
                        v.*c.member = q.value(i++).toLongLong();
                }))
            return r.stopped ? ReportOutcome::Cancelled : ReportOutcome::Failed;
    } else {
        folded = 0; // no tallies (yet): every row is folded here
        tally = events::AlarmTally();
    }
    QStringList categories;
    for (const QString &c : events::AlarmTally::categories())
        categories << QLatin1Char('\'') + c + QLatin1Char('\'');
    qint64 count = 0;
    if (!r.rows(QStringLiteral("SELECT at, category, name, value, detail FROM events WHERE "
                               "rowid > %1 AND category IN (%2) ORDER BY rowid")
                    .arg(folded)
                    .arg(categories.join(QLatin1Char(','))),
                [&](const QSqlQuery &q) {
                    tally.add({q.value(0).toLongLong(), q.value(1).toString(),
                               q.value(2).toString(), q.value(3).toString(),
                               q.value(4).toString()});
                    if (++count % 20000 == 0)
                        totals.add(tally.take(), facts.from, facts.to); // memory stays flat
                }) ||
        !r.rows(QStringLiteral("SELECT at, category, name, value, detail FROM events WHERE "
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
    if (rowsFolded)
        *rowsFolded = count;
    const auto on = tally.alarmsOn();
    tally.finishAt(facts.historyEnd);
    totals.add(tally.take(), facts.from, facts.to);
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
