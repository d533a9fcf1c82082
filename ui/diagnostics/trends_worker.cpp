#include "ui/diagnostics/trends_worker.h"

#include "ui/diagnostics/durations.h"

#include "ui/diagnostics/csv.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/texts.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMutexLocker>

#include <cmath>

namespace diagnostics {

namespace {

using events::Sample;
using history::Bucket;
using history::SampleReader;
using history::SampleSeries;

// Samples seen live that the writer may not have committed when a read starts (it commits
// once a second).
constexpr size_t recentKept = 16;

// The chart's legend, as the header of the exported columns.
const char *const seriesNames[] = {QT_TRANSLATE_NOOP("Diagnostics", "T3温度(C)"),
                                   QT_TRANSLATE_NOOP("Diagnostics", "T4温度(C)"),
                                   QT_TRANSLATE_NOOP("Diagnostics", "露点温度(C)")};

QString number(double v) {
    return std::isnan(v) ? QString() : QString::number(v, 'f', 2);
}

} // namespace

void reduceSeries(const SampleSeries &series, qint64 from, qint64 to, int columns,
                  TrendPicture *picture) {
    std::vector<TrendPoint> points;
    for (int k = 0; k < history::SeriesCount; ++k) {
        points.clear();
        points.reserve(series.buckets.size() * 2);
        for (const Bucket &b : series.buckets) {
            if (b.count[k] == 0)
                continue;
            points.push_back({b.at, b.low[k]});
            if (b.high[k] != b.low[k])
                points.push_back({b.at, b.high[k]});
        }
        picture->series[k] = reduceToColumns(points, from, to, columns);
    }
}

// The temperatures are the program's own numbers: written as they are (csvRecord), so that a
// minus stays a number; the time text goes through csvField like any text.
QString samplesCsv(const std::vector<Sample> &samples) {
    QStringList header = {Texts::tr("时间"), QStringLiteral("at_ms")};
    for (const char *name : seriesNames)
        header << Texts::tr(name);
    QString text = csvLine(header);
    for (const Sample &s : samples)
        text += csvRecord({csvField(EventModel::timeText(s.at)), QString::number(s.at),
                           number(s.waterIn), number(s.waterOut), number(s.dewPoint)});
    return text;
}

QString seriesCsv(const SampleSeries &series) {
    QString text = QStringLiteral("# resolution: %1 s\r\n")
                       .arg(std::max<qint64>(series.resolutionMs, 1000) / 1000);
    QStringList header = {Texts::tr("时间"), QStringLiteral("at_ms")};
    const QString low = Texts::tr("%1 最小");
    const QString high = Texts::tr("%1 最大");
    const QString mean = Texts::tr("%1 平均");
    for (const char *name : seriesNames) {
        const QString series = Texts::tr(name);
        header << low.arg(series) << high.arg(series) << mean.arg(series);
    }
    text += csvLine(header);
    for (const Bucket &b : series.buckets) {
        QStringList fields = {csvField(EventModel::timeText(b.at)), QString::number(b.at)};
        for (int k = 0; k < history::SeriesCount; ++k) {
            const bool any = b.count[k] > 0;
            fields << (any ? number(b.low[k]) : QString()) << (any ? number(b.high[k]) : QString())
                   << number(b.mean(k));
        }
        text += csvRecord(fields);
    }
    return text;
}

TrendsWorker::TrendsWorker(const QString &databasePath, std::function<qint64()> clock)
    : clock(std::move(clock)), logDir(QFileInfo(databasePath).path()), reader(databasePath) {
    qRegisterMetaType<diagnostics::TrendPicture>();
}

qint64 TrendsWorker::now() const {
    return clock ? clock() : QDateTime::currentMSecsSinceEpoch();
}

void TrendsWorker::want(const TrendRequest &request) {
    {
        QMutexLocker lock(&mutex);
        wanted = request;
    }
    wantedId.store(request.id);
    QMetaObject::invokeMethod(
        this, [this] { serve(); }, Qt::QueuedConnection);
}

void TrendsWorker::forget() {
    {
        QMutexLocker lock(&mutex);
        wanted = TrendRequest();
    }
    wantedId.store(0);
    QMetaObject::invokeMethod(
        this,
        [this] {
            holding = false;
            shown = TrendRequest();
            series = SampleSeries();
            series.buckets.shrink_to_fit();
            recent.clear();
        },
        Qt::QueuedConnection);
}

void TrendsWorker::addSample(const Sample &sample) {
    QMetaObject::invokeMethod(
        this,
        [this, sample] {
            recent.push_back(sample);
            if (recent.size() > recentKept)
                recent.pop_front();
            if (!holding || !shown.live())
                return;
            series.addNewer(sample);
            series.to = std::max(now(), sample.at);
            series.dropBefore(series.to - shown.span);
            sendPicture();
        },
        Qt::QueuedConnection);
}

void TrendsWorker::serve() {
    TrendRequest r;
    {
        QMutexLocker lock(&mutex);
        r = wanted;
    }
    // Several calls may be queued for one request; a forgotten one has id 0.
    if (r.id == 0 || (holding && r.id == shown.id))
        return;
    // Only the columns changed (the chart was resized): the data held serves again, unless
    // the new width wants finer intervals.
    const bool sameData =
        holding && r.span == shown.span &&
        (r.live() || (r.from == shown.from && r.to == shown.to)) &&
        SampleReader::resolutionFor(series.to - series.from, r.columns) == series.resolutionMs;
    shown = r;
    if (!sameData) {
        holding = false;
        const qint64 to = r.live() ? now() : r.to;
        const qint64 from = r.live() ? to - r.span : r.from;
        SampleSeries read;
        QString error;
        const SampleReader::Outcome outcome = reader.read(
            from, to, r.columns, &read, &error, [this, id = r.id] { return wantedId != id; });
        if (outcome == SampleReader::Outcome::Cancelled)
            return; // the newer request is queued behind this call
        if (outcome != SampleReader::Outcome::Ok) {
            TrendPicture p;
            p.id = r.id;
            p.from = from;
            p.to = to;
            p.outcome = outcome;
            p.error = error;
            emit pictureReady(p);
            if (!r.live())
                return;
            // Nothing to read (no database yet) or the read failed: the span still follows the
            // samples that come, from nothing.
            read = SampleSeries();
            read.from = from;
            read.to = to;
            read.resolutionMs = SampleReader::resolutionFor(r.span, r.columns);
        }
        series = std::move(read);
        for (const Sample &s : recent)
            if (r.live() || s.at <= to)
                series.addNewer(s);
        series.to = std::max(series.to, r.live() ? series.newestSampleAt : to);
        holding = true;
        if (outcome != SampleReader::Outcome::Ok) {
            if (!series.buckets.empty())
                sendPicture();
            return;
        }
    }
    sendPicture();
}

void TrendsWorker::sendPicture() {
    TrendPicture p;
    p.id = shown.id;
    p.from = series.from;
    p.to = series.to;
    p.resolutionMs = series.resolutionMs;
    p.gapMs = gapFor(series.resolutionMs, p.to - p.from, shown.columns);
    reduceSeries(series, p.from, p.to, shown.columns, &p);
    emit pictureReady(p);
}

void TrendsWorker::exportCsv(const QString &path) {
    if (const QString refused = exportRefusal(path, logDir); !refused.isEmpty()) {
        emit exported(path, refused);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, path] { writeCsv(path); }, Qt::QueuedConnection);
}

void TrendsWorker::writeCsv(const QString &path) {
    QString text;
    QString error;
    if (holding && series.to - series.from <= dayMs) {
        std::vector<Sample> samples;
        const auto keep = [&samples](const Sample &s) { samples.push_back(s); };
        if (reader.readRaw(series.from, series.to, keep, &error) != SampleReader::Outcome::Failed)
            for (const Sample &s : recent)
                if (s.at <= series.to && (samples.empty() || s.at > samples.back().at))
                    samples.push_back(s);
        text = samplesCsv(samples);
    } else {
        text = holding ? seriesCsv(series) : samplesCsv({});
    }
    if (error.isEmpty())
        writeTextFile(path, text, &error);
    emit exported(path, error);
}

void TrendsWorker::exportPng(const QImage &image, const QString &path) {
    if (const QString refused = exportRefusal(path, logDir); !refused.isEmpty()) {
        emit exported(path, refused);
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, image, path] {
            emit exported(path,
                          image.save(path, "PNG") ? QString() : Texts::tr("无法写入 %1").arg(path));
        },
        Qt::QueuedConnection);
}

} // namespace diagnostics

#include "moc_trends_worker.cpp"
