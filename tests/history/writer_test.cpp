// The writer and its database: schema, a full queue, a disk that refuses writes, a damaged
// database, two programs on one database, the retention of samples and the flush at exit.

#include "history/ended_run.h"
#include "history/event_store.h"
#include "history/retention_clock.h"
#include "history/writer.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/table.h"
#include "support/wait.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <limits>
#include <memory>
#include <sys/resource.h>

using namespace fixture;
using namespace frames;
using events::Event;
using events::Sample;
using history::Batch;
using history::HistoryWriter;
using history::WriterLimits;

namespace {

const qint64 t0 = 1796000000000;

Event makeEvent(qint64 at, const QString &name, const QString &value = QStringLiteral("on"),
                const QString &detail = QString()) {
    Event e;
    e.at = at;
    e.category = QStringLiteral("alarm");
    e.name = name;
    e.value = value;
    e.detail = detail;
    return e;
}

Batch eventsBatch(int count, qint64 at, const QString &prefix = QStringLiteral("e")) {
    Batch b;
    for (int i = 0; i < count; ++i)
        b.events.push_back(makeEvent(at + i, prefix + QString::number(i)));
    return b;
}

int count(const QString &db, const QString &table) {
    return rows(db, QStringLiteral("SELECT count(*) FROM ") + table).value(0).value(0).toInt();
}

// Collects what the writer says.
struct Said {
    QStringList texts;
    std::function<void(const QString &)> sink() {
        return [this](const QString &t) { texts << t; };
    }
};

// Lowers the largest file this process may write; restores on leaving.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit low = saved;
        low.rlim_cur = bytes;
        ok = setrlimit(RLIMIT_FSIZE, &low) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    bool ok = false;

private:
    rlimit saved{};
};

} // namespace

class WriterTest : public QObject {
    Q_OBJECT

private slots:
    void aFreshDatabaseHasTheTablesTheVersionAndWal() {
        QTemporaryDir dir;
        Said said;
        HistoryWriter writer(dir.path(), WriterLimits(), said.sink());
        Batch b = eventsBatch(2, t0);
        Sample s;
        s.at = t0;
        s.waterIn = 25.91;
        s.waterOut = std::numeric_limits<double>::quiet_NaN();
        s.dewPoint = 12.34;
        b.samples.push_back(s);
        writer.write(std::move(b), t0);
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(rows(db, QStringLiteral("PRAGMA user_version")).value(0).value(0).toInt(),
                 history::EventStore::schemaVersion);
        QCOMPARE(rows(db, QStringLiteral("PRAGMA journal_mode")).value(0).value(0).toString(),
                 QStringLiteral("wal"));
        const QList<QVariantList> events =
            rows(db, QStringLiteral("SELECT at, category, name, value, detail FROM events"));
        QCOMPARE(events.size(), 2);
        QCOMPARE(events[0][0].toLongLong(), t0);
        QCOMPARE(events[0][2].toString(), QStringLiteral("e0"));
        QVERIFY(events[0][4].isNull());
        const QList<QVariantList> samples =
            rows(db, QStringLiteral("SELECT water_in, water_out, dew_point FROM samples"));
        QCOMPARE(samples.size(), 1);
        QCOMPARE(samples[0][0].toDouble(), 25.91);
        QVERIFY(samples[0][1].isNull());
        QCOMPARE(samples[0][2].toDouble(), 12.34);
        QVERIFY(said.texts.isEmpty());
    }

    void aFullQueueRefusesCountsAndIsMentionedOncePerEpisode() {
        QTemporaryDir dir;
        history::WriterQueue queue(5, 100);
        for (int i = 0; i < 7; ++i)
            queue.pushEvent(makeEvent(t0 + i, QStringLiteral("e%1").arg(i)));
        history::CaptureItem start;
        start.kind = history::CaptureItem::Start;
        start.chunk.at = t0;
        start.port = QStringLiteral("ttyUSB0");
        QVERIFY(queue.pushCapture(start));
        history::CaptureItem chunk;
        chunk.chunk.at = t0;
        chunk.chunk.bytes = QByteArray(80, 'a');
        QVERIFY(queue.pushCapture(chunk));
        QVERIFY(!queue.pushCapture(chunk)); // 160 bytes would pass the bound
        history::CaptureItem stop;
        stop.kind = history::CaptureItem::Stop;
        QVERIFY(queue.pushCapture(stop)); // the remark stands before the file's end
        Batch b = queue.take();
        QCOMPARE(b.events.size(), size_t(5));
        QCOMPARE(b.droppedRows, quint64(2));
        QCOMPARE(b.droppedBytes, quint64(80));
        // Taking empties the queue and its bounds start again.
        QVERIFY(queue.pushCapture(chunk));

        Said said;
        HistoryWriter writer(dir.path(), WriterLimits(), said.sink());
        writer.write(std::move(b), t0);
        writer.write(queue.take(), t0 + 1000);
        for (int i = 0; i < 7; ++i)
            queue.pushEvent(makeEvent(t0 + i, QStringLiteral("again")));
        writer.write(queue.take(), t0 + 2000);
        QCOMPARE(count(dir.filePath(QStringLiteral("history.sqlite")), QStringLiteral("events")),
                 10);
        // Rows and bytes apart, once an episode: the first full queue, its end, the second.
        QCOMPARE(said.texts.filter(QStringLiteral("queue was full, 2 rows")).size(), 2);
        QCOMPARE(said.texts.filter(QStringLiteral("queue was full, 80 captured bytes")).size(), 1);
        QCOMPARE(said.texts.filter(QStringLiteral("recovered")).size(), 2);
        QCOMPARE(said.texts.size(), 5);
        // The capture says where bytes are missing.
        const QStringList files =
            QDir(dir.path()).entryList({QStringLiteral("capture-*.txt")}, QDir::Files);
        QCOMPARE(files.size(), 1);
        QFile f(dir.filePath(files[0]));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("# 80 bytes lost: queue full"));
    }

    void aDiskThatRefusesWritesStopsNothingAndHeldRowsFollowLater() {
        QTemporaryDir dir;
        Said said;
        WriterLimits limits;
        HistoryWriter writer(dir.path(), limits, said.sink());
        // The plant link hears of every event once: with its row id once written, without one
        // (and kept out of the outbox) while the disk refused it.
        std::vector<events::StoredEvent> told;
        writer.setStoredSink([&told](const events::StoredEvent &e) { told.push_back(e); });
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        qint64 now = t0;
        {
            FileSizeLimit limit(48 * 1024);
            QVERIFY(limit.ok);
            for (int round = 0; round < 6; ++round) {
                Batch b = eventsBatch(200, now, QStringLiteral("r%1.").arg(round));
                b.outboxKey = QStringLiteral("bay3");
                b.events[0].detail = QString(4000, QLatin1Char('d'));
                history::CaptureItem start;
                start.kind = history::CaptureItem::Start;
                start.chunk.at = now;
                start.port = QStringLiteral("ttyUSB0");
                if (round == 0)
                    b.capture.push_back(start);
                history::CaptureItem chunk;
                chunk.chunk.at = now;
                chunk.chunk.bytes = QByteArray(8000, char(0xE6));
                b.capture.push_back(chunk);
                writer.write(std::move(b), now);
                now += 1000;
            }
            QVERIFY2(writer.heldRows() > 0, "rows the disk refused are held, not dropped");
        }
        // Said once per kind, however often it happened.
        QCOMPARE(said.texts.filter(QStringLiteral("capture stopped")).size(), 1);
        QCOMPARE(said.texts.filter(QStringLiteral("events not recorded")).size(), 1);
        // Room again: at the next attempt everything held arrives.
        writer.write(Batch(), now + 61000);
        QCOMPARE(writer.heldRows(), size_t(0));
        QCOMPARE(count(db, QStringLiteral("events")), 1200);
        QCOMPARE(told.size(), size_t(1200));
        const auto withId = std::count_if(told.begin(), told.end(),
                                          [](const events::StoredEvent &e) { return e.id > 0; });
        QVERIFY2(withId < 1200, qPrintable(QString::number(withId)));
        QCOMPARE(count(db, QStringLiteral("plant_outbox")), int(withId));
    }

    // The database deleted or replaced by another file while the program writes (its rows
    // would go on into the write-ahead log of a file no longer there), or another file copied
    // onto it in place (cp keeps the inode; the log of the file before must reach the copy
    // neither at the next write nor at the end): the rows go on in the file now at the path,
    // and that is said.
    void aDatabaseDeletedOrReplacedMeanwhileIsFollowedByTheNextWrite_data() {
        fixture::columns<QString, int, QString>("how", "events", "said");
        QTest::newRow("deleted") << "rm" << 2 << "deleted or replaced";
        QTest::newRow("replaced") << "mv" << 3 << "deleted or replaced";
        QTest::newRow("copied onto it in place") << "cp" << 3 << "written over in place";
        QTest::newRow("copied onto it at the end") << "cp, end" << 1 << "written over in place";
    }
    void aDatabaseDeletedOrReplacedMeanwhileIsFollowedByTheNextWrite() {
        QFETCH(QString, how);
        QFETCH(int, events);
        QFETCH(QString, said);
        QTemporaryDir dir, other;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        const QString elsewhere = other.filePath(QStringLiteral("history.sqlite"));
        HistoryWriter(other.path(), WriterLimits(), nullptr).write(eventsBatch(1, t0), t0);
        Said texts;
        {
            HistoryWriter writer(dir.path(), WriterLimits(), texts.sink());
            writer.write(eventsBatch(3, t0), t0);
            QVERIFY(how.startsWith("cp") ? QProcess::execute("cp", {elsewhere, db}) == 0
                                         : QFile::remove(db));
            QVERIFY(how != "mv" || QFile::rename(elsewhere, db));
            // A copy is opened again once it has stopped changing.
            for (int i = 1; how != "cp, end" && i <= 2; ++i)
                writer.write(eventsBatch(i == 1 ? 2 : 0, t0 + 1000 * i, "after"), t0 + 1000 * i);
        }
        QCOMPARE(count(db, QStringLiteral("events")), events);
        QCOMPARE(texts.texts.filter(said).size(), 1);
    }

    void aDamagedDatabaseIsRenamedAsideAndAFreshOneStarted_data() {
        fixture::column<bool>("garbage", {{"not a database", true}, {"pages overwritten", false}});
    }
    void aDamagedDatabaseIsRenamedAsideAndAFreshOneStarted() {
        QFETCH(bool, garbage);
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        if (garbage) {
            QFile f(db);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, 'x'));
        } else {
            {
                HistoryWriter first(dir.path(), WriterLimits(), nullptr);
                for (int i = 0; i < 5; ++i)
                    first.write(eventsBatch(500, t0 + i), t0);
            }
            // Fold the WAL into the file, then spoil pages in its middle.
            rows(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            QFile f(db);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 20000);
            f.seek(f.size() / 2);
            f.write(QByteArray(8192, char(0x5A)));
        }
        Said said;
        HistoryWriter writer(dir.path(), WriterLimits(), said.sink());
        writer.write(eventsBatch(3, t0 + 100000), t0 + 100000);
        QCOMPARE(said.texts.size(), 1);
        QVERIFY2(said.texts[0].contains(QStringLiteral("damaged")), qPrintable(said.texts[0]));
        const QStringList aside =
            QDir(dir.path()).entryList({QStringLiteral("history.sqlite.damaged-*")}, QDir::Files);
        QCOMPARE(aside.filter(QRegularExpression(QStringLiteral("damaged-\\d{8}-\\d{6}$"))).size(),
                 1);
        QCOMPARE(count(db, QStringLiteral("events")), 3);
    }

    void aLockHeldByAnotherProgramDelaysRowsButLosesNone() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        WriterLimits limits;
        limits.busyTimeoutMs = 100;
        Said said;
        HistoryWriter writer(dir.path(), limits, said.sink());
        writer.write(eventsBatch(1, t0), t0);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                           QStringLiteral("other-program"));
            other.setDatabaseName(db);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
            QVERIFY(q.exec(QStringLiteral(
                "INSERT INTO events(at, category, name) VALUES(1, 'link', 'opened')")));
            writer.write(eventsBatch(10, t0 + 1000), t0 + 1000);
            QCOMPARE(writer.heldRows(), size_t(10));
            QVERIFY(q.exec(QStringLiteral("COMMIT")));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
        writer.write(Batch(), t0 + 2000);
        QCOMPARE(writer.heldRows(), size_t(0));
        QCOMPARE(count(db, QStringLiteral("events")), 12);
        QVERIFY2(said.texts.isEmpty(), qPrintable(said.texts.join('\n')));
    }

    void twoWritersOnOneDatabaseKeepEveryRow() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        const auto program = [&dir](const QString &name) {
            HistoryWriter writer(dir.path(), WriterLimits(), nullptr);
            for (int i = 0; i < 40; ++i)
                writer.write(eventsBatch(25, t0 + i, name), t0 + i);
            writer.write(Batch(), t0 + 100000); // anything held for a lock
        };
        QThread *other = QThread::create([&] { program(QStringLiteral("b")); });
        other->start();
        program(QStringLiteral("a"));
        other->wait();
        delete other;
        QCOMPARE(count(db, QStringLiteral("events")), 2 * 40 * 25);
    }

    void samplesOlderThanNinetyDaysAreDeletedAndEventsKept() {
        QTemporaryDir dir;
        HistoryWriter writer(dir.path(), WriterLimits(), nullptr);
        const qint64 day = 24 * 3600 * 1000;
        Batch b = eventsBatch(1, t0 - 200 * day);
        for (const qint64 age : {91 * day, 90 * day + 1000, 89 * day, 0LL}) {
            Sample s;
            s.at = t0 - age;
            s.waterIn = s.waterOut = s.dewPoint = 20.0;
            b.samples.push_back(s);
        }
        writer.write(std::move(b), t0);
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(count(db, QStringLiteral("samples")), 2);
        QCOMPARE(count(db, QStringLiteral("events")), 1);
    }

    // The wall clock ten years ahead for a while, the program started again meanwhile, and
    // back: retention measures ages by the rows' own time, so nothing they keep is deleted;
    // each jump is said and written as a row.
    void aClockTenYearsAheadAndBackDeletesNothingTheRowsKeep() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        const qint64 day = 24 * 3600 * 1000, ahead = t0 + 3653 * day;
        qint64 steady = 0; // an hour a write: retention passes again at every write
        const auto run = [&](Said &said) {
            auto writer = std::make_unique<HistoryWriter>(dir.path(), WriterLimits(), said.sink());
            writer->setSteadyClock([&steady] { return steady; });
            return writer;
        };
        const auto write = [&](HistoryWriter &writer, Batch b, qint64 now) {
            steady += 3600 * 1000;
            writer.write(std::move(b), now);
        };
        const auto samplesAt = [](std::initializer_list<qint64> times) {
            Batch b;
            for (const qint64 at : times)
                b.samples.push_back({at, 20.0, 21.0, 12.0});
            return b;
        };
        Said first, second;
        {
            auto writer = run(first);
            Batch b = samplesAt({t0 - 91 * day, t0 - 89 * day, t0});
            b.events = {makeEvent(t0 - 399 * day, QStringLiteral("old")),
                        makeEvent(t0 - 401 * day, QStringLiteral("older"))};
            write(*writer, std::move(b), t0);
            for (const qint64 at : {ahead, ahead + 3600 * 1000})
                write(*writer, samplesAt({at}), at);
        }
        {
            auto writer = run(second);
            write(*writer, samplesAt({ahead + 2 * 3600 * 1000}), ahead + 2 * 3600 * 1000);
            write(*writer, samplesAt({t0 + 3600 * 1000}), t0 + 3600 * 1000);
        }
        // Only what was past its keeping by the rows' own time went, at the first pass.
        QCOMPARE(count(db, QStringLiteral("samples")), 2 + 3 + 1);
        QCOMPARE(rows(db, QStringLiteral("SELECT name FROM events WHERE category = 'alarm'")),
                 QList<QVariantList>({{QStringLiteral("old")}}));
        QCOMPARE(rows(db, QStringLiteral(
                              "SELECT value FROM events WHERE category = 'clock' ORDER BY rowid")),
                 QList<QVariantList>({{QStringLiteral("forward")}, {QStringLiteral("back")}}));
        QCOMPARE(first.texts.size(), 1);
        QVERIFY2(first.texts[0].startsWith(QStringLiteral("history: the wall clock jumped 3652 "
                                                          "days 23 hours forward")),
                 qPrintable(first.texts.join('\n')));
        QCOMPARE(second.texts.size(), 1);
        QVERIFY2(second.texts[0].contains(QStringLiteral(" back (")), qPrintable(second.texts[0]));
    }

    // The clock set ahead (a wrong month typed by hand, or ten years), the program run a little
    // and started again within the day with the clock still ahead: the second start doubts it
    // as the first did; once the rows after the pause span a day, it is believed.
    void aStartAgainWithTheClockStillAheadDoubtsItUntilItHasHeldForADay_data() {
        fixture::columns<qint64, int>("daysAhead", "keptAfterADay");
        // Ten years ahead, even the newest sample of before is past its keeping then.
        QTest::newRow("75 days") << qint64(75) << 4;
        QTest::newRow("ten years") << qint64(3653) << 3;
    }
    void aStartAgainWithTheClockStillAheadDoubtsItUntilItHasHeldForADay() {
        QFETCH(qint64, daysAhead);
        QFETCH(int, keptAfterADay);
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        const qint64 hour = 3600 * 1000, day = 24 * hour, ahead = t0 + daysAhead * day;
        qint64 steady = 0;
        const auto writeAt = [&](HistoryWriter &writer, qint64 now) {
            steady += hour;
            Batch b;
            b.samples.push_back({now, 20.0, 21.0, 12.0});
            writer.write(std::move(b), now);
        };
        for (const qint64 at : {t0 - 89 * day, t0 - 30 * day, t0}) {
            HistoryWriter writer(dir.path(), WriterLimits(), nullptr);
            writer.setSteadyClock([&steady] { return steady; });
            writeAt(writer, at);
        }
        for (const qint64 start : {ahead, ahead + hour}) {
            HistoryWriter writer(dir.path(), WriterLimits(), nullptr);
            writer.setSteadyClock([&steady] { return steady; });
            writeAt(writer, start);
            QCOMPARE(count(db, QStringLiteral("samples")), start == ahead ? 4 : 5);
            if (start == ahead)
                continue;
            steady += day;
            writeAt(writer, start + day + hour);
        }
        // Believed after a day.
        QCOMPARE(count(db, QStringLiteral("samples")), keptAfterADay);
    }

    // A second jump forward while the first is still doubted: the new time is believed only
    // once it has itself held for a day, not a day after the first jump.
    void aJumpOnAJumpIsBelievedOnlyOnceTheNewTimeHasHeld() {
        const qint64 hour = 3600 * 1000, day = 24 * hour, year = 365 * day;
        history::RetentionClock clock(day);
        clock.start(t0, 0, t0);
        QVERIFY(clock.observe(t0 + year, hour));
        QVERIFY(clock.observe(t0 + 2 * year, 23 * hour));
        QVERIFY(!clock.observe(t0 + 2 * year + 2 * hour, 25 * hour));
        QVERIFY(clock.doubting());
        QCOMPARE(clock.reference(t0 + 2 * year + 2 * hour, 25 * hour), t0 + 25 * hour);
        QVERIFY(!clock.observe(t0 + 2 * year + day, 47 * hour));
        QVERIFY(!clock.doubting());
    }

    // A run that ended with its port open (killed, crashed, the power gone) is written as what
    // it was at the next start, at its own newest row, before the rows of the new run, and once;
    // not while it still runs beside another. Two programs in one folder: each run by itself.
    void aRunThatEndedWithItsPortOpenIsMarkedUnlessItStillRuns_data() {
        fixture::columns<QString, QString, QStringList>("first", "second", "marked");
        const auto row = [](const char *name, const char *first, const char *second,
                            const QStringList &marked) {
            QTest::newRow(name) << QString(first) << QString(second) << marked;
        };
        row("one program", "killed", "no port", {"ttyUSB0 at 20"});
        row("the first killed, the second runs on", "killed", "runs on", {"ttyUSB0 at 20"});
        row("the second killed, the first runs on", "runs on", "killed", {"ttyUSB1 at 45"});
        row("the first killed, the second closed later", "killed", "closed", {"ttyUSB0 at 20"});
        row("both killed", "killed", "killed", {"ttyUSB0 at 20", "ttyUSB1 at 45"});
    }
    void aRunThatEndedWithItsPortOpenIsMarkedUnlessItStillRuns() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, marked);
        QTemporaryDir dir;
        const auto port = [](qint64 at, int n, bool open) {
            Batch b;
            const QString name = QStringLiteral("ttyUSB%1").arg(n);
            b.events.push_back({at, QStringLiteral("link"), open ? "opened" : "closed", QString(),
                                open ? name + " (adapter)" : name});
            history::CaptureItem item{history::CaptureItem::Stop, {at, false, {}}, name, 0};
            item.kind = open ? history::CaptureItem::Start : item.kind;
            b.capture.push_back(item);
            return b;
        };
        std::unique_ptr<HistoryWriter> programs[2];
        for (int i = 0; i < 2; ++i) { // the second started later, and wrote later
            programs[i] = std::make_unique<HistoryWriter>(dir.path(), WriterLimits(), nullptr);
            Batch b = i == 1 && second == "no port" ? Batch() : port(t0 + 15 * i, i, true);
            b.samples.push_back({t0 + 20 + 25 * i, 20.0, 21.0, 12.0});
            programs[i]->write(std::move(b), t0 + 20);
        }
        for (int i = 0; i < 2; ++i) {
            if ((i == 0 ? first : second) == "closed")
                programs[i]->write(port(t0 + 60, i, false), t0 + 60);
            if ((i == 0 ? first : second) != "runs on")
                programs[i].reset(); // killed: no closed row, its capture's lock let go
        }
        HistoryWriter next(dir.path(), WriterLimits(), nullptr);
        next.write(port(t0 + 100000, 2, true), t0 + 100000);
        HistoryWriter(dir.path(), WriterLimits(), nullptr).write(Batch(), t0 + 200000);
        QStringList found;
        for (const QVariantList &r : rows(dir.filePath(QStringLiteral("history.sqlite")),
                                          QStringLiteral("SELECT detail || ' at ' || (at - %1) "
                                                         "FROM events WHERE name = "
                                                         "'ended_unexpectedly' OR at > %1 + 60 "
                                                         "ORDER BY rowid")
                                              .arg(t0)))
            found << r[0].toString();
        QCOMPARE(found, marked << "ttyUSB2 (adapter) at 100000");
    }

    // A killed run's alarm rows are read back from its first opening of the port, not its last.
    void aKilledRunsAlarmRowsAreReadFromItsFirstOpening() {
        QTemporaryDir dir;
        // After the run's start, which the writer takes from the wall clock.
        const qint64 t = QDateTime::currentMSecsSinceEpoch() + 60000;
        const auto row = [t](qint64 at, const char *category, const char *name, const char *value) {
            return Event{t + at, category, name, value, category[0] == 'l' ? "ttyUSB0" : ""};
        };
        Batch b;
        b.events = {row(0, "link", "opened", ""), row(10, "alarm", "A", "on"),
                    row(20, "link", "closed", ""), row(30, "link", "opened", ""),
                    row(40, "alarm", "B", "on")};
        HistoryWriter(dir.path(), WriterLimits(), nullptr).write(std::move(b), t + 40);
        HistoryWriter(dir.path(), WriterLimits(), nullptr).write(Batch(), t + 100000);
        QStringList read;
        qint64 endedAt = 0;
        QString error;
        QVERIFY(history::readEndedRunRows(
            dir.filePath("history.sqlite"), [&read](const Event &e) { read << e.name; }, &endedAt,
            &error));
        QCOMPARE(read, QStringList({"A", "B"}));
        QCOMPARE(endedAt, t + 40);
    }

    // Retention deletes in slices of bounded time, rows are written between them, and a stop
    // asked for ends them at once.
    void retentionDeletesInSlicesWithRowsWrittenBetween() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        WriterLimits limits;
        limits.retentionSliceMs = 1;
        limits.retentionBudgetMs = 1;
        HistoryWriter writer(dir.path(), limits, nullptr);
        bool stop = false;
        writer.setStopAsked([&stop] { return stop; });
        Batch b;
        for (int i = 0; i < 30000; ++i)
            b.samples.push_back(
                {t0 - limits.sampleKeepMs - 100000000 + i * 1000, 20.0, 21.0, 12.0});
        b.samples.push_back({t0, 20.0, 21.0, 12.0});
        writer.write(std::move(b), t0);
        QVERIFY(writer.isRetaining());
        writer.write(eventsBatch(1, t0 + 1000), t0 + 1000);
        QCOMPARE(count(db, QStringLiteral("events")), 1);
        stop = true;
        const quint64 slices = writer.retentionFigures().slices;
        writer.write(Batch(), t0 + 2000);
        QCOMPARE(writer.retentionFigures().slices, slices);
        stop = false;
        for (int i = 0; i < 10000 && writer.isRetaining(); ++i)
            writer.write(Batch(), t0 + 3000 + i);
        QCOMPARE(count(db, QStringLiteral("samples")), 1);
        QVERIFY(writer.retentionFigures().slices > 2);
        QCOMPARE(writer.retentionFigures().deletedRows, quint64(30000));
    }

    void anUnwritableLogFolderIsSaidOnceAndTheRecorderGoesOn() {
        QTemporaryDir dir;
        // A file where the folder should be: nothing can be made inside it, even as root.
        QFile blocker(dir.filePath(QStringLiteral("log")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        history::RecorderOptions options;
        options.logDir = dir.filePath(QStringLiteral("log"));
        history::Recorder recorder(nullptr, options);
        QStringList troubles;
        connect(&recorder, &history::Recorder::trouble,
                [&troubles](const QString &t) { troubles << t; });
        for (int i = 0; i < 3; ++i) {
            recorder.portOpened(QStringLiteral("ttyUSB0"), QString());
            recorder.bytesReceived(QByteArray("abc"));
            recorder.portClosed(QStringLiteral("ttyUSB0"));
            recorder.flushNow();
        }
        QVERIFY(waitUntil([&] { return troubles.size() >= 2; }));
        QCoreApplication::processEvents();
        QCOMPARE(troubles.size(), 2); // the capture and the database, once each
        QVERIFY(!recorder.lastTrouble().isEmpty());
    }

    void aNormalExitWritesWhatIsQueued() {
        QTemporaryDir dir;
        {
            history::RecorderOptions options;
            options.logDir = dir.filePath(QStringLiteral("log"));
            history::Recorder recorder(nullptr, options);
            recorder.portOpened(QStringLiteral("ttyUSB0"), QString());
            recorder.portOpenFailed(QStringLiteral("ttyUSB1"), QStringLiteral("busy"));
        }
        QCOMPARE(
            count(dir.filePath(QStringLiteral("log/history.sqlite")), QStringLiteral("events")), 2);
    }
};

QTEST_GUILESS_MAIN(WriterTest)
#include "writer_test.moc"
