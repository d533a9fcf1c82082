#pragma once

#include "events/records.h"
#include "history/sample_reader.h"
#include "ui/diagnostics/series_reduction.h"

#include <QImage>
#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <vector>

namespace diagnostics {

// What the chart asks for: the last `span` ms up to now, following new samples (live), or the
// fixed range [from, to]; reduced to `columns` pixel columns.
struct TrendRequest {
    quint64 id = 0;
    qint64 span = 0; // > 0: live
    qint64 from = 0;
    qint64 to = 0;
    int columns = 1;
    bool live() const { return span > 0; }
};

// The three series of a request as drawn, and how they were read.
struct TrendPicture {
    quint64 id = 0;
    qint64 from = 0;
    qint64 to = 0;
    qint64 resolutionMs = 0; // 0: raw samples; 60000: the per-minute table
    qint64 gapMs = 0;        // a longer step between two points is drawn as a gap (gapFor)
    history::SampleReader::Outcome outcome = history::SampleReader::Outcome::Ok;
    QString error;
    std::vector<TrendPoint> series[history::SeriesCount];
};

// The extremes of each column of every series, as reduceToColumns keeps them: a bucket brings
// its minimum and its maximum, so a one-second spike in a minute survives any span.
void reduceSeries(const history::SampleSeries &series, qint64 from, qint64 to, int columns,
                  TrendPicture *picture);

// The CSV of a span: for spans up to a day the raw samples, longer ones the buckets read
// (minimum, maximum and mean of each), the resolution in the first line.
QString seriesCsv(const history::SampleSeries &series);
QString samplesCsv(const std::vector<events::Sample> &samples);

// Reads and reduces the trends on a thread of its own (the caller moves it there); the GUI
// thread only asks and draws what comes back. A newer request makes an older one that is still
// reading stop. While a live request is shown, each new sample is folded in and the picture
// sent again. Never keeps a read transaction between two requests.
class TrendsWorker : public QObject {
    Q_OBJECT
public:
    // `clock`: wall clock in ms since 1970 (tests pass their own).
    explicit TrendsWorker(const QString &databasePath, std::function<qint64()> clock = {});

    // --- any thread ---
    void want(const TrendRequest &request);
    void addSample(const events::Sample &sample);
    // Drops what is held and stops any read (the tab is hidden).
    void forget();
    // Writes the CSV of the picture last sent (see seriesCsv), or a PNG of `image`.
    void exportCsv(const QString &path);
    void exportPng(const QImage &image, const QString &path);

    // --- the worker thread, as it ends ---
    void closeDatabase() { reader.close(); }

signals:
    void pictureReady(const diagnostics::TrendPicture &picture);
    void exported(const QString &path, const QString &error);

private:
    void serve();
    void sendPicture();
    void writeCsv(const QString &path);
    qint64 now() const;

    std::function<qint64()> clock;
    QString logDir; // exports never replace a file there
    history::SampleReader reader;
    QMutex mutex;
    TrendRequest wanted;              // guarded by mutex
    std::atomic<quint64> wantedId{0}; // read by a running read to see whether it is stale
    // Worker thread only:
    TrendRequest shown;
    bool holding = false;
    history::SampleSeries series;
    std::deque<events::Sample> recent; // the last samples seen, which may not be committed yet
};

} // namespace diagnostics

Q_DECLARE_METATYPE(diagnostics::TrendPicture)
