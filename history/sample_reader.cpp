#include "history/sample_reader.h"

#include "history/rollup.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace history {

namespace {

QAtomicInt connectionCount;

// How many rows pass between two questions whether the read is still wanted.
constexpr int rowsBetweenChecks = 4096;

qint64 minuteOf(qint64 at) {
    return at - at % rollup::minuteMs;
}

double field(const QVariant &v) {
    return v.isNull() ? std::nan("") : v.toDouble();
}

} // namespace

double seriesValue(const Sample &sample, int series) {
    return series == WaterIn    ? sample.waterIn
           : series == WaterOut ? sample.waterOut
                                : sample.dewPoint;
}

Bucket Bucket::of(const Sample &sample) {
    Bucket b;
    b.at = sample.at;
    b.add(sample);
    return b;
}

void Bucket::add(const Sample &sample) {
    for (int k = 0; k < SeriesCount; ++k) {
        const double v = seriesValue(sample, k);
        if (std::isnan(v))
            continue;
        low[k] = count[k] ? std::min(low[k], v) : v;
        high[k] = count[k] ? std::max(high[k], v) : v;
        sum[k] += v;
        ++count[k];
    }
}

double Bucket::mean(int series) const {
    return count[series] ? sum[series] / count[series] : std::nan("");
}

void SampleSeries::addNewer(const Sample &sample) {
    if (sample.at <= newestSampleAt)
        return;
    newestSampleAt = sample.at;
    if (resolutionMs == 0) {
        buckets.push_back(Bucket::of(sample));
        return;
    }
    const qint64 minute = minuteOf(sample.at);
    if (!buckets.empty() && buckets.back().at >= minute) {
        buckets.back().add(sample);
        return;
    }
    // A minute cut by the start of the span is drawn from the start.
    Bucket b = Bucket::of(sample);
    b.at = std::max(minute, from);
    buckets.push_back(b);
}

void SampleSeries::dropBefore(qint64 start) {
    // A minute that reaches past the start stays, drawn from the start.
    const auto keep = std::find_if(buckets.begin(), buckets.end(), [&](const Bucket &b) {
        return resolutionMs == 0 ? b.at >= start : minuteOf(b.at) + resolutionMs > start;
    });
    buckets.erase(buckets.begin(), keep);
    if (!buckets.empty() && buckets.front().at < start)
        buckets.front().at = start;
    from = start;
}

SampleReader::SampleReader(const QString &path)
    : path(path),
      connection(QStringLiteral("sample-reader-%1").arg(connectionCount.fetchAndAddRelaxed(1))) {}

SampleReader::~SampleReader() {
    close();
}

void SampleReader::close() {
    if (!QSqlDatabase::contains(connection))
        return;
    QSqlDatabase::database(connection, false).close();
    QSqlDatabase::removeDatabase(connection);
}

SampleReader::Outcome SampleReader::open(QString *error) {
    if (!QFileInfo(path).isFile())
        return Outcome::NoDatabase;
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (db.isOpen())
        return Outcome::Ok;
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
    if (db.open())
        return Outcome::Ok;
    *error = db.lastError().text();
    return Outcome::Failed;
}

bool SampleReader::hasMinuteTable() {
    QSqlQuery q(QSqlDatabase::database(connection, false));
    const bool has = q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                           "name = 'samples_minute'")) &&
                     q.next();
    q.finish();
    return has;
}

SampleReader::Outcome SampleReader::readRaw(qint64 from, qint64 to,
                                            const std::function<void(const Sample &)> &sink,
                                            QString *error,
                                            const std::function<bool()> &cancelled) {
    Outcome o = open(error);
    if (o != Outcome::Ok)
        return o;
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT at, water_in, water_out, dew_point FROM samples "
                             "WHERE at >= ? AND at <= ? ORDER BY at"));
    q.addBindValue(from);
    q.addBindValue(to);
    if (!q.exec()) {
        *error = q.lastError().text();
        return Outcome::Failed;
    }
    int rows = 0;
    while (q.next()) {
        if (++rows % rowsBetweenChecks == 0 && cancelled && cancelled()) {
            q.finish();
            return Outcome::Cancelled;
        }
        Sample s;
        s.at = q.value(0).toLongLong();
        s.waterIn = field(q.value(1));
        s.waterOut = field(q.value(2));
        s.dewPoint = field(q.value(3));
        sink(s);
    }
    // An error while stepping (a lock, a damaged page) ends the loop as the last row would.
    if (q.lastError().isValid()) {
        *error = q.lastError().text();
        return Outcome::Failed;
    }
    q.finish();
    return Outcome::Ok;
}

SampleReader::Outcome SampleReader::read(qint64 from, qint64 to, SampleSeries *out, QString *error,
                                         const std::function<bool()> &cancelled) {
    *out = SampleSeries();
    out->from = from;
    out->to = to;
    out->resolutionMs = resolutionFor(to - from);
    Outcome o = open(error);
    if (o != Outcome::Ok)
        return o;
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    // One snapshot for the minutes and the raw ends; ended before returning.
    QSqlQuery(db).exec(QStringLiteral("BEGIN"));
    const auto end = [&](Outcome outcome) {
        QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        return outcome;
    };
    const auto add = [out](const Sample &s) { out->addNewer(s); };

    // Raw samples; also what a database without the minute table has to give.
    if (out->resolutionMs == 0 || !hasMinuteTable())
        return end(readRaw(from, to, add, error, cancelled));

    // The minutes that lie wholly inside the span from the minute table, the cut ones at
    // either end from the samples.
    const qint64 firstWhole = minuteOf(from) == from ? from : minuteOf(from) + rollup::minuteMs;
    const qint64 lastCut = minuteOf(to);
    if (firstWhole >= lastCut)
        return end(readRaw(from, to, add, error, cancelled));
    o = readRaw(from, firstWhole - 1, add, error, cancelled);
    if (o != Outcome::Ok)
        return end(o);

    QSqlQuery q(db);
    q.setForwardOnly(true);
    QString columns = QStringLiteral("minute");
    for (const char *s : {"water_in", "water_out", "dew_point"})
        columns += QStringLiteral(", %1_min, %1_max, %1_sum, %1_count").arg(QLatin1String(s));
    q.prepare(QStringLiteral("SELECT %1 FROM samples_minute WHERE minute >= ? AND minute < ? "
                             "ORDER BY minute")
                  .arg(columns));
    q.addBindValue(firstWhole);
    q.addBindValue(lastCut);
    if (!q.exec()) {
        *error = q.lastError().text();
        return end(Outcome::Failed);
    }
    int rows = 0;
    while (q.next()) {
        if (++rows % rowsBetweenChecks == 0 && cancelled && cancelled()) {
            q.finish();
            return end(Outcome::Cancelled);
        }
        Bucket b;
        b.at = q.value(0).toLongLong();
        for (int k = 0; k < SeriesCount; ++k) {
            b.count[k] = q.value(4 + 4 * k).toInt();
            if (b.count[k] == 0)
                continue;
            b.low[k] = q.value(1 + 4 * k).toDouble();
            b.high[k] = q.value(2 + 4 * k).toDouble();
            b.sum[k] = q.value(3 + 4 * k).toDouble();
        }
        out->buckets.push_back(b);
        out->newestSampleAt = b.at + rollup::minuteMs - 1;
    }
    if (q.lastError().isValid()) {
        *error = q.lastError().text();
        return end(Outcome::Failed);
    }
    q.finish();
    return end(readRaw(lastCut, to, add, error, cancelled));
}

} // namespace history
