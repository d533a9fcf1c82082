// The Events tab over a history of three million events, as a person uses it: the tab opened,
// a category chosen and put back, a text typed key by key and cleared, the list scrolled to its
// end. For each, the time until its rows are all there and the longest the GUI thread went
// without running its 1 ms timer meanwhile (and the GUI thread's own CPU time in that longest
// gap, which tells its work from the waits for a processor that the machine's other programs
// cause). Then what the index on (category, at) costs: the database's size and the time the
// writer takes to make it on the generated history, and the time of a second's rows written
// at line rate with and without it.
//
//   events_tab_bench [--cache DIR] [--rows N] [--rounds N]
//
// DIR defaults to /tmp/laser-events-bench; the history (as an earlier program wrote it: the
// table and its index on `at` only) is generated there once.
#include "history/event_store.h"
#include "history/recorder.h"
#include "ui/diagnostics/alarm_watch.h"
#include "ui/diagnostics/tabs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr qint64 base = 1790000000000;

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

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

// Ten rows a second: mostly states and commands, a link row in a hundred, an alarm in twenty
// thousand (one in two a fibre break); the newest row is `base`.
bool generate(const QString &path, qint64 rows) {
    QElapsedTimer t;
    t.start();
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("generate"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        ok = run(q, QStringLiteral("PRAGMA journal_mode=WAL")) &&
             run(q, QStringLiteral("CREATE TABLE events(at INTEGER NOT NULL, category TEXT NOT "
                                   "NULL, name TEXT NOT NULL, value TEXT, detail TEXT)")) &&
             run(q, QStringLiteral("CREATE INDEX events_at ON events(at)")) &&
             run(q, QStringLiteral("BEGIN")) &&
             run(q, QStringLiteral(
                        "WITH RECURSIVE t(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM t WHERE i < "
                        "%1) INSERT INTO events SELECT %2 - (%1 - i) * 100, "
                        "CASE WHEN i % 20000 = 0 THEN 'alarm' WHEN i % 100 = 1 THEN 'link' "
                        "WHEN i % 10 = 2 THEN 'command' ELSE 'state' END, "
                        "CASE WHEN i % 40000 = 0 THEN 'fiberBreakFault' WHEN i % 20000 = 0 THEN "
                        "'chillerFault' WHEN i % 100 = 1 THEN 'opened' WHEN i % 10 = 2 THEN "
                        "'redLight' ELSE 'module' || (i % 4) || '.dinPwm' END, "
                        "CASE WHEN i % 2 THEN 'on' ELSE 'off' END, "
                        "CASE WHEN i % 100 = 1 THEN 'ttyUSB0 (USB serial)' ELSE NULL END FROM t")
                        .arg(rows - 1)
                        .arg(base)) &&
             run(q, QStringLiteral("COMMIT")) &&
             run(q, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("generate"));
    std::printf("generated %lld events in %.1f s\n", rows, t.elapsed() / 1000.0);
    return ok;
}

// A second's rows at line rate, written as the writer writes them (one transaction of
// prepared inserts), `seconds` times over on its own connection: the median time of one write.
double writeCost(const QString &path, int perSecond, int seconds) {
    std::vector<double> ms;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("w"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        for (int s = 0; s < seconds; ++s) {
            QElapsedTimer t;
            t.start();
            run(q, QStringLiteral("BEGIN IMMEDIATE"));
            q.prepare(QStringLiteral("INSERT INTO events(at, category, name, value, detail) "
                                     "VALUES(?, ?, ?, ?, NULL)"));
            for (int i = 0; i < perSecond; ++i) {
                q.bindValue(0, base + 1000 * (s + 1) + i % 1000);
                q.bindValue(1, i % 3 ? QStringLiteral("state") : QStringLiteral("alarm"));
                q.bindValue(2, QStringLiteral("module%1.dinPwm").arg(i % 4));
                q.bindValue(3, i % 2 ? QStringLiteral("on") : QStringLiteral("off"));
                q.exec();
            }
            run(q, QStringLiteral("COMMIT"));
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("w"));
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QString cache = QStringLiteral("/tmp/laser-events-bench");
    qint64 rows = 3000000;
    int rounds = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--cache") && i + 1 < args.size())
            cache = args[++i];
        else if (args[i] == QLatin1String("--rows") && i + 1 < args.size())
            rows = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = std::max(1, args[++i].toInt());
    }
    QDir().mkpath(cache + QStringLiteral("/log"));
    const QString old = cache + QStringLiteral("/history-%1.sqlite").arg(rows);
    const QString work = cache + QStringLiteral("/log/history.sqlite");
    if (!QFile::exists(old)) {
        if (!generate(old + QStringLiteral(".part"), rows) ||
            !QFile::rename(old + QStringLiteral(".part"), old))
            return 1;
    }
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(work + QLatin1String(suffix));
    QFile::copy(old, work);
    const qint64 sizeBefore = QFileInfo(work).size();
    {
        // As the program starts: the writer opens the history (and makes what it lacks).
        QElapsedTimer t;
        t.start();
        history::EventStore store(work);
        QString error;
        if (store.open(&error) != history::EventStore::Result::Ok) {
            std::fprintf(stderr, "open failed: %s\n", qPrintable(error));
            return 1;
        }
        store.close();
        std::printf("the writer's first open of %lld events: %.1f s; the file %.1f MB before, "
                    "%.1f MB after\n",
                    rows, t.elapsed() / 1000.0, sizeBefore / 1e6, QFileInfo(work).size() / 1e6);
    }

    QTemporaryDir logDir;
    history::RecorderOptions options;
    options.logDir = logDir.path();
    history::Recorder recorder(nullptr, options);
    diagnostics::AlarmWatch alarms(recorder, work);
    QWidget window;
    auto *tab = new diagnostics::EventsTab(work, recorder, alarms);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(tab);
    window.resize(1100, 650);
    window.show();
    tab->periodBox()->setCurrentIndex(3); // all

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, longestGap = 0;
    double lastCpu = 0, longestBusy = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const double cpu = threadCpuMs();
        if (lastTick) {
            longestGap = std::max(longestGap, now - lastTick);
            longestBusy = std::max(longestBusy, cpu - lastCpu);
        }
        lastTick = now;
        lastCpu = cpu;
    });
    tick.start(1);

    const auto reading = [&] { return tab->model().property("reading").toBool(); };
    // Every select empties the model first: counted, so that a text typed is seen read only
    // once its select (300 ms after the last key) has come.
    int selects = 0, selectsAtKey = -1;
    QObject::connect(&tab->model(), &QAbstractItemModel::modelReset, [&] { ++selects; });
    const auto spin = [&](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            app.processEvents(QEventLoop::WaitForMoreEvents, 5);
    };
    // Runs the events, at least `ms`, and on until the tab is done reading (after the select of
    // the last key typed, if any; two minutes at most): the clock's time when it was first seen
    // done.
    const auto settle = [&](int ms) {
        QElapsedTimer t;
        t.start();
        qint64 doneAt = -1;
        while (t.elapsed() < ms || doneAt < 0) {
            if (doneAt < 0 && selects > selectsAtKey && !reading())
                doneAt = clock.nsecsElapsed();
            app.processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (t.elapsed() > 120000) {
                std::fprintf(stderr, "still reading after 120 s\n");
                break;
            }
        }
        return doneAt;
    };
    struct Figure {
        const char *what;
        std::vector<double> ms, gap, busy, cpu;
        int rows = 0;
    };
    std::vector<Figure> figures;
    qint64 lastKey = 0;
    // The time counts from the start of `act` (from the last key typed, for a text: the
    // filter reads 300 ms after it) until the rows are all there.
    const auto measure = [&](const char *what, const std::function<void()> &act) {
        spin(100);
        // From now: a call that holds the GUI thread counts from its start.
        lastTick = clock.nsecsElapsed();
        lastCpu = threadCpuMs();
        longestGap = 0;
        longestBusy = 0;
        lastKey = 0;
        selectsAtKey = -1;
        const qint64 start = clock.nsecsElapsed();
        const double cpu0 = processCpuMs();
        act();
        const qint64 from = lastKey ? lastKey : start;
        const qint64 doneAt = settle(400);
        auto it = std::find_if(figures.begin(), figures.end(),
                               [&](const Figure &f) { return f.what == what; });
        if (it == figures.end())
            it = figures.insert(figures.end(), Figure{what, {}, {}, {}, {}});
        it->ms.push_back((doneAt - from) / 1e6);
        it->cpu.push_back(processCpuMs() - cpu0);
        it->gap.push_back(longestGap / 1e6);
        it->busy.push_back(longestBusy);
        it->rows = tab->model().rowCount();
    };
    // Keys typed a person's 80 ms apart.
    const auto type = [&](const QString &text) {
        for (int i = 1; i <= text.size(); ++i) {
            if (i > 1)
                spin(80);
            tab->textBox()->setText(text.left(i));
            lastKey = clock.nsecsElapsed();
            selectsAtKey = selects;
        }
    };
    QTableView *view = tab->table();
    // The machine's own share: a second of nothing.
    measure("(idle, for comparison)", [] {});
    for (int round = 0; round < rounds; ++round) {
        measure("open the tab, all rows", [&] { tab->setActive(true); });
        measure("scroll to the end x10", [&] {
            for (int i = 0; i < 10; ++i) {
                view->scrollToBottom();
                settle(20);
            }
        });
        measure("category alarm", [&] { tab->categoryBox()->setCurrentIndex(1); });
        measure("category all", [&] { tab->categoryBox()->setCurrentIndex(0); });
        measure("type \"fiberBreak\"", [&] { type(QStringLiteral("fiberBreak")); });
        measure("type \"zz\" (no row)", [&] { type(QStringLiteral("zz")); });
        measure("text cleared", [&] {
            tab->textBox()->clear();
            lastKey = clock.nsecsElapsed();
            selectsAtKey = selects;
        });
        measure("alarm + last hour", [&] {
            tab->categoryBox()->setCurrentIndex(1);
            tab->periodBox()->setCurrentIndex(0);
        });
        tab->categoryBox()->setCurrentIndex(0);
        tab->periodBox()->setCurrentIndex(3);
        tab->setActive(false);
    }

    std::printf("\n%d rounds; the 1 ms tick's longest gap, and the GUI thread's own CPU in it\n",
                rounds);
    std::printf("%-26s %6s %16s %12s %12s %14s\n", "action", "rows", "ms to rows: med", "worst",
                "tick gap ms", "GUI busy ms");
    double worstGap = 0, worstBusy = 0;
    for (const Figure &f : figures) {
        const double gap = *std::max_element(f.gap.begin(), f.gap.end());
        const double busy = *std::max_element(f.busy.begin(), f.busy.end());
        worstGap = std::max(worstGap, gap);
        worstBusy = std::max(worstBusy, busy);
        std::vector<double> ms = f.ms, cpu = f.cpu;
        std::sort(ms.begin(), ms.end());
        std::sort(cpu.begin(), cpu.end());
        std::printf("%-26s %6d %16.0f %12.0f %12.1f %14.1f   (process CPU %.0f ms)\n", f.what,
                    f.rows, ms[ms.size() / 2], ms.back(), gap, busy, cpu[cpu.size() / 2]);
    }
    std::printf("longest gap of the 1 ms tick: %.1f ms, the GUI thread busy at most %.1f ms\n",
                worstGap, worstBusy);

    // What the index costs a write: a second's rows at line rate, with it and without it.
    tick.stop();
    delete tab;
    const QString plain = cache + QStringLiteral("/log/without-index.sqlite");
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(plain + QLatin1String(suffix));
    QFile::copy(work, plain);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("drop"));
        db.setDatabaseName(plain);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("DROP INDEX IF EXISTS events_category_at"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("drop"));
    // Taken in turns, so that the machine's other work falls on both alike.
    for (const int perSecond : {10, 1000, 10000}) {
        std::vector<double> with, without;
        for (int turn = 0; turn < 5; ++turn) {
            without.push_back(writeCost(plain, perSecond, 20));
            with.push_back(writeCost(work, perSecond, 20));
        }
        std::sort(with.begin(), with.end());
        std::sort(without.begin(), without.end());
        std::printf("a second of %d events written: median %.2f ms with the index, %.2f ms "
                    "without\n",
                    perSecond, with[with.size() / 2], without[without.size() / 2]);
    }
    return 0;
}
