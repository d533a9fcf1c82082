// The Trends tab over ninety days of samples (one a second, 7.8 million rows): the time from
// choosing a span to the chart drawn, per span, and the longest the GUI thread went without
// running its 1 ms timer meanwhile. The database is generated once, written as the program
// before the per-minute table wrote it, and migrated (timed) into a second cached copy.
//
//   trends_bench [--cache DIR] [--rounds N] [--migrate] [--screenshot FILE]
//
// DIR defaults to /tmp/laser-trends-bench; --migrate migrates again from the cached copy;
// --screenshot saves the tab at ninety days as a PNG at the end.
#include "history/event_store.h"
#include "history/recorder.h"
#include "ui/diagnostics/tabs.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <time.h>
#include <vector>

namespace {

using diagnostics::TrendsTab;

// The generated history ends here (late 2026); the bench's clock runs on from it.
constexpr qint64 end = 1796000000000;
constexpr qint64 seconds = qint64(90) * 24 * 3600;
constexpr qint64 spikeAt = end - qint64(45) * 24 * 3600 * 1000 + 12345000;

double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// CPU time of the calling thread in ms: what the GUI thread itself spent, whatever else the
// machine runs.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool run(QSqlQuery &q, const QString &sql) {
    if (q.exec(sql))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

// Ninety days as the old program kept them: a daily swing of the chiller, a slow drift, noise
// of a few hundredths, a dew point missing for a minute a day, and one second of 45 °C.
bool generate(const QString &path) {
    QElapsedTimer t;
    t.start();
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("generate"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        const QString insert =
            QStringLiteral(
                "WITH RECURSIVE t(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM t WHERE i < %1), "
                "v(i, wave, noise) AS (SELECT i, abs(i % 86400 - 43200) / 43200.0, "
                "(abs(random()) % 21 - 10) / 100.0 FROM t) "
                "INSERT INTO samples SELECT %2 - (%1 - i) * 1000, "
                "round(24.2 + 0.8 * wave + 0.5 * i / %1 + noise, 2), "
                "round(26.9 + 0.9 * wave + 0.5 * i / %1 - noise, 2), "
                "CASE WHEN i % 86400 < 60 THEN NULL ELSE round(12.0 + 1.5 * wave + noise, 2) END "
                "FROM v")
                .arg(seconds - 1)
                .arg(end);
        ok = run(q, QStringLiteral("PRAGMA journal_mode=WAL")) &&
             run(q, QStringLiteral("CREATE TABLE events(at INTEGER NOT NULL, category TEXT NOT "
                                   "NULL, name TEXT NOT NULL, value TEXT, detail TEXT)")) &&
             run(q, QStringLiteral("CREATE INDEX events_at ON events(at)")) &&
             run(q, QStringLiteral("CREATE TABLE samples(at INTEGER NOT NULL, water_in REAL, "
                                   "water_out REAL, dew_point REAL)")) &&
             run(q, QStringLiteral("BEGIN")) && run(q, insert) &&
             run(q,
                 QStringLiteral("UPDATE samples SET water_in = 45.0 WHERE at = %1").arg(spikeAt)) &&
             run(q, QStringLiteral("COMMIT")) &&
             run(q, QStringLiteral("CREATE INDEX samples_at ON samples(at)")) &&
             run(q, QStringLiteral("PRAGMA user_version = 1")) &&
             run(q, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("generate"));
    std::printf("generated %lld samples in %.1f s\n", seconds, t.elapsed() / 1000.0);
    return ok;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QString cache = QStringLiteral("/tmp/laser-trends-bench");
    int rounds = 5;
    bool migrate = false;
    QString screenshot;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--cache") && i + 1 < args.size())
            cache = args[++i];
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--migrate"))
            migrate = true;
        else if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size())
            screenshot = args[++i];
    }
    QDir().mkpath(cache + QStringLiteral("/log"));
    const QString old = cache + QStringLiteral("/history-v1.sqlite");
    const QString work = cache + QStringLiteral("/log/history.sqlite");
    if (!QFile::exists(old)) {
        if (!generate(old + QStringLiteral(".part")) ||
            !QFile::rename(old + QStringLiteral(".part"), old))
            return 1;
        migrate = true;
    }
    if (migrate || !QFile::exists(work)) {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(work + QLatin1String(suffix));
        QFile::copy(old, work);
        QElapsedTimer t;
        t.start();
        const double cpu = cpuSeconds();
        history::EventStore store(work);
        QString error;
        if (store.open(&error) != history::EventStore::Result::Ok) {
            std::fprintf(stderr, "migration failed: %s\n", qPrintable(error));
            return 1;
        }
        store.close();
        std::printf("migration of %lld samples to the per-minute table: %.1f s (CPU %.1f s)\n",
                    seconds, t.elapsed() / 1000.0, cpuSeconds() - cpu);
    }

    // The bench's "now" runs on from the end of the history.
    QElapsedTimer sinceStart;
    sinceStart.start();
    const auto clock = [&sinceStart] { return end + sinceStart.elapsed(); };

    QTemporaryDir logDir;
    history::RecorderOptions options;
    options.logDir = logDir.path();
    history::Recorder recorder(nullptr, options);
    QWidget window;
    auto *tab = new TrendsTab(work, recorder, nullptr, clock);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(tab);
    window.resize(1100, 650);
    window.show();
    tab->setActive(true);

    // The 1 ms tick of the main window, on the GUI thread: its longest gap is the longest the
    // GUI thread was busy.
    QElapsedTimer tickClock;
    tickClock.start();
    // The GUI thread's own CPU time between two ticks tells its work apart from the waits
    // for a processor that the other programs on the machine cause.
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
    QObject::connect(tab, &TrendsTab::pictureShown, [&] { shown = true; });
    const auto waitShown = [&](int timeoutMs) {
        QElapsedTimer t;
        t.start();
        while (!shown && t.elapsed() < timeoutMs)
            app.processEvents(QEventLoop::WaitForMoreEvents, 50);
        const bool ok = shown;
        shown = false;
        return ok;
    };
    waitShown(30000);                                        // the first span, as the tab opens
    tab->rangeBox()->setCurrentIndex(TrendsTab::NinetyDays); // so that every round changes it
    waitShown(30000);

    // The idle tick on this machine, for comparison.
    lastTick = longestGap = 0;
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 1000)
            app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const double idleGap = longestGap / 1e6;

    const char *names[] = {"10 minutes", "1 hour",  "1 day",        "1 week",
                           "30 days",    "90 days", "custom 3 days"};
    std::vector<double> times[7], gaps[7], cpu[7], busy[7];
    for (int round = 0; round < rounds; ++round) {
        for (int span = 0; span < 7; ++span) {
            QElapsedTimer t;
            lastTick = longestGap = 0;
            longestBusy = 0;
            t.start();
            const double cpu0 = threadCpuMs();
            if (span == TrendsTab::Custom) {
                // Three days, a month and a half ago, typed into the pickers.
                const QSignalBlocker block(tab->rangeBox());
                tab->rangeBox()->setCurrentIndex(TrendsTab::Custom);
                const qint64 from = end - qint64(45) * 24 * 3600 * 1000;
                tab->fromBox()->setDateTime(QDateTime::fromMSecsSinceEpoch(from));
                tab->toBox()->setDateTime(
                    QDateTime::fromMSecsSinceEpoch(from + qint64(3) * 24 * 3600 * 1000));
                tab->fromBox()->setEnabled(true);
                t.restart();
                tab->resetZoom(); // what the pickers' pause ends in: a load of their range
            } else {
                tab->rangeBox()->setCurrentIndex(span);
            }
            if (!waitShown(30000)) {
                std::fprintf(stderr, "%s: no chart within 30 s\n", names[span]);
                return 1;
            }
            tab->chartView()->repaint();
            times[span].push_back(t.nsecsElapsed() / 1e6);
            cpu[span].push_back(threadCpuMs() - cpu0);
            gaps[span].push_back(longestGap / 1e6);
            busy[span].push_back(longestBusy);
        }
    }

    // A live sample at the ninety-day span: from the recorder's signal to the chart.
    tab->rangeBox()->setCurrentIndex(TrendsTab::NinetyDays);
    waitShown(30000);
    std::vector<double> live;
    for (int i = 0; i < rounds; ++i) {
        events::Sample s;
        s.at = clock();
        s.waterIn = 25.5;
        s.waterOut = 28.0;
        s.dewPoint = 12.5;
        QElapsedTimer t;
        t.start();
        emit recorder.sampleRecorded(s);
        waitShown(5000);
        tab->chartView()->repaint();
        live.push_back(t.nsecsElapsed() / 1e6);
    }

    std::printf("\n%d rounds, plot %d px wide; the 1 ms tick's longest gap when idle: %.1f ms\n",
                rounds, tab->chartView()->width(), idleGap);
    std::printf("%-14s %9s %9s %13s %15s %11s\n", "span", "median ms", "worst ms", "tick gap ms",
                "GUI busy CPU ms", "GUI CPU ms");
    double worstGap = 0, worstBusy = 0;
    for (int span = 0; span < 7; ++span) {
        const double gap = *std::max_element(gaps[span].begin(), gaps[span].end());
        const double cpuBusy = *std::max_element(busy[span].begin(), busy[span].end());
        worstGap = std::max(worstGap, gap);
        worstBusy = std::max(worstBusy, cpuBusy);
        std::printf("%-14s %9.1f %9.1f %13.1f %15.1f %11.1f\n", names[span], median(times[span]),
                    *std::max_element(times[span].begin(), times[span].end()), gap, cpuBusy,
                    median(cpu[span]));
    }
    std::printf("live sample at 90 days: median %.1f ms to the chart\n", median(live));
    std::printf("longest gap of the 1 ms tick while loading: %.1f ms wall, in which the GUI "
                "thread was busy at most %.1f ms CPU; process CPU %.1f s\n",
                worstGap, worstBusy, cpuSeconds());
    return 0;
}
