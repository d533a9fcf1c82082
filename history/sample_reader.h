#pragma once

#include "history/records.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace history {

// The three series of a sample, in the order of the samples table.
enum SeriesIndex { WaterIn, WaterOut, DewPoint, SeriesCount };

double seriesValue(const Sample &sample, int series);

// One interval of the three series: minimum, maximum, sum and count of the values in it (a
// raw sample is an interval of its own). `count[k] == 0` where series k had no value.
struct Bucket {
    qint64 at = 0; // start of the interval (a raw sample: its time), ms since 1970
    double low[SeriesCount] = {};
    double high[SeriesCount] = {};
    double sum[SeriesCount] = {};
    int count[SeriesCount] = {};

    static Bucket of(const Sample &sample);
    void add(const Sample &sample);
    double mean(int series) const;
};

// A stretch of the samples as read: raw samples (resolution 0) or minutes (60000), sorted.
struct SampleSeries {
    qint64 from = 0;
    qint64 to = 0;
    qint64 resolutionMs = 0;
    qint64 newestSampleAt = 0; // the newest sample folded in; 0 when none
    std::vector<Bucket> buckets;

    // Folds a sample newer than any in the series in: a bucket of its own, or its minute's.
    // Older ones are there already and are left out.
    void addNewer(const Sample &sample);
    // Drops what lies before `from` (whole buckets) and moves the start there.
    void dropBefore(qint64 from);
};

// Reads log/history.sqlite read-only on a connection of its own, on the thread that uses it.
// Every read runs in one read transaction that ends before the call returns: nothing holds the
// database between two reads.
class SampleReader {
public:
    // Spans longer than this come from the per-minute table.
    static constexpr qint64 rawLimitMs = qint64(6) * 3600 * 1000;

    enum class Outcome { Ok, NoDatabase, Cancelled, Failed };

    explicit SampleReader(const QString &path);
    ~SampleReader();
    SampleReader(const SampleReader &) = delete;
    SampleReader &operator=(const SampleReader &) = delete;

    static qint64 resolutionFor(qint64 spanMs) { return spanMs > rawLimitMs ? 60000 : 0; }

    // The samples of [from, to] at the resolution of the span. `cancelled` is asked now and
    // then; when it says yes the read stops (Outcome::Cancelled).
    Outcome read(qint64 from, qint64 to, SampleSeries *out, QString *error,
                 const std::function<bool()> &cancelled = {});
    // Every raw sample of [from, to], oldest first.
    Outcome readRaw(qint64 from, qint64 to, const std::function<void(const Sample &)> &sink,
                    QString *error, const std::function<bool()> &cancelled = {});
    // Closes the connection (also done by the destructor, which must run on the same thread).
    void close();

private:
    Outcome open(QString *error);
    bool hasMinuteTable();

    QString path;
    QString connection;
};

} // namespace history
