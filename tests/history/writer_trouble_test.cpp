// What the history says about its own trouble, and what it keeps through it: a lock another
// program holds for long, rows beyond the bound, the queue's two kinds of loss, the last write
// at exit, the retention of events, and a disk that fills, is freed and fills again.

#include "history/recorder.h"
#include "history/writer.h"
#include "history_fixture.h"
#include "support/small_disk.h"

#include <QAtomicInt>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using namespace historyfixture;
using history::Batch;
using history::HistoryWriter;
using history::WriterLimits;

namespace {

const qint64 t0 = 1796000000000;
const qint64 day = 24 * 3600 * 1000;

history::Event alarmRow(qint64 at, const QString &name) {
    history::Event e;
    e.at = at;
    e.category = QStringLiteral("alarm");
    e.name = name;
    e.value = QStringLiteral("on");
    return e;
}

Batch rowsAt(int count, qint64 at, const QString &prefix = QStringLiteral("e")) {
    Batch b;
    for (int i = 0; i < count; ++i)
        b.events.push_back(alarmRow(at + i, prefix + QString::number(i)));
    return b;
}

int count(const QString &db, const QString &table) {
    return rows(db, QStringLiteral("SELECT count(*) FROM ") + table).value(0).value(0).toInt();
}

// What the writer says, as the lines it writes to standard error.
struct Said {
    QStringList texts;
    std::function<void(const QString &)> sink() {
        return [this](const QString &t) { texts << t; };
    }
    int matching(const QString &part) const { return texts.filter(part).size(); }
};

// Another program holding the write lock of `db` on a thread of its own, for `holdMs`.
class OtherProgram {
public:
    OtherProgram(const QString &db, int holdMs) {
        thread.reset(QThread::create([this, db, holdMs] {
            {
                QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                           QStringLiteral("other-program"));
                c.setDatabaseName(db);
                QSqlQuery q(c);
                if (c.open() && q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                    locked = 1;
                    QThread::msleep(quint32(holdMs));
                    q.exec(QStringLiteral("COMMIT"));
                } else {
                    locked = -1;
                }
                c.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
        }));
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

// Collects warnings (the history's lines on standard error) while it lives.
class StandardError {
public:
    StandardError() {
        seen().clear();
        previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &, const QString &text) {
                if (type == QtWarningMsg)
                    seen() << text;
            });
    }
    ~StandardError() { qInstallMessageHandler(previous); }
    static QStringList &seen() {
        static QStringList lines;
        return lines;
    }

private:
    QtMessageHandler previous;
};

// One capture chunk of `size` bytes, each round different.
history::CaptureItem chunk(qint64 at, int size, int round) {
    history::CaptureItem item;
    item.chunk.at = at;
    item.chunk.bytes = QByteArray(size, char(0x80 + round % 100));
    return item;
}

history::CaptureItem start(qint64 at) {
    history::CaptureItem item;
    item.kind = history::CaptureItem::Start;
    item.chunk.at = at;
    item.port = QStringLiteral("ttyUSB0");
    return item;
}

// The bytes of every capture line in `dir`, the bytes its remarks say were lost, and whether
// every line ended with its newline.
struct CaptureTotals {
    qint64 captured = 0;
    qint64 lost = 0;
    bool whole = true;
};
CaptureTotals captureTotals(const QString &dir) {
    CaptureTotals t;
    const QRegularExpression lostRemark(QStringLiteral("^# (\\d+) bytes lost"));
    for (const QString &name :
         QDir(dir).entryList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name)) {
        QFile f(QDir(dir).filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            t.whole = t.whole && line.endsWith('\n');
            history::CaptureChunk c;
            if (history::parseCaptureLine(line, &c))
                t.captured += c.bytes.size();
            const QRegularExpressionMatch m = lostRemark.match(QString::fromLatin1(line));
            if (m.hasMatch())
                t.lost += m.captured(1).toLongLong();
        }
    }
    return t;
}

} // namespace

class WriterTroubleTest : public QObject {
    Q_OBJECT

private slots:
    void aLockHeldLongerThanFiveSecondsIsSaidOnceAndAgainWhenItsRowsAreWritten() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        WriterLimits limits;
        limits.busyTimeoutMs = 100;
        Said said;
        HistoryWriter writer(dir.path(), limits, said.sink());
        writer.write(rowsAt(1, t0), t0);
        {
            OtherProgram other(db, 3000);
            QVERIFY(other.holds());
            // The clock of the batches, not the time the test takes, measures the lock.
            writer.write(rowsAt(3, t0 + 1000, QStringLiteral("a")), t0 + 1000);
            writer.write(Batch(), t0 + 3000);
            writer.write(rowsAt(2, t0 + 5000, QStringLiteral("b")), t0 + 5000);
            QVERIFY2(said.texts.isEmpty(), qPrintable(said.texts.join('\n')));
            writer.write(Batch(), t0 + 6000);
            writer.write(Batch(), t0 + 7000);
            QCOMPARE(said.texts,
                     QStringList{QStringLiteral("history: the database is locked by another "
                                                "program, 5 rows waiting")});
        }
        writer.write(Batch(), t0 + 8000);
        QCOMPARE(said.texts.size(), 2);
        QCOMPARE(said.texts[1],
                 QStringLiteral("history: recovered: the database lock is free, 5 waiting rows "
                                "written"));
        QCOMPARE(count(db, QStringLiteral("events")), 6);
    }

    void rowsBeyondTheBoundAreGivenUpOldestFirstCountedAndSaid() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        WriterLimits limits;
        limits.busyTimeoutMs = 50;
        limits.maxHeldRows = 10;
        Said said;
        HistoryWriter writer(dir.path(), limits, said.sink());
        writer.write(rowsAt(1, t0), t0);
        {
            OtherProgram other(db, 800);
            QVERIFY(other.holds());
            writer.write(rowsAt(25, t0 + 1000, QStringLiteral("r")), t0 + 1000);
            writer.write(rowsAt(5, t0 + 2000, QStringLiteral("s")), t0 + 2000);
        }
        QCOMPARE(said.matching(QStringLiteral("the 15 oldest given up")), 1);
        writer.write(Batch(), t0 + 3000);
        QCOMPARE(said.matching(QStringLiteral("recovered: rows are written again, 20 rows were "
                                              "given up")),
                 1);
        // The newest ten: r20 to r24 and s0 to s4.
        const QList<QVariantList> names =
            rows(db, QStringLiteral("SELECT name FROM events WHERE at > %1 ORDER BY at").arg(t0));
        QCOMPARE(names.size(), 10);
        QCOMPARE(names.first().value(0).toString(), QStringLiteral("r20"));
        QCOMPARE(names.last().value(0).toString(), QStringLiteral("s4"));
    }

    void refusedRowsAndRefusedCaptureBytesAreSaidApartAndTheirEndToo() {
        QTemporaryDir dir;
        Said said;
        HistoryWriter writer(dir.path(), WriterLimits(), said.sink());
        Batch rowsLost = rowsAt(1, t0);
        rowsLost.droppedRows = 4;
        rowsLost.capture.push_back(start(t0));
        writer.write(std::move(rowsLost), t0);
        Batch bytesLost;
        bytesLost.droppedRows = 2;
        bytesLost.droppedBytes = 80;
        writer.write(std::move(bytesLost), t0 + 1000);
        writer.write(Batch(), t0 + 2000);
        QCOMPARE(said.texts,
                 QStringList({QStringLiteral("history: the queue was full, 4 rows were not "
                                             "recorded"),
                              QStringLiteral("history: the queue was full, 80 captured bytes "
                                             "were not recorded"),
                              QStringLiteral("history: recovered: the queue takes rows again, 6 "
                                             "rows were not recorded"),
                              QStringLiteral("history: recovered: the queue takes capture bytes "
                                             "again, 80 bytes were not recorded")}));
    }

    void onlyRowsTheQueueTookAreAnnounced() {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log"));
        int announced = 0;
        {
            history::RecorderOptions options;
            options.logDir = log;
            options.limits.maxQueuedRows = 3;
            history::Recorder recorder(nullptr, options);
            QSignalSpy spy(&recorder, &history::Recorder::eventRecorded);
            for (int i = 0; i < 50; ++i)
                recorder.portOpenFailed(QStringLiteral("ttyUSB%1").arg(i), QStringLiteral("busy"));
            announced = spy.count();
        }
        QVERIFY(announced < 50);
        QCOMPARE(count(log + QStringLiteral("/history.sqlite"), QStringLiteral("events")),
                 announced);
    }

    void theLastWriteTriesALockForFiveSecondsThenSaysWhatItCouldNotWrite_data() {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<int>("written");
        QTest::addColumn<QString>("said");
        QTest::newRow("lock freed after 1.5 s") << 1500 << 6 << QString();
        QTest::newRow("lock held for 7 s")
            << 7000 << 1 << QStringLiteral("history: 5 rows could not be written at exit, ");
    }
    void theLastWriteTriesALockForFiveSecondsThenSaysWhatItCouldNotWrite() {
        QFETCH(int, holdMs);
        QFETCH(int, written);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log"));
        const QString db = log + QStringLiteral("/history.sqlite");
        StandardError stderrLines;
        QElapsedTimer ending;
        {
            history::RecorderOptions options;
            options.logDir = log;
            history::Recorder recorder(nullptr, options);
            recorder.portOpenFailed(QStringLiteral("ttyUSB0"), QStringLiteral("busy"));
            recorder.flushNow();
            OtherProgram other(db, holdMs);
            QVERIFY(other.holds());
            for (int i = 0; i < 5; ++i)
                recorder.portOpenFailed(QStringLiteral("ttyUSB1"), QStringLiteral("busy"));
            ending.start();
            recorder.finish();
            const qint64 took = ending.elapsed();
            QVERIFY2(took < 7500, qPrintable(QString::number(took)));
            if (!said.isEmpty())
                QVERIFY2(took >= 4500, qPrintable(QString::number(took)));
        }
        QCOMPARE(count(db, QStringLiteral("events")), written);
        const QStringList atExit = StandardError::seen().filter(QStringLiteral("at exit"));
        if (said.isEmpty()) {
            QVERIFY2(atExit.isEmpty(), qPrintable(atExit.join('\n')));
        } else {
            QCOMPARE(atExit.size(), 1);
            QVERIFY2(atExit[0].startsWith(said), qPrintable(atExit[0]));
            QVERIFY2(atExit[0].contains(QStringLiteral("locked")), qPrintable(atExit[0]));
        }
    }

    void eventsAreKeptFourHundredDaysAndSamplesNinety_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<qint64>("age");
        QTest::addColumn<bool>("kept");
        QTest::newRow("event of 401 days") << QStringLiteral("events") << 401 * day << false;
        QTest::newRow("event of 399 days") << QStringLiteral("events") << 399 * day << true;
        QTest::newRow("sample of 91 days") << QStringLiteral("samples") << 91 * day << false;
        QTest::newRow("sample of 89 days") << QStringLiteral("samples") << 89 * day << true;
    }
    void eventsAreKeptFourHundredDaysAndSamplesNinety() {
        QFETCH(QString, table);
        QFETCH(qint64, age);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        HistoryWriter writer(dir.path(), WriterLimits(), nullptr);
        Batch b = rowsAt(1, t0); // the present, kept in any case
        if (table == QLatin1String("events")) {
            b.events.push_back(alarmRow(t0 - age, QStringLiteral("old")));
        } else {
            history::Sample s;
            s.at = t0 - age;
            s.waterIn = s.waterOut = s.dewPoint = 20.0;
            b.samples.push_back(s);
        }
        writer.write(std::move(b), t0);
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(count(db, table), (kept ? 1 : 0) + (table == QLatin1String("events") ? 1 : 0));
    }

    void everyEpisodeOfAFullDiskIsSaidAndItsRecoveryToo() {
        SmallDisk disk;
        if (!disk.isTmpfs())
            qInfo("no mount namespace here: a file-size limit stands in for the full disk");
        const QString log = disk.path() + QStringLiteral("/log");
        const QString db = log + QStringLiteral("/history.sqlite");
        Said said;
        int sentRows = 0;
        qint64 sentBytes = 0;
        {
            HistoryWriter writer(log, WriterLimits(), said.sink());
            qint64 now = t0;
            int round = 0;
            const auto second = [&] {
                Batch b = rowsAt(3, now, QStringLiteral("round%1.").arg(round));
                if (round == 0)
                    b.capture.push_back(start(now));
                b.capture.push_back(chunk(now, 1500, round));
                sentRows += 3;
                sentBytes += 1500;
                writer.write(std::move(b), now);
                now += 1000;
                ++round;
            };
            for (int episode = 0; episode < 2; ++episode) {
                for (int i = 0; i < 2; ++i)
                    second();
                disk.fill();
                for (int i = 0; i < 4; ++i)
                    second();
                QVERIFY2(writer.heldRows() > 0, "rows the disk refused are held");
                disk.free();
                // Writing resumes within the few seconds of the next try.
                for (int i = 0; i < 4; ++i)
                    second();
                QCOMPARE(writer.heldRows(), size_t(0));
            }
        }
        for (const char *began : {"history: capture stopped, ", "history: events not recorded, "})
            QCOMPARE(said.matching(QLatin1String(began)), 2);
        QCOMPARE(said.matching(QStringLiteral("history: recovered: capture goes on in ")), 2);
        QCOMPARE(said.matching(QStringLiteral("history: recovered: events recorded again")), 2);
        // The system's own words for the capture.
        QCOMPARE(said.matching(disk.fullReason()), 2);
        QVERIFY2(said.matching(QStringLiteral("Unknown error")) == 0,
                 qPrintable(said.texts.join('\n')));
        // Nothing lost but what is counted.
        QCOMPARE(count(db, QStringLiteral("events")), sentRows);
        const CaptureTotals capture = captureTotals(log);
        QVERIFY(capture.whole);
        QVERIFY(capture.lost > 0);
        QCOMPARE(capture.captured + capture.lost, sentBytes);
    }

    void aRunEndedRightAfterTheDiskIsFreedStillWritesEveryHeldRow() {
        SmallDisk disk;
        const QString log = disk.path() + QStringLiteral("/log");
        {
            history::RecorderOptions options;
            options.logDir = log;
            history::Recorder recorder(nullptr, options);
            recorder.portOpenFailed(QStringLiteral("ttyUSB0"), QStringLiteral("first"));
            recorder.flushNow();
            QStringList troubles;
            connect(&recorder, &history::Recorder::trouble,
                    [&troubles](const QString &t) { troubles << t; });
            disk.fill();
            // A second of rows, more than a partly used page of the database takes.
            for (int i = 0; i < 400; ++i)
                recorder.portOpenFailed(QStringLiteral("ttyUSB1"), QString(40, QLatin1Char('x')));
            QVERIFY(waitUntil(
                [&] { return !troubles.filter(QStringLiteral("events not recorded")).isEmpty(); },
                5000));
            disk.free();
            // Closed at once, well within the pause before the next try.
        }
        QCOMPARE(count(log + QStringLiteral("/history.sqlite"), QStringLiteral("events")), 401);
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
