// Retention after the program was left unused: a history of DAYS days (one sample a second, a
// few events an hour) that ended UNUSED days ago, then a day's run that ended an hour ago (after
// which the wall clock is believed at once), started as an operator starts the program. Measures,
// on the real program (laser-host, offscreen, no port opened):
//  - the longest another connection waits for the write lock while the deletes go on, as a
//    second program in the folder would: the longest the writer holds the database in a slice,
//  - how long the deletes take in all, and the longest a row queued then waits to be written,
//  - the time to end on SIGTERM in the middle of them,
//  - the size of the -wal file, at most and after.
//   retention_bench DIR [DAYS [UNUSED]]      (DAYS: 90, UNUSED: 30; laser-host from the build)
#include "history/event_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <csignal>
#include <cstdio>

namespace {

constexpr qint64 dayMs = 24 * 3600 * 1000;

bool exec(QSqlQuery &q, const QString &sql) {
    if (q.exec(sql))
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(sql));
    return false;
}

// DAYS of samples and events ending UNUSED days ago, and a day and an hour of samples ending an
// hour ago (rows after a pause that span less than a day leave the clock doubted).
bool makeHistory(const QString &path, int days, int unused) {
    {
        history::EventStore store(path);
        QString error;
        if (store.open(&error) != history::EventStore::Result::Ok) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
    }
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 start = now - qint64(days + unused) * dayMs;
        const QString samples = QStringLiteral(
            "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < %1) "
            "INSERT INTO samples(at, water_in, water_out, dew_point) "
            "SELECT %2 + i * 1000, 24 + (i % 600) / 100.0, 27 + (i % 900) / 100.0, "
            "12 + (i % 300) / 100.0 FROM s");
        ok = ok && exec(q, samples.arg(qint64(days) * 86400 - 1).arg(start)) &&
             exec(q, QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 "
                                    "FROM s WHERE i < %1) INSERT INTO events(at, category, name, "
                                    "value) SELECT %2 + i * 600000, 'alarm', 'chillerFault', "
                                    "CASE i % 2 WHEN 0 THEN 'on' ELSE 'off' END FROM s")
                         .arg(qint64(days) * 144 - 1)
                         .arg(start)) &&
             exec(q, samples.arg(25 * 3600 - 1).arg(now - 26 * 3600 * 1000)) &&
             exec(q, QStringLiteral("INSERT INTO events(at, category, name, detail) "
                                    "VALUES(%1, 'link', 'closed', 'ttyUSB0')")
                         .arg(now - 3600 * 1000)) &&
             exec(q, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    return ok;
}

// A second program's connection to the history: how long it waits for the write lock, and how
// many samples are still older than the cut.
class Probe {
public:
    explicit Probe(const QString &path) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
        db.open();
    }
    ~Probe() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    }
    qint64 lockWait() {
        QElapsedTimer t;
        t.start();
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN IMMEDIATE"));
        const qint64 waited = t.elapsed();
        q.exec(QStringLiteral("ROLLBACK"));
        return waited;
    }
    // Counting reads the whole index: only before and after, never while the deletes run.
    qint64 olderThan(qint64 cut) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT count(*) FROM samples WHERE at < %1").arg(cut));
        return q.next() ? q.value(0).toLongLong() : -1;
    }
    // The oldest sample: the deletes go from the oldest on, so this is how far they are.
    qint64 oldest() {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT min(at) FROM samples"));
        return q.next() ? q.value(0).toLongLong() : -1;
    }

private:
    QSqlDatabase db;
};

qint64 walSize(const QString &db) {
    return QFileInfo(db + QStringLiteral("-wal")).size();
}

struct Run {
    QProcess program;
    QString db;
    Run(const QString &base, const QString &dir, const QString &binary) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir + QStringLiteral("/log"));
        db = dir + QStringLiteral("/log/history.sqlite");
        QFile::copy(base, db);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        program.start(binary, {});
        program.waitForStarted();
    }
    ~Run() {
        program.kill();
        program.waitForFinished();
    }
    qint64 endOnSigterm() {
        QElapsedTimer t;
        t.start();
        ::kill(pid_t(program.processId()), SIGTERM);
        program.waitForFinished(60000);
        return t.elapsed();
    }
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: retention_bench DIR [DAYS [UNUSED]]\n");
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int days = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 90;
    const int unused = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 30;
    const QString base = dir + QStringLiteral("/base-%1-%2.sqlite").arg(days).arg(unused);
    QDir().mkpath(dir);
    if (!QFileInfo::exists(base)) {
        QElapsedTimer making;
        making.start();
        if (!makeHistory(base, days, unused))
            return 1;
        std::printf("made %s: %d days ending %d days ago, %.0f MB in %.1f s\n", qPrintable(base),
                    days, unused, double(QFileInfo(base).size()) / 1e6,
                    double(making.elapsed()) / 1000.0);
    }
    const QString binary = QStringLiteral(LASER_HOST_BIN);
    // The samples the first pass deletes: older than ninety days by the wall clock.
    const qint64 cut = QDateTime::currentMSecsSinceEpoch() - 90 * dayMs;

    {
        Run run(base, dir + QStringLiteral("/whole"), binary);
        Probe probe(run.db);
        const qint64 before = probe.olderThan(cut);
        QElapsedTimer all;
        all.start();
        qint64 longestWait = 0, wal = 0;
        while (probe.oldest() < cut && all.elapsed() < 1800000) {
            longestWait = std::max(longestWait, probe.lockWait());
            wal = std::max(wal, walSize(run.db));
            QThread::msleep(20);
        }
        const qint64 took = all.elapsed();
        QThread::msleep(3000); // the writer's next checkpoint
        const qint64 walAfter = walSize(run.db);
        const qint64 ended = run.endOnSigterm();
        std::printf("%lld samples older than 90 days deleted in %.1f s; another connection waited "
                    "at most %lld ms for the write lock meanwhile\n",
                    before, double(took) / 1000.0, longestWait);
        // The writer's own account of the pass (its slices) on standard error.
        for (const QByteArray &line : run.program.readAllStandardError().split('\n'))
            if (line.contains("slices"))
                std::printf("the program said: %s\n", line.constData());
        std::printf("-wal file: at most %.1f MB during the deletes, %.1f MB after, %.1f MB after "
                    "the program ended (%lld ms after SIGTERM)\n",
                    double(wal) / 1e6, double(walAfter) / 1e6, double(walSize(run.db)) / 1e6,
                    ended);
    }
    {
        Run run(base, dir + QStringLiteral("/stopped"), binary);
        Probe probe(run.db);
        const qint64 before = probe.olderThan(cut);
        // A tenth of the way: the oldest sample a tenth of the deleted span later.
        const qint64 start = probe.oldest();
        QElapsedTimer waiting;
        waiting.start();
        while (probe.oldest() < start + (cut - start) / 10 && waiting.elapsed() < 600000)
            QThread::msleep(50);
        const qint64 left = probe.olderThan(cut);
        const qint64 ended = run.endOnSigterm();
        const bool bySignal =
            run.program.exitStatus() == QProcess::CrashExit && run.program.exitCode() == SIGTERM;
        std::printf("SIGTERM with %lld of %lld samples still to delete: the program ended %lld ms "
                    "later (%s), %lld left for the next start\n",
                    left, before, ended, bySignal ? "by SIGTERM" : "not by SIGTERM",
                    probe.olderThan(cut));
    }
    return 0;
}
