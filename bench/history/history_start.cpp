// The window's start on a long history, and the database check that runs at the writer's
// first open. Makes DIR/log/history.sqlite with DAYS days of samples (one a second) and a few
// events an hour unless it is there, then in DIR as the working directory:
//  - the time from the start of the window until it is shown and has painted,
//  - the time until a row queued then is in the database (the check runs as the window starts),
//    and the longest the window's event loop waited meanwhile,
//  - how long a window closed as soon as it is shown takes to end (the check under way),
//  - the check alone (PRAGMA quick_check, as the writer runs it at its first open).
//   history_start DIR [DAYS]      (DAYS: 90)
#include "history/event_store.h"
#include "history/recorder.h"
#include "ui/serial.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

bool makeHistory(const QString &path, int days) {
    history::EventStore store(path);
    QString error;
    if (store.open(&error) != history::EventStore::Result::Ok) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    store.close();
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        const qint64 start = QDateTime::currentMSecsSinceEpoch() - qint64(days) * 86400000;
        const qint64 seconds = qint64(days) * 86400;
        // Within SQLite: a recursive count makes the rows without a round trip each.
        ok = ok &&
             q.exec(
                 QStringLiteral(
                     "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < %1) "
                     "INSERT INTO samples(at, water_in, water_out, dew_point) "
                     "SELECT %2 + i * 1000, 24 + (i % 600) / 100.0, 27 + (i % 900) / 100.0, "
                     "12 + (i % 300) / 100.0 FROM s")
                     .arg(seconds - 1)
                     .arg(start)) &&
             q.exec(
                 QStringLiteral(
                     "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < %1) "
                     "INSERT INTO events(at, category, name, value, detail) "
                     "SELECT %2 + i * 600000, 'alarm', 'chillerFault', "
                     "CASE i % 2 WHEN 0 THEN 'on' ELSE 'off' END, NULL FROM s")
                     .arg(seconds / 600 - 1)
                     .arg(start)) &&
             q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    return ok;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: history_start DIR [DAYS]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int days = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 90;
    const QString db = dir + QStringLiteral("/log/history.sqlite");
    QDir().mkpath(dir + QStringLiteral("/log"));
    if (!QFileInfo::exists(db)) {
        QElapsedTimer making;
        making.start();
        if (!makeHistory(db, days))
            return 1;
        std::printf("made %s: %d days, %.0f MB in %.1f s\n", qPrintable(db), days,
                    double(QFileInfo(db).size()) / 1e6, double(making.elapsed()) / 1000.0);
    }
    QDir::setCurrent(dir);
    // Once the system has the file in its cache, as after the program's last run.
    {
        history::EventStore warm(QStringLiteral("log/history.sqlite"));
        QString error;
        warm.open(&error);
    }

    QElapsedTimer clock;
    clock.start();
    auto *window = new Serial;
    window->show();
    while (!window->windowHandle() || !window->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    const qint64 shown = clock.elapsed();

    // A row now: the writer opens the database (the check) and writes it, off this thread.
    auto *recorder = window->findChild<history::Recorder *>();
    const QString marker = QStringLiteral("start measurement %1").arg(clock.msecsSinceReference());
    recorder->portOpenFailed(QStringLiteral("ttyUSB9"), marker);
    const qint64 queued = clock.elapsed();
    qint64 longestWait = 0;
    QElapsedTimer beat;
    beat.start();
    QTimer heartbeat;
    heartbeat.setInterval(10);
    QObject::connect(&heartbeat, &QTimer::timeout,
                     [&] { longestWait = qMax(longestWait, beat.restart() - 10); });
    heartbeat.start();
    qint64 written = -1;
    while (written < 0 && clock.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QSqlDatabase probe =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe"));
        probe.setDatabaseName(QStringLiteral("log/history.sqlite"));
        probe.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=100"));
        if (probe.open()) {
            QSqlQuery q(probe);
            q.prepare(QStringLiteral("SELECT 1 FROM events WHERE detail LIKE ?"));
            q.addBindValue(QStringLiteral("%") + marker);
            if (q.exec() && q.next())
                written = clock.elapsed() - queued;
        }
        probe.close();
        probe = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    }
    heartbeat.stop();
    delete window;

    // A window closed as soon as it shows: its end waits for the check under way.
    clock.restart();
    window = new Serial;
    window->show();
    while (!window->windowHandle() || !window->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 shownAgain = clock.elapsed();
    delete window;
    const qint64 closed = clock.elapsed() - shownAgain;

    history::EventStore check(QStringLiteral("log/history.sqlite"));
    QString error;
    QElapsedTimer checking;
    checking.start();
    check.open(&error);
    const qint64 checked = checking.elapsed();

    std::printf("database %.0f MB\n",
                double(QFileInfo(QStringLiteral("log/history.sqlite")).size()) / 1e6);
    std::printf("window shown and painted after %lld ms\n", shown);
    std::printf("first row written %lld ms after it was queued; the window's event loop waited "
                "at most %lld ms meanwhile\n",
                written, longestWait);
    std::printf("a window closed as soon as it was shown (%lld ms) took %lld ms to end\n",
                shownAgain, closed);
    std::printf("the writer's open with its check: %lld ms\n", checked);
    return 0;
}
