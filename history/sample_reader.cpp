#include "history/sample_reader.h"

#include "history/event_store.h"

#include "history/rollup.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace history {

namespace {

// How many rows pass between two questions whether the read is still wanted.
constexpr int rowsBetweenChecks = 4096;

double field(const QVariant &v) {
    return v.isNull() ? std::nan("") : v.toDouble();
}

} // namespace

double seriesValue(const events::Sample &sample, int series) {
    return series == WaterIn    ? sample.waterIn
           : series == WaterOut ? sample.waterOut
                                : sample.dewPoint;
}

Bucket Bucket::of(const events::Sample &sample) {
    Bucket b;
    b.at = sample.at;
    b.add(sample);
    return b;
}

void Bucket::add(const events::Sample &sample) {
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

void Bucket::add(const Bucket &other) {
    for (int k = 0; k < SeriesCount; ++k) {
        if (other.count[k] == 0)
            continue;
        low[k] = count[k] ? std::min(low[k], other.low[k]) : other.low[k];
        high[k] = count[k] ? std::max(high[k], other.high[k]) : other.high[k];
        sum[k] += other.sum[k];
        count[k] += other.count[k];
    }
}

void SampleSeries::addNewer(const events::Sample &sample) {
    if (sample.at <= newestSampleAt)
        return;
    addNewer(Bucket::of(sample), sample.at);
}

void SampleSeries::addNewer(const Bucket &bucket, qint64 newest) {
    newestSampleAt = std::max(newestSampleAt, newest);
    const qint64 start = intervalOf(bucket.at);
    if (resolutionMs && !buckets.empty() && buckets.back().at >= start) {
        buckets.back().add(bucket);
        return;
    }
    buckets.push_back(bucket);
    // An interval cut by the start of the span is drawn from the start.
    buckets.back().at = std::max(start, from);
}

void SampleSeries::dropBefore(qint64 start) {
    const auto keep = std::find_if(buckets.begin(), buckets.end(), [&](const Bucket &b) {
        return resolutionMs == 0 ? b.at >= start : intervalOf(b.at) + resolutionMs > start;
    });
    buckets.erase(buckets.begin(), keep);
    if (!buckets.empty() && buckets.front().at < start)
        buckets.front().at = start;
    from = start;
}

qint64 SampleReader::resolutionFor(qint64 spanMs, int columns) {
    if (spanMs <= rawLimitMs)
        return 0;
    const qint64 target = spanMs / (2 * qint64(std::max(1, columns)));
    qint64 best = 1;
    for (const qint64 minutes :
         {2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60, 120, 180, 240, 360, 720, 1440})
        if (minutes * rollup::minuteMs <= target)
            best = minutes;
    return best * rollup::minuteMs;
}

SampleReader::SampleReader(const QString &path)
    : path(path), connection(newConnectionName(QStringLiteral("sample-reader"))) {}

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

SampleReader::Outcome SampleReader::readRaw(qint64 from, qint64 to,
                                            const std::function<void(const events::Sample &)> &sink,
                                            QString *error,
                                            const std::function<bool()> &cancelled) {
    Outcome o = open(error);
    if (o != Outcome::Ok)
        return o;
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    // A file that is no database fails at the prepare, with the reason that says so.
    const bool prepared = q.prepare(QStringLiteral("SELECT at, water_in, water_out, dew_point "
                                                   "FROM samples WHERE at >= ? AND at <= ? "
                                                   "ORDER BY at"));
    q.addBindValue(from);
    q.addBindValue(to);
    if (!prepared || !q.exec()) {
        *error = q.lastError().text();
        return Outcome::Failed;
    }
    int rows = 0;
    while (q.next()) {
        if (++rows % rowsBetweenChecks == 0 && cancelled && cancelled()) {
            q.finish();
            return Outcome::Cancelled;
        }
        events::Sample s;
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

SampleReader::Outcome SampleReader::read(qint64 from, qint64 to, int columns, SampleSeries *out,
                                         QString *error, const std::function<bool()> &cancelled) {
    *out = SampleSeries();
    out->from = from;
    out->to = to;
    out->resolutionMs = resolutionFor(to - from, columns);
    Outcome o = open(error);
    if (o != Outcome::Ok)
        return o;
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    // One snapshot for all the levels; ended before returning.
    QSqlQuery(db).exec(QStringLiteral("BEGIN"));
    // Without its triggers a table may be out of date: the raw samples are always right.
    int level = -1;
    if (out->resolutionMs > 0 && rollup::isInstalled(db))
        for (int l = 0; l < int(std::size(rollup::levels)); ++l)
            if (out->resolutionMs % rollup::levels[l].lengthMs == 0)
                level = l;
    o = readLevel(level, from, to, out, error, cancelled);
    QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    return o;
}

SampleReader::Outcome SampleReader::readLevel(int level, qint64 from, qint64 to, SampleSeries *out,
                                              QString *error,
                                              const std::function<bool()> &cancelled) {
    if (level < 0)
        return readRaw(
            from, to, [out](const events::Sample &s) { out->addNewer(s); }, error, cancelled);
    // The intervals of this level that lie wholly inside the span come from its table,
    // gathered into the series' intervals by SQLite; the cut ends from the level below.
    const qint64 length = rollup::levels[level].lengthMs;
    const qint64 firstWhole = from % length == 0 ? from : from - from % length + length;
    const qint64 lastCut = to - to % length;
    if (firstWhole >= lastCut)
        return readLevel(level - 1, from, to, out, error, cancelled);
    Outcome o = readLevel(level - 1, from, firstWhole - 1, out, error, cancelled);
    if (o != Outcome::Ok)
        return o;

    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    QString columns = QStringLiteral("at - at % %1, max(at)").arg(out->resolutionMs);
    for (const char *s : {"water_in", "water_out", "dew_point"})
        columns += QStringLiteral(", min(%1_min), max(%1_max), total(%1_sum), total(%1_count)")
                       .arg(QLatin1String(s));
    const bool prepared =
        q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE at >= ? AND at < ? GROUP BY 1 ORDER BY 1")
                      .arg(columns, QLatin1String(rollup::levels[level].table)));
    q.addBindValue(firstWhole);
    q.addBindValue(lastCut);
    if (!prepared || !q.exec()) {
        *error = q.lastError().text();
        return Outcome::Failed;
    }
    while (q.next()) {
        if (cancelled && cancelled()) {
            q.finish();
            return Outcome::Cancelled;
        }
        Bucket b;
        b.at = q.value(0).toLongLong();
        for (int k = 0; k < SeriesCount; ++k) {
            b.count[k] = q.value(5 + 4 * k).toInt();
            if (b.count[k] == 0)
                continue;
            b.low[k] = q.value(2 + 4 * k).toDouble();
            b.high[k] = q.value(3 + 4 * k).toDouble();
            b.sum[k] = q.value(4 + 4 * k).toDouble();
        }
        out->addNewer(b, q.value(1).toLongLong() + length - 1);
    }
    if (q.lastError().isValid()) {
        *error = q.lastError().text();
        return Outcome::Failed;
    }
    q.finish();
    return readLevel(level - 1, lastCut, to, out, error, cancelled);
}

} // namespace history
