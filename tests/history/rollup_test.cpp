// The per-minute and per-hour tables beside the samples: kept equal to the samples through
// inserts, deletes and updates, added to a database of the program before them, and read back
// at every resolution exactly as the raw samples folded by hand.

#include "history/event_store.h"
#include "history/rollup.h"
#include "history/sample_reader.h"
#include "history/writer.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/wait.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace fixture;
using events::Sample;
using history::Batch;
using history::HistoryWriter;
using history::SampleReader;
using history::SampleSeries;
using history::WriterLimits;

namespace {

const qint64 t0 = 1796000000000; // 20 s past a minute
const qint64 hour = 3600 * 1000;
const qint64 day = 24 * hour;

Sample sample(qint64 at, double in, double out, double dew) {
    Sample s;
    s.at = at;
    s.waterIn = in;
    s.waterOut = out;
    s.dewPoint = dew;
    return s;
}

// The first value of the first row.
QVariant one(const QString &db, const QString &sql) {
    return rows(db, sql).value(0).value(0);
}

// Rows of a rollup table that differ from the samples grouped afresh, either way round (sums
// compared to a millionth: the order of the additions differs).
int mismatches(const QString &db, const char *table, qint64 length) {
    QString expected = QStringLiteral("SELECT at - at % %1, count(*)").arg(length);
    QString stored = QStringLiteral("SELECT at, samples");
    for (const char *s : {"water_in", "water_out", "dew_point"}) {
        expected += QStringLiteral(", min(%1), max(%1), round(total(%1), 6), count(%1)")
                        .arg(QLatin1String(s));
        stored +=
            QStringLiteral(", %1_min, %1_max, round(%1_sum, 6), %1_count").arg(QLatin1String(s));
    }
    expected += QStringLiteral(" FROM samples GROUP BY 1");
    stored += QStringLiteral(" FROM ") + QLatin1String(table);
    return one(db, QStringLiteral("SELECT count(*) FROM (%1 EXCEPT %2)").arg(expected, stored))
               .toInt() +
           one(db, QStringLiteral("SELECT count(*) FROM (%1 EXCEPT %2)").arg(stored, expected))
               .toInt();
}

void expectRollupsEqualSamples(const QString &db) {
    QCOMPARE(mismatches(db, "samples_minute", history::rollup::minuteMs), 0);
    QCOMPARE(mismatches(db, "samples_hour", history::rollup::hourMs), 0);
}

void exec(const QString &db, const QString &sql) {
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("x"));
        c.setDatabaseName(db);
        QVERIFY(c.open());
        QSqlQuery q(c);
        QVERIFY2(q.exec(sql), qPrintable(sql));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("x"));
}

// The raw samples of [from, to] folded at `resolution` by SampleSeries itself.
SampleSeries folded(SampleReader &reader, qint64 from, qint64 to, qint64 resolution) {
    SampleSeries s;
    s.from = from;
    s.to = to;
    s.resolutionMs = resolution;
    QString error;
    reader.readRaw(
        from, to, [&](const Sample &x) { s.addNewer(x); }, &error);
    return s;
}

} // namespace

class RollupTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString db; // four days of samples, one every 7 s, some values missing

private slots:
    void initTestCase() {
        HistoryWriter writer(dir.path(), WriterLimits(), nullptr);
        // Several batches, so that minutes and hours are filled across transactions.
        for (int part = 0; part < 4; ++part) {
            Batch b;
            for (qint64 at = t0 + part * day; at < t0 + (part + 1) * day; at += 7000)
                b.samples.push_back(sample(at, 24 + std::sin(at / 1e7), (at / 7000) % 13 ? 27 : NAN,
                                           (at / 7000) % 17 ? 12 + std::cos(at / 1e8) : NAN));
            writer.write(std::move(b), t0 + (part + 1) * day);
        }
        db = dir.filePath(QStringLiteral("history.sqlite"));
    }

    void theTablesEqualTheSamplesAfterInsertsDeletesAndUpdates() {
        QTemporaryDir own;
        HistoryWriter writer(own.path(), WriterLimits(), nullptr);
        const QString file = own.filePath(QStringLiteral("history.sqlite"));
        // Two batches into the same minutes, NULLs, a spike and a new low.
        Batch a, b;
        for (int i = 0; i < 150; ++i)
            (i % 2 ? a : b)
                .samples.push_back(sample(t0 + i * 1000, i == 77 ? 41.5 : 25.0,
                                          i % 7 == 3 ? NAN : 27.0 + (i * 37 % 11) / 10.0,
                                          i == 90 ? -2.0 : 12.0));
        writer.write(std::move(a), t0 + 150000);
        writer.write(std::move(b), t0 + 150000);
        expectRollupsEqualSamples(file);
        // The retention cuts through a minute: what is left of it is computed again.
        WriterLimits limits;
        // Ninety days unused are believed at once here, rather than after a day of running.
        limits.clockToleranceMs = limits.sampleKeepMs + day;
        HistoryWriter later(own.path(), limits, nullptr);
        Batch c;
        c.samples.push_back(sample(t0 + limits.sampleKeepMs + 200000, 26, 26, 26));
        later.write(std::move(c), t0 + limits.sampleKeepMs + 95000);
        QCOMPARE(one(file, QStringLiteral("SELECT count(*) FROM samples")), 56);
        expectRollupsEqualSamples(file);
        // The spike is gone with its minute; a changed sample moves between minutes.
        QCOMPARE(one(file, QStringLiteral("SELECT max(water_in_max) FROM samples_hour")).toDouble(),
                 26.0);
        exec(file, QStringLiteral("UPDATE samples SET at = at + 3600000, water_in = 30 "
                                  "WHERE at = %1")
                       .arg(t0 + 120000));
        expectRollupsEqualSamples(file);
    }

    // tests/history/data/history-v1.sqlite was written by the history writer of the program
    // before the rollup tables (linked from that build): two events, 360 samples in two
    // stretches an hour apart, water out missing at first, a spike of 41.5 °C.
    void aDatabaseOfTheProgramBeforeIsMigratedInPlaceKeepingItsRows() {
        QTemporaryDir own;
        const QString file = own.filePath(QStringLiteral("history.sqlite"));
        QVERIFY(QFile::copy(
            QStringLiteral(LASER_SOURCE_DIR "/tests/history/data/history-v1.sqlite"), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(one(file, QStringLiteral("PRAGMA user_version")).toInt(), 1);
        HistoryWriter writer(own.path(), WriterLimits(), nullptr);
        Batch b;
        b.samples.push_back(sample(1795999980000 + 2 * hour, 25, 28, 12));
        writer.write(std::move(b), 1795999980000 + 2 * hour);
        QCOMPARE(one(file, QStringLiteral("PRAGMA user_version")).toInt(),
                 history::EventStore::schemaVersion);
        // Its run ended with the port open: marked as it was, at that run's newest row.
        QCOMPARE(one(file, QStringLiteral("SELECT count(*) FROM events")), 3);
        QCOMPARE(
            one(file, QStringLiteral("SELECT max(at) FROM samples WHERE at < %1")
                          .arg(1795999980000 + 2 * hour)),
            one(file, QStringLiteral("SELECT at FROM events WHERE name = 'ended_unexpectedly'")));
        QCOMPARE(one(file, QStringLiteral("SELECT count(*) FROM samples")), 361);
        expectRollupsEqualSamples(file);
        QCOMPARE(one(file, QStringLiteral("SELECT max(water_in_max) FROM samples_hour")).toDouble(),
                 41.5);
    }

    void aDroppedTriggerIsRestoredAndTheTablesFilledAgain() {
        QTemporaryDir own;
        const QString file = own.filePath(QStringLiteral("history.sqlite"));
        {
            HistoryWriter writer(own.path(), WriterLimits(), nullptr);
            Batch b;
            b.samples.push_back(sample(t0, 25, 27, 12));
            writer.write(std::move(b), t0);
        }
        exec(file, QStringLiteral("DROP TRIGGER samples_rollup_insert"));
        exec(file, QStringLiteral("INSERT INTO samples VALUES(%1, 40, 40, 40)").arg(t0 + hour));
        QVERIFY(mismatches(file, "samples_hour", history::rollup::hourMs) > 0);
        // The reader does not trust the tables meanwhile.
        SampleReader reader(file);
        SampleSeries s;
        QString error;
        QCOMPARE(reader.read(t0 - day, t0 + day, 10, &s, &error), SampleReader::Outcome::Ok);
        QCOMPARE(s.buckets.back().high[history::WaterIn], 40.0);
        reader.close();
        HistoryWriter writer(own.path(), WriterLimits(), nullptr);
        Batch b;
        b.samples.push_back(sample(t0 + 2 * hour, 26, 27, 12));
        writer.write(std::move(b), t0 + 2 * hour);
        expectRollupsEqualSamples(file);
    }

    void aReadGivesWhatTheRawSamplesFoldedByHandGive_data() {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<int>("columns");
        QTest::addColumn<qint64>("resolution");
        QTest::newRow("an hour: raw")
            << t0 + 5 * hour + 1234 << t0 + 6 * hour + 1234 << 800 << qint64(0);
        QTest::newRow("seven hours, cut ends: minutes")
            << t0 + 3 * hour + 31234 << t0 + 10 * hour + 45678 << 1000 << qint64(60000);
        QTest::newRow("three days, cut ends: 2 h from hours, minutes and samples")
            << t0 + 9 * hour + 61234 << t0 + 81 * hour + 59999 << 17 << 2 * hour;
        QTest::newRow("two days: 20 min from minutes")
            << t0 + 7 * hour << t0 + 55 * hour << 72 << qint64(20 * 60000);
        QTest::newRow("a narrow chart: a day per interval") << t0 << t0 + 4 * day << 1 << day;
    }

    void aReadGivesWhatTheRawSamplesFoldedByHandGive() {
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(int, columns);
        QFETCH(qint64, resolution);
        QCOMPARE(SampleReader::resolutionFor(to - from, columns), resolution);
        SampleReader reader(db);
        SampleSeries got;
        QString error;
        QCOMPARE(reader.read(from, to, columns, &got, &error), SampleReader::Outcome::Ok);
        const SampleSeries want = folded(reader, from, to, resolution);
        QVERIFY(want.buckets.size() > 1);
        QCOMPARE(got.buckets.size(), want.buckets.size());
        QCOMPARE(got.newestSampleAt, want.newestSampleAt);
        for (size_t i = 0; i < want.buckets.size(); ++i) {
            const history::Bucket &g = got.buckets[i], &w = want.buckets[i];
            QCOMPARE(g.at, w.at);
            for (int k = 0; k < history::SeriesCount; ++k) {
                QCOMPARE(g.count[k], w.count[k]);
                if (w.count[k] == 0)
                    continue;
                QCOMPARE(g.low[k], w.low[k]);
                QCOMPARE(g.high[k], w.high[k]);
                QVERIFY(std::abs(g.sum[k] - w.sum[k]) < 1e-6);
            }
        }
    }

    // A read that holds its transaction keeps the writer from emptying the journal; none of
    // ours does, finished or cancelled. A reader left in a transaction shows the check bites.
    void noReadLeavesATransactionOpen() {
        QTemporaryDir own;
        const QString file = own.filePath(QStringLiteral("history.sqlite"));
        QVERIFY(QFile::copy(db, file));
        HistoryWriter writer(own.path(), WriterLimits(), nullptr);
        // Frames of the journal that a checkpoint right after a write cannot copy back.
        qint64 at = t0 + 5 * day;
        const auto framesKept = [&] {
            Batch b;
            b.samples.push_back(sample(at += 1000, 1, 1, 1));
            writer.write(std::move(b), at);
            const QVariantList r =
                rows(file, QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")).value(0);
            return r.value(1).toInt() - r.value(2).toInt();
        };
        SampleReader reader(file);
        SampleSeries s;
        QString error;
        QCOMPARE(reader.read(t0, t0 + 4 * day, 1000, &s, &error), SampleReader::Outcome::Ok);
        QCOMPARE(framesKept(), 0);
        QCOMPARE(reader.read(t0 + 1000, t0 + 4 * day, 1000, &s, &error, [] { return true; }),
                 SampleReader::Outcome::Cancelled);
        QCOMPARE(framesKept(), 0);
        {
            QSqlDatabase held =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("held"));
            held.setDatabaseName(file);
            QVERIFY(held.open());
            QSqlQuery q(held);
            q.exec(QStringLiteral("BEGIN"));
            q.exec(QStringLiteral("SELECT count(*) FROM samples"));
            QVERIFY(framesKept() > 0);
            q.finish();
            q.exec(QStringLiteral("COMMIT"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("held"));
    }

    void liveSamplesJoinTheirIntervalAndTheStartSlides() {
        SampleSeries s;
        s.from = t0 + 30000;
        s.resolutionMs = 60000;
        s.addNewer(sample(t0 + 35000, 20, 20, 20)); // minute cut by the start
        s.addNewer(sample(t0 + 38000, 22, NAN, 20));
        s.addNewer(sample(t0 + 36000, 99, 99, 99)); // older: there already
        s.addNewer(sample(t0 + 41000, 21, 21, 21)); // the next minute (t0 is 20 s past one)
        QCOMPARE(s.buckets.size(), size_t(2));
        QCOMPARE(s.buckets[0].at, t0 + 30000);
        QCOMPARE(s.buckets[0].high[history::WaterIn], 22.0);
        QCOMPARE(s.buckets[0].count[history::WaterOut], 1);
        QCOMPARE(s.buckets[0].mean(history::WaterIn), 21.0);
        s.dropBefore(t0 + 39999); // still inside the first minute
        QCOMPARE(s.buckets.size(), size_t(2));
        QCOMPARE(s.buckets[0].at, t0 + 39999);
        s.dropBefore(t0 + 40000);
        QCOMPARE(s.buckets.size(), size_t(1));
        QCOMPARE(s.buckets[0].at, t0 + 40000);
    }
};

QTEST_GUILESS_MAIN(RollupTest)
#include "rollup_test.moc"
