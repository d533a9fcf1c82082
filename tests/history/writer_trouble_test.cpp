// What the history says about its own trouble and what it keeps through it: a lock another
// program holds for long, rows beyond the bound, the last write at exit, the queue's refusals,
// the retention of events, and a disk that fills, is freed and fills again.

#include "history/recorder.h"
#include "history/writer.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/small_disk.h"
#include "support/wait.h"

#include <QAtomicInt>
#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <sys/mount.h>

using namespace fixture;
using history::Batch;
using history::HistoryWriter;
using history::WriterLimits;

namespace {

const qint64 t0 = 1796000000000;

Batch rowsAt(int count, qint64 at, const QString &prefix = QStringLiteral("e")) {
    Batch b;
    for (int i = 0; i < count; ++i)
        b.events.push_back({at + i, QStringLiteral("alarm"), prefix + QString::number(i),
                            QStringLiteral("on"), QString()});
    return b;
}

int count(const QString &db, const QString &sql) {
    return rows(db, sql).value(0).value(0).toInt();
}

// What the writer says, as the lines it writes to standard error.
std::function<void(const QString &)> into(QStringList &said) {
    return [&said](const QString &t) { said << t; };
}

// Another program holding the write lock of `db` on a thread of its own for `holdMs`.
class OtherProgram {
public:
    OtherProgram(const QString &db, int holdMs)
        : thread(QThread::create([this, db, holdMs] {
              {
                  QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                             QStringLiteral("other-program"));
                  c.setDatabaseName(db);
                  QSqlQuery q(c);
                  const bool held = c.open() && q.exec(QStringLiteral("BEGIN IMMEDIATE"));
                  locked = held ? 1 : -1;
                  QThread::msleep(held ? quint32(holdMs) : 0);
                  q.exec(QStringLiteral("COMMIT"));
              }
              QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
          })) {
        thread->start();
        while (locked.loadAcquire() == 0)
            QThread::msleep(1);
    }
    ~OtherProgram() { thread->wait(); }
    bool holds() const { return locked.loadAcquire() == 1; }

private:
    QAtomicInt locked = 0;
    std::unique_ptr<QThread> thread;
};

QStringList &warnings() {
    static QStringList lines;
    return lines;
}

history::CaptureItem captureItem(history::CaptureItem::Kind kind, qint64 at, int size = 0) {
    history::CaptureItem item;
    item.kind = kind;
    item.chunk.at = at;
    item.chunk.bytes = QByteArray(size, char(0x80 + at % 100));
    item.port = QStringLiteral("ttyUSB0");
    if (kind == history::CaptureItem::Lost)
        item.lost = quint64(size); // bytes the queue refused
    return item;
}

// The bytes of every capture line in `dir` plus those its remarks say were lost; -1 when a
// line does not end with its newline.
qint64 capturedAndLost(const QString &dir) {
    qint64 total = 0;
    const QRegularExpression lostRemark(QStringLiteral("^# (\\d+) bytes lost"));
    for (const QString &name : QDir(dir).entryList({QStringLiteral("capture-*.txt")})) {
        QFile f(QDir(dir).filePath(name));
        f.open(QIODevice::ReadOnly);
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            history::CaptureChunk c;
            if (!line.endsWith('\n'))
                return -1;
            if (history::parseCaptureLine(line, &c))
                total += c.bytes.size();
            total += lostRemark.match(QString::fromLatin1(line)).captured(1).toLongLong();
        }
    }
    return total;
}

} // namespace

class WriterTroubleTest : public QObject {
    Q_OBJECT

private slots:
    void aLongLockIsSaidWithItsWaitingRowsAndRowsBeyondTheBoundAreCounted() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        WriterLimits limits;
        limits.busyTimeoutMs = 100;
        limits.maxHeldRows = 10;
        QStringList said;
        HistoryWriter writer(dir.path(), limits, into(said));
        writer.write(rowsAt(1, t0), t0);
        {
            OtherProgram other(db, 3000);
            QVERIFY(other.holds());
            // The batches' clock, not the test's, measures the lock.
            writer.write(rowsAt(6, t0 + 1000, QStringLiteral("a")), t0 + 1000);
            writer.write(rowsAt(2, t0 + 5000, QStringLiteral("b")), t0 + 5000);
            QCOMPARE(said, QStringList());
            writer.write(rowsAt(7, t0 + 6000, QStringLiteral("c")), t0 + 6000);
            writer.write(Batch(), t0 + 7000);
        }
        writer.write(Batch(), t0 + 8000);
        QCOMPARE(said,
                 QStringList({"history: the database is locked by another program, 15 rows waiting",
                              "history: more rows waiting than are kept, the 5 oldest given up",
                              "history: recovered: the database lock is free, 10 waiting rows "
                              "written",
                              "history: recovered: rows are written again, 5 rows were given up"}));
        // The newest ten: b0, b1 and c0 to c6, and a5 before them.
        QCOMPARE(count(db, QStringLiteral("SELECT count(*) FROM events")), 11);
        QCOMPARE(count(db, QStringLiteral("SELECT count(*) FROM events WHERE name = 'a5'")), 1);
    }

    void theLastWriteTriesALockForFiveSecondsThenSaysWhatItCouldNotWrite_data() {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<int>("written");
        QTest::newRow("lock freed after 1.5 s") << 1500 << 6;
        QTest::newRow("lock held for 7 s") << 7000 << 1;
    }
    void theLastWriteTriesALockForFiveSecondsThenSaysWhatItCouldNotWrite() {
        QFETCH(int, holdMs);
        QFETCH(int, written);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log"));
        warnings().clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &t) { warnings() << t; });
        {
            history::RecorderOptions options;
            options.logDir = log;
            history::Recorder recorder(nullptr, options);
            recorder.portOpenFailed(QStringLiteral("ttyUSB0"), QStringLiteral("busy"));
            recorder.flushNow();
            OtherProgram other(log + QStringLiteral("/history.sqlite"), holdMs);
            for (int i = 0; i < 5; ++i)
                recorder.portOpenFailed(QStringLiteral("ttyUSB1"), QStringLiteral("busy"));
            QElapsedTimer ending;
            ending.start();
            recorder.finish();
            QVERIFY2(ending.elapsed() < 7000, qPrintable(QString::number(ending.elapsed())));
            QVERIFY(written == 6 || ending.elapsed() >= 4500);
        }
        qInstallMessageHandler(previous);
        QCOMPARE(count(log + QStringLiteral("/history.sqlite"),
                       QStringLiteral("SELECT count(*) FROM events")),
                 written);
        const QStringList atExit = warnings().filter(QStringLiteral("at exit"));
        QCOMPARE(atExit.size(), written == 6 ? 0 : 1);
        if (written < 6)
            QVERIFY2(atExit[0].startsWith("history: 5 rows could not be written at exit, ") &&
                         atExit[0].contains(QStringLiteral("locked")),
                     qPrintable(atExit[0]));
    }

    void onlyRowsTheQueueTookAreAnnounced() {
        QTemporaryDir dir;
        history::RecorderOptions options;
        options.logDir = dir.path();
        options.limits.maxQueuedRows = 3;
        int announced = 0;
        {
            history::Recorder recorder(nullptr, options);
            QSignalSpy spy(&recorder, &history::Recorder::eventRecorded);
            for (int i = 0; i < 50; ++i)
                recorder.portOpenFailed(QStringLiteral("ttyUSB0"), QStringLiteral("busy"));
            announced = spy.count();
        }
        QVERIFY(announced < 50);
        QCOMPARE(count(dir.filePath(QStringLiteral("history.sqlite")),
                       QStringLiteral("SELECT count(*) FROM events")),
                 announced);
    }

    // Busy while the database is opened (another program makes its tables): said like a lock
    // found by a write, and the rows follow when it is free.
    void aLockFoundWhileOpeningIsSaidAndTheRowsFollow() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        WriterLimits limits;
        limits.busyTimeoutMs = 100;
        limits.retryMs = 1000;
        QStringList said;
        HistoryWriter writer(dir.path(), limits, into(said));
        {
            OtherProgram other(db, 3000);
            QVERIFY(other.holds());
            for (qint64 at = t0; at <= t0 + 6000; at += 1000)
                writer.write(rowsAt(1, at, QString::number(at)), at);
        }
        writer.write(Batch(), t0 + 7000);
        QCOMPARE(said,
                 QStringList({"history: the database is locked by another program, 5 rows waiting",
                              "history: recovered: the database lock is free, 7 waiting rows "
                              "written"}));
        QCOMPARE(count(db, QStringLiteral("SELECT count(*) FROM events")), 7);
    }

    // A write finds the database damaged, and the file cannot be set aside (its name a mount
    // point, as root; a folder without write permission otherwise): the program goes on, says
    // so once, keeps the rows, and starts a fresh database with them once it can.
    void aDamagedDatabaseThatCannotBeSetAsideIsSaidAndItsRowsWait() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        QStringList said;
        const WriterLimits limits;
        HistoryWriter writer(dir.path(), limits, into(said));
        for (int i = 0; i < 4; ++i)
            writer.write(rowsAt(300, t0 + i * 1000, QString::number(i)), t0 + i * 1000);
        // Every page but the first spoilt under the writer's open connection.
        rows(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        {
            QFile f(db);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.size() > 8192 && f.seek(4096));
            QVERIFY(f.write(QByteArray(int(f.size()) - 4096, char(0x5A))) > 0);
        }
        const QByteArray path = QFile::encodeName(db);
        const bool mounted =
            ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (!mounted)
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        qint64 now = t0 + 10000;
        for (int i = 0; i < 3; ++i, now += limits.retryMs)
            writer.write(rowsAt(2, now, QStringLiteral("held")), now);
        QCOMPARE(writer.heldRows(), size_t(6));
        QCOMPARE(said.filter(QStringLiteral("is damaged and cannot be renamed")).size(), 1);
        if (mounted)
            QCOMPARE(::umount2(path.constData(), MNT_DETACH), 0);
        else
            QVERIFY(QFile::setPermissions(dir.path(),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // A damaged file is tried again a minute later: each try checks the whole file.
        writer.write(Batch(), now);
        QCOMPARE(writer.heldRows(), size_t(6));
        writer.write(Batch(), t0 + 10000 + 20 * limits.retryMs);
        QCOMPARE(writer.heldRows(), size_t(0));
        QCOMPARE(said.filter(QStringLiteral("the database was damaged; kept as history.sqlite."
                                            "damaged-"))
                     .size(),
                 1);
        QCOMPARE(
            said.filter(QStringLiteral("recovered: events recorded again, 6 waiting rows")).size(),
            1);
        QCOMPARE(count(db, QStringLiteral("SELECT count(*) FROM events")), 6);
    }

    // A later program's history: said, left byte for byte, and no lock waited for at the end.
    void aDatabaseOfALaterVersionIsSaidAndLeftAsItIs_data() {
        QTest::addColumn<int>("later");
        QTest::addColumn<QString>("says");
        const int above = history::EventStore::schemaVersion + 1;
        QTest::newRow("one above ours")
            << above << QStringLiteral("of a later version (%1)").arg(above);
        // The pragma holds any 32-bit number; no layout of ours is below 0.
        QTest::newRow("below 0") << -1 << QStringLiteral("of an unknown version (-1;");
    }
    void aDatabaseOfALaterVersionIsSaidAndLeftAsItIs() {
        QFETCH(int, later);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        QVERIFY(QFile(db).open(QIODevice::WriteOnly));
        rows(db, QStringLiteral("PRAGMA user_version = %1").arg(later));
        const auto bytes = [&] {
            QFile f(db);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        QStringList said;
        QElapsedTimer clock;
        {
            HistoryWriter writer(dir.path(), WriterLimits(), into(said));
            writer.write(rowsAt(2, t0), t0);
            clock.start();
            writer.finish(rowsAt(1, t0 + 1000));
        }
        QVERIFY(clock.elapsed() < WriterLimits().finalFlushMs);
        // As it began, and at the end with the 3 rows it could not keep.
        QCOMPARE(said.filter(says).size(), 2);
        QCOMPARE(bytes(), before);
    }

    void eventsAreKeptFourHundredDays() {
        QTemporaryDir dir;
        HistoryWriter writer(dir.path(), WriterLimits(), nullptr);
        const qint64 day = 24 * 3600 * 1000;
        Batch b = rowsAt(1, t0 - 401 * day, QStringLiteral("gone"));
        b.events.push_back(rowsAt(1, t0 - 399 * day, QStringLiteral("kept")).events[0]);
        writer.write(std::move(b), t0);
        QCOMPARE(rows(dir.filePath(QStringLiteral("history.sqlite")),
                      QStringLiteral("SELECT name FROM events")),
                 QList<QVariantList>({{QStringLiteral("kept0")}}));
    }

    void everyEpisodeOfAFullDiskIsSaidAndTheRunsEndWaitsForNoPause() {
        SmallDisk disk;
        if (!disk.isTmpfs())
            qInfo("no mount namespace here: a file-size limit stands in for the full disk");
        const QString log = disk.path() + QStringLiteral("/log");
        QStringList said;
        int sentRows = 0;
        qint64 sentBytes = 0;
        {
            HistoryWriter writer(log, WriterLimits(), into(said));
            qint64 now = t0;
            const auto second = [&] {
                Batch b = rowsAt(3, now, QString::number(now));
                if (now == t0)
                    b.capture.push_back(captureItem(history::CaptureItem::Start, now));
                b.capture.push_back(captureItem(history::CaptureItem::Chunk, now, 1500));
                b.capture.push_back(captureItem(history::CaptureItem::Lost, now, 100));
                sentRows += 3;
                sentBytes += 1500 + 100;
                writer.write(std::move(b), now);
                now += 1000;
            };
            for (int episode = 0; episode < 2; ++episode) {
                second();
                disk.fill();
                for (int i = 0; i < 4; ++i)
                    second();
                QVERIFY(writer.heldRows() > 0);
                disk.free();
                // Written again within the few seconds of the next try.
                for (int i = 0; i < 4; ++i)
                    second();
                QCOMPARE(writer.heldRows(), size_t(0));
            }
            // Full once more, freed, and the run ends at once: within the pause before the next
            // try, yet everything held is written.
            disk.fill();
            second();
            disk.free();
            writer.finish(Batch());
        }
        for (const char *text :
             {"history: capture stopped, ", "history: events not recorded, ",
              "history: recovered: capture goes on in ", "history: recovered: events recorded"})
            QVERIFY2(said.filter(QLatin1String(text)).size() >= 2, qPrintable(said.join('\n')));
        // The system's own words.
        QVERIFY(said.filter(disk.fullReason()).size() >= 2);
        // Nothing lost but what is counted: in the files, or at the end.
        QCOMPARE(count(log + QStringLiteral("/history.sqlite"),
                       QStringLiteral("SELECT count(*) FROM events")),
                 sentRows);
        const QStringList atExit =
            said.filter(QStringLiteral("captured bytes could not be written"));
        QCOMPARE(atExit.size(), 1);
        QCOMPARE(capturedAndLost(log) + atExit[0].section(QLatin1Char(' '), 1, 1).toLongLong(),
                 sentBytes);
    }
};

int main(int argc, char **argv) {
    // Before any thread: the small disks are mounts of this process alone.
    SmallDisk::enterPrivateMounts();
    QCoreApplication app(argc, argv);
    WriterTroubleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "writer_trouble_test.moc"
