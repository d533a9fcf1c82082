// The alarm report over a year: a history of 365 days with about 5 million alarm rows (weekly
// runs of the program, a few chattering bad actors, acknowledgements, shelves, crashes, lost
// links, a clock jump forward and back) and the last 90 days of samples, one a second. Measures:
//  - the writer's fold of the whole year into the report's tallies (a history of an older
//    program being caught up), and what the tallies cost in database size;
//  - the Report tab (offscreen) from choosing a period to the figures shown, for 24 h, 7 d, 30 d,
//    90 d and the year; the longest the GUI thread went without running its 1 ms timer
//    meanwhile, and the peak memory above what the process held before (VmHWM);
//  - the same figures read with the tallies and folded from every row (--check);
//  - the writer's time per second of rows at line rate, with and without the fold;
//  - the Events tab's first page and next pages over the same year.
//
//   alarm_report_bench [--cache DIR] [--rounds N] [--check] [--screenshot FILE]
//
// DIR defaults to /tmp/laser-alarm-report-bench; the history is generated once and kept there.
#include "events/event_words.h"
#include "history/alarm_report_reader.h"
#include "history/alarm_rollup.h"
#include "history/event_store.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/report_tab.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <time.h>
#include <vector>

namespace {

using diagnostics::ReportTab;

constexpr qint64 second = 1000;
constexpr qint64 minute = 60 * second;
constexpr qint64 hour = 60 * minute;
constexpr qint64 day = 24 * hour;
constexpr qint64 end = 1796000000000; // the bench's now, late 2026
constexpr qint64 start = end - 365 * day;

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// kB of the process's resident memory now, or at its peak since the last reset.
qint64 memoryKb(const char *field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

bool run(QSqlQuery &q, const QString &sql) {
    if (q.exec(sql))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

struct Row {
    qint64 at;
    const char *category;
    QString name;
    QString value;
    QString detail;
};

// The year, week by week, as an older program would have written it (no tallies yet).
bool generate(const QString &path, qint64 *alarmRows) {
    QStringList keys;
    for (const QString &k : events::flagNames())
        if (k.contains(QLatin1String("Fault")) || k.contains(QLatin1String("over")) ||
            k.contains(QLatin1String("Interlock")) || k.contains(QLatin1String("EStop")))
            keys << k;
    keys = keys.mid(0, 40);
    std::mt19937_64 rng(40);
    std::vector<double> weights;
    for (int i = 0; i < keys.size(); ++i)
        weights.push_back(1.0 / std::pow(i + 1, 1.3));
    std::discrete_distribution<int> pick(weights.begin(), weights.end());
    std::exponential_distribution<double> gap(1.0 / 14.2); // s between rises
    std::uniform_real_distribution<double> unit(0, 1);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
    db.setDatabaseName(path);
    db.open();
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !run(q, QStringLiteral("CREATE TABLE events(at INTEGER NOT NULL, category TEXT NOT NULL, "
                               "name TEXT NOT NULL, value TEXT, detail TEXT)")) ||
        !run(q, QStringLiteral("CREATE TABLE samples(at INTEGER NOT NULL, water_in REAL, "
                               "water_out REAL, dew_point REAL)")) ||
        !run(q, QStringLiteral("BEGIN")))
        return false;
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO events VALUES(?, ?, ?, ?, ?)"));
    const auto write = [&](const Row &r) {
        insert.addBindValue(r.at);
        insert.addBindValue(QLatin1String(r.category));
        insert.addBindValue(r.name);
        insert.addBindValue(r.value);
        insert.addBindValue(r.detail);
        return insert.exec();
    };
    qint64 shift = 0, lastRow = 0;
    bool crashed = false;
    *alarmRows = 0;
    for (int week = 0; week < 53; ++week) {
        const qint64 from = start + week * 7 * day + shift;
        const qint64 to = std::min(from + 7 * day - 20 * minute, end - hour);
        if (from >= to)
            break;
        std::vector<Row> rows;
        if (crashed)
            if (!write({lastRow, "link", QStringLiteral("ended_unexpectedly"), {}, "ttyUSB0"}))
                return false;
        rows.push_back({from, "link", QStringLiteral("opened"), {}, "ttyUSB0"});
        std::vector<qint64> onUntil(size_t(keys.size()), 0);
        for (double t = double(from) + 1000; t < double(to);) {
            t += gap(rng) * 1000;
            const int k = pick(rng);
            // The three worst chatter: bursts of two to four more rises within a minute.
            const int burst = k < 3 && unit(rng) < 0.4 ? 2 + int(unit(rng) * 3) : 0;
            for (int b = 0; b <= burst; ++b) {
                const qint64 at = qint64(t) + b * 15 * second;
                if (at >= to || onUntil[size_t(k)] > at)
                    continue;
                const qint64 length =
                    k < 3 ? qint64(500 + unit(rng) * 4000) : qint64(std::exp(unit(rng) * 9) * 1000);
                // Now and then one stays on for days.
                const qint64 off = k == 20 && unit(rng) < 0.05 ? at + 3 * day : at + length;
                onUntil[size_t(k)] = off;
                rows.push_back({at, "alarm", keys[k], QStringLiteral("on"), {}});
                if (k >= 3 && unit(rng) < 0.3)
                    rows.push_back({at, "handling", keys[k], QStringLiteral("first_out"), {}});
                if (unit(rng) < 0.2)
                    rows.push_back({at + qint64(5000 + unit(rng) * 1500000), "handling", keys[k],
                                    QStringLiteral("acknowledged"), QStringLiteral("bench")});
                if (off < to)
                    rows.push_back({off, "alarm", keys[k], QStringLiteral("off"), {}});
            }
        }
        for (qint64 t = from + day; t < to; t += day) {
            rows.push_back({t, "handling", keys[0], QStringLiteral("shelved"),
                            QStringLiteral("60 min; bench; chatters")});
            rows.push_back({t + hour, "handling", keys[0], QStringLiteral("shelf_ended"), {}});
        }
        if (week % 3 == 1) { // a lost link, opened again ten minutes later
            rows.push_back({from + 3 * day, "link", QStringLiteral("link_lost"), {}, {}});
            rows.push_back({from + 3 * day + 10 * minute,
                            "link",
                            QStringLiteral("opened"),
                            {},
                            QStringLiteral("ttyUSB0")});
        }
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Row &a, const Row &b) { return a.at < b.at; });
        // The lost link's ten minutes hold no alarm rows.
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](const Row &r) {
                                      return week % 3 == 1 && r.at > from + 3 * day &&
                                             r.at < from + 3 * day + 10 * minute &&
                                             QLatin1String(r.category) != QLatin1String("link");
                                  }),
                   rows.end());
        if (week == 20) { // the clock set an hour ahead, and back at week 30
            shift += hour;
            rows.push_back({to + shift, "clock", QStringLiteral("jump"), QStringLiteral("forward"),
                            QStringLiteral("%1 UTC -> %2 UTC")
                                .arg(QDateTime::fromMSecsSinceEpoch(to, Qt::UTC)
                                         .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                     QDateTime::fromMSecsSinceEpoch(to + shift, Qt::UTC)
                                         .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))});
        }
        crashed = week % 5 == 4;
        if (!crashed)
            rows.push_back({to, "link", QStringLiteral("closed"), {}, {}});
        for (const Row &r : rows) {
            *alarmRows += QLatin1String(r.category) == QLatin1String("alarm") ? 1 : 0;
            if (!write(r))
                return false;
        }
        lastRow = rows.back().at;
        // Samples of the last ninety days, a second apart while the port is open.
        const qint64 s0 = std::max(from, end - 90 * day);
        if (to > s0 && !run(q, QStringLiteral("WITH RECURSIVE t(i) AS (SELECT 0 UNION ALL SELECT "
                                              "i + 1 FROM t WHERE i < %1) INSERT INTO samples "
                                              "SELECT %2 + i * 1000, 24.5 + (i % 600) / 100.0, "
                                              "27.0, 12.0 FROM t")
                                   .arg((to - s0) / 1000 - 1)
                                   .arg(s0)))
            return false;
        if (week == 30)
            shift = 0;
    }
    const bool ok = run(q, QStringLiteral("COMMIT")) &&
                    run(q, QStringLiteral("CREATE INDEX events_at ON events(at)")) &&
                    run(q, QStringLiteral("CREATE INDEX samples_at ON samples(at)")) &&
                    run(q, QStringLiteral("PRAGMA user_version = 1"));
    db.close();
    return ok;
}

// The sizes of the report's tables and index, in bytes (SQLite's dbstat).
void sizes(const QString &path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
    db.setDatabaseName(path);
    db.open();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name, sum(pgsize) FROM dbstat GROUP BY name ORDER BY 2 "
                               "DESC"))) {
        std::printf("dbstat not available: %s\n", qPrintable(q.lastError().text()));
    } else {
        qint64 total = 0, report = 0;
        while (q.next()) {
            const QString name = q.value(0).toString();
            const qint64 bytes = q.value(1).toLongLong();
            total += bytes;
            // The report's tables (their primary keys are part of them).
            if (name.startsWith(QLatin1String("alarm_")))
                report += bytes;
            std::printf("  %-36s %8.1f MB\n", qPrintable(name), bytes / 1e6);
        }
        std::printf("the report's tables: %.1f MB of %.1f MB (%.1f %%)\n", report / 1e6,
                    total / 1e6, 100.0 * report / std::max<qint64>(total, 1));
    }
    db.close();
}

// The writer's time for `batches` seconds of rows, `alarms` alarm rows and a sample each, with
// the fold or without.
void writeCost(const QString &path, int alarms, int batches) {
    for (const bool fold : {false, true}) {
        history::EventStore store(path);
        QString error;
        store.open(&error);
        history::AlarmRollup rollup;
        rollup.keepUp(store, 60000, 0, &error); // up to date before
        std::vector<double> ms;
        qint64 at = end + (fold ? 2 : 1) * hour;
        for (int b = 0; b < batches; ++b) {
            std::vector<events::Event> rows;
            for (int i = 0; i < alarms; ++i)
                rows.push_back({at + i,
                                QStringLiteral("alarm"),
                                QStringLiteral("module%1.qbhFault").arg(i % 8),
                                i % 16 < 8 ? QStringLiteral("on") : QStringLiteral("off"),
                                {}});
            events::Sample s;
            s.at = at;
            s.waterIn = 25;
            s.waterOut = 27;
            s.dewPoint = 12;
            QElapsedTimer t;
            t.start();
            store.write(rows, {s}, &error);
            if (fold)
                rollup.keepUp(store, 100, 0, &error);
            ms.push_back(t.nsecsElapsed() / 1e6);
            at += second;
        }
        std::sort(ms.begin(), ms.end());
        std::printf("  %3d alarm rows a second, %s the fold: median %.2f ms, 99th %.2f ms, worst "
                    "%.2f ms per second's write\n",
                    alarms, fold ? "with   " : "without", ms[ms.size() / 2],
                    ms[ms.size() * 99 / 100], ms.back());
    }
}

// The Events tab's model: the first page, then pages as the view scrolls, per filter.
void eventsPaging(const QString &path) {
    const struct {
        const char *name;
        diagnostics::EventFilter filter;
    } filters[] = {{"everything", {}},
                   {"alarms", {QStringLiteral("alarm"), 0, QString()}},
                   {"link rows", {QStringLiteral("link"), 0, QString()}},
                   {"last hour", {QString(), hour, QString()}}};
    for (const auto &f : filters) {
        diagnostics::EventModel model(path);
        QElapsedTimer t;
        t.start();
        model.select(f.filter, end);
        const double first = t.nsecsElapsed() / 1e6;
        double worst = 0;
        for (int page = 0; page < 20 && model.canFetchMore(); ++page) {
            t.restart();
            model.fetchMore();
            worst = std::max(worst, t.nsecsElapsed() / 1e6);
        }
        std::printf("  %-11s first page %7.1f ms, next 20 pages at most %7.1f ms each (%d rows)\n",
                    f.name, first, worst, model.rowCount());
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    QString cache = QStringLiteral("/tmp/laser-alarm-report-bench");
    int rounds = 3;
    bool check = false;
    QString screenshot;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--cache") && i + 1 < args.size())
            cache = args[++i];
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--check"))
            check = true;
        else if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size())
            screenshot = args[++i];
    }
    QDir().mkpath(cache + QStringLiteral("/log"));
    const QString work = cache + QStringLiteral("/log/history.sqlite");
    if (!QFile::exists(work)) {
        const QString part = cache + QStringLiteral("/history.part");
        QFile::remove(part);
        QElapsedTimer t;
        t.start();
        qint64 alarmRows = 0;
        if (!generate(part, &alarmRows))
            return 1;
        std::printf("generated a year: %lld alarm rows in %.1f s\n", alarmRows,
                    t.elapsed() / 1000.0);
        t.restart();
        history::EventStore store(part);
        QString error;
        if (store.open(&error) != history::EventStore::Result::Ok) {
            std::fprintf(stderr, "open: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("opened by the program (per-minute samples, runs, the report's tables and the "
                    "index on (category, at) made): %.1f s\n",
                    t.elapsed() / 1000.0);
        t.restart();
        history::AlarmRollup rollup;
        int calls = 0;
        do {
            ++calls;
            if (rollup.keepUp(store, 100, 0, &error) != history::EventStore::Result::Ok) {
                std::fprintf(stderr, "fold: %s\n", qPrintable(error));
                return 1;
            }
        } while (rollup.isBehind());
        std::printf("the writer folded the year in %.1f s (%d writes' worth of 100 ms)\n",
                    t.elapsed() / 1000.0, calls);
        store.close();
        if (!QFile::rename(part, work))
            return 1;
        QFile::rename(part + QStringLiteral("-wal"), work + QStringLiteral("-wal"));
        QFile::rename(part + QStringLiteral("-shm"), work + QStringLiteral("-shm"));
    }
    sizes(work);

    ReportTab tab(work, nullptr, [] { return end; });
    tab.resize(1100, 650);
    tab.show();
    QElapsedTimer tickClock;
    tickClock.start();
    qint64 lastTick = 0, longestGap = 0;
    double lastCpu = 0, longestBusy = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = tickClock.nsecsElapsed();
        const double cpu = threadCpuMs();
        if (lastTick) {
            longestGap = std::max(longestGap, now - lastTick);
            longestBusy = std::max(longestBusy, cpu - lastCpu);
        }
        lastTick = now;
        lastCpu = cpu;
    });
    tick.start(1);
    bool shown = false;
    QObject::connect(&tab, &ReportTab::reportShown, [&] { shown = true; });
    const auto waitShown = [&] {
        QElapsedTimer t;
        t.start();
        while (!shown && t.elapsed() < 120000)
            app.processEvents(QEventLoop::WaitForMoreEvents, 50);
        const bool ok = shown;
        shown = false;
        return ok;
    };
    tab.setActive(true);
    waitShown();
    // The idle tick on this machine, for comparison: what other programs on it cost.
    lastTick = longestGap = 0;
    for (QElapsedTimer idle; !idle.isValid() || idle.elapsed() < 2000;) {
        if (!idle.isValid())
            idle.start();
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const double idleGap = longestGap / 1e6;
    const char *names[] = {"24 h", "7 d", "30 d", "90 d", "the year"};
    const int order[] = {ReportTab::Day, ReportTab::Week, ReportTab::Month, ReportTab::Quarter,
                         ReportTab::All};
    std::vector<double> times[5], gaps[5], busy[5], memory[5];
    for (int round = 0; round < rounds; ++round)
        for (int i = 0; i < 5; ++i) {
            const qint64 before = memoryKb("VmRSS:");
            resetPeak();
            lastTick = longestGap = 0;
            longestBusy = 0;
            QElapsedTimer t;
            t.start();
            if (tab.periodBox()->currentIndex() == order[i])
                tab.reload();
            else
                tab.periodBox()->setCurrentIndex(order[i]);
            if (!waitShown()) {
                std::fprintf(stderr, "%s: no report within 120 s\n", names[i]);
                return 1;
            }
            tab.repaint();
            times[i].push_back(t.nsecsElapsed() / 1e6);
            // The tick goes on a while, so that a gap the drawing caused is counted.
            for (QElapsedTimer after; !after.isValid() || after.elapsed() < 300;) {
                if (!after.isValid())
                    after.start();
                app.processEvents(QEventLoop::WaitForMoreEvents, 50);
            }
            gaps[i].push_back(longestGap / 1e6);
            busy[i].push_back(longestBusy);
            memory[i].push_back((memoryKb("VmHWM:") - before) / 1024.0);
        }
    std::printf("\nthe Report tab, %d rounds (the worker's read, then the tab filled and drawn); "
                "the 1 ms tick's longest gap when idle: %.1f ms\n",
                rounds, idleGap);
    std::printf("%-9s %9s %9s %12s %15s %14s\n", "period", "median ms", "worst ms", "tick gap ms",
                "GUI busy CPU ms", "peak +MB");
    for (int i = 0; i < 5; ++i)
        std::printf("%-9s %9.1f %9.1f %12.1f %15.1f %14.1f\n", names[i], median(times[i]),
                    *std::max_element(times[i].begin(), times[i].end()),
                    *std::max_element(gaps[i].begin(), gaps[i].end()),
                    *std::max_element(busy[i].begin(), busy[i].end()),
                    *std::max_element(memory[i].begin(), memory[i].end()));
    std::printf("the year: %lld rises of %zu alarms, %s\n", qint64(tab.figures().rises),
                tab.figures().alarms.size(), qPrintable(tab.messageText()));
    if (!screenshot.isEmpty())
        tab.grab().save(screenshot);

    if (check) {
        // The same figures folded from every row: the tallies removed in a copy.
        const QString copy = cache + QStringLiteral("/check.sqlite");
        QFile::remove(copy);
        QFile::copy(work, copy);
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(copy);
            db.open();
            QSqlQuery(db).exec(QStringLiteral("DELETE FROM alarm_fold"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        for (const service::ReportSpan span :
             {service::ReportSpan::Month, service::ReportSpan::All}) {
            const history::ReportRequest r = service::spanRequest(span, end);
            events::PeriodFigures a, b;
            QString error;
            qint64 folded = 0;
            QElapsedTimer t;
            t.start();
            history::readPeriodFigures(work, r, &a, &error);
            const double fast = t.elapsed();
            t.restart();
            history::readPeriodFigures(copy, r, &b, &error, {}, &folded);
            const bool same =
                QJsonDocument(a.toJson()).toJson() == QJsonDocument(b.toJson()).toJson();
            std::printf("%s: with the tallies %.0f ms; folded from all %lld rows %.0f ms: %s\n",
                        qPrintable(service::reportSpanArgument(span)), fast, folded,
                        double(t.elapsed()), same ? "the same figures" : "DIFFERENT FIGURES");
            if (!same) {
                QFile fa(cache + QStringLiteral("/tallies.json")),
                    fb(cache + QStringLiteral("/rows.json"));
                if (fa.open(QIODevice::WriteOnly) && fb.open(QIODevice::WriteOnly)) {
                    fa.write(QJsonDocument(a.toJson()).toJson());
                    fb.write(QJsonDocument(b.toJson()).toJson());
                }
            }
        }
        QFile::remove(copy);
    }

    std::printf("\nthe writer at line rate on a copy of the year:\n");
    const QString writes = cache + QStringLiteral("/writes.sqlite");
    QFile::remove(writes);
    QFile::copy(work, writes);
    writeCost(writes, 20, 300);
    writeCost(writes, 200, 100);
    QFile::remove(writes);
    std::printf("\nthe Events tab over the year:\n");
    eventsPaging(work);
    return 0;
}
