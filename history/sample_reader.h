#pragma once

#include "events/records.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace history {

// The three series of a sample, in the order of the samples table.
enum SeriesIndex { WaterIn, WaterOut, DewPoint, SeriesCount };

double seriesValue(const events::Sample &sample, int series);

// One interval of the three series: minimum, maximum, sum and count of the values in it (a
// raw sample is an interval of its own). `count[k] == 0` where series k had no value.
struct Bucket {
    qint64 at = 0; // start of the interval (a raw sample: its time), ms since 1970
    double low[SeriesCount] = {};
    double high[SeriesCount] = {};
    double sum[SeriesCount] = {};
    int count[SeriesCount] = {};

    static Bucket of(const events::Sample &sample);
    void add(const events::Sample &sample);
    void add(const Bucket &other);
    double mean(int series) const;
};

// A stretch of the samples as read, sorted: raw samples (resolution 0) or intervals of
// `resolutionMs` that start at multiples of it (a whole number of minutes).
struct SampleSeries {
    qint64 from = 0;
    qint64 to = 0;
    qint64 resolutionMs = 0;
    qint64 newestSampleAt = 0; // the newest sample folded in; 0 when none
    std::vector<Bucket> buckets;

    // Folds a sample newer than any in the series in: a bucket of its own, or its interval's.
    // Older ones are there already and are left out.
    void addNewer(const events::Sample &sample);
    // Folds in a bucket of samples up to `newest`, that starts at or after the last one.
    void addNewer(const Bucket &bucket, qint64 newest);
    // Drops the intervals that end before `from`; one cut by it is drawn from there.
    void dropBefore(qint64 from);
    qint64 intervalOf(qint64 at) const { return resolutionMs ? at - at % resolutionMs : at; }
};

// Reads log/history.sqlite read-only on a connection of its own, on the thread that uses it.
// Every read runs in one read transaction that ends before the call returns: nothing holds the
// database between two reads.
class SampleReader {
public:
    // Spans longer than this come from the per-minute and per-hour tables.
    static constexpr qint64 rawLimitMs = qint64(6) * 3600 * 1000;

    // Raw samples up to six hours; beyond, the longest whole number of minutes that divides a
    // day and still gives each of `columns` pixel columns two intervals, so that an extreme is
    // drawn within half a column of its time and a read is a few thousand rows at any span.
    static qint64 resolutionFor(qint64 spanMs, int columns);

    enum class Outcome { Ok, NoDatabase, Cancelled, Failed };

    explicit SampleReader(const QString &path);
    ~SampleReader();
    SampleReader(const SampleReader &) = delete;
    SampleReader &operator=(const SampleReader &) = delete;

    // The samples of [from, to] at the resolution for the span and `columns`. `cancelled` is
    // asked now and then; when it says yes the read stops (Outcome::Cancelled).
    Outcome read(qint64 from, qint64 to, int columns, SampleSeries *out, QString *error,
                 const std::function<bool()> &cancelled = {});
    // Every raw sample of [from, to], oldest first.
    Outcome readRaw(qint64 from, qint64 to, const std::function<void(const events::Sample &)> &sink,
                    QString *error, const std::function<bool()> &cancelled = {});
    // Closes the connection (also done by the destructor, which must run on the same thread).
    void close();

private:
    Outcome open(QString *error);
    Outcome readLevel(int level, qint64 from, qint64 to, SampleSeries *out, QString *error,
                      const std::function<bool()> &cancelled);

    QString path;
    QString connection;
};

} // namespace history
