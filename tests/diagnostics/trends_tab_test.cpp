// The Trends tab over ninety days of history written by the writer: a one-second spike at
// every span, the newest request winning, live samples, zoom and reset, a custom range, the
// CSV export and the time axis's labels.
#include "history/recorder.h"
#include "history/writer.h"
#include "support/table.h"
#include "support/wait.h"
#include "ui/diagnostics/tabs.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
QT_CHARTS_USE_NAMESPACE
#endif

using diagnostics::TrendPicture;
using diagnostics::TrendsTab;
using fixture::waitUntil;

namespace {

constexpr qint64 now = 1796000000000;
constexpr qint64 minute = 60 * 1000;
constexpr qint64 hour = 60 * minute;
constexpr qint64 day = 24 * hour;
constexpr qint64 spikeAt = now - 45 * day + 1234000;

events::Sample sample(qint64 at, double in, double dew = 12.0) {
    events::Sample s;
    s.at = at;
    s.waterIn = in;
    s.waterOut = 27.0;
    s.dewPoint = dew;
    return s;
}

double highest(const std::vector<diagnostics::TrendPoint> &points) {
    double v = -INFINITY;
    for (const auto &p : points)
        v = std::max(v, p.value);
    return v;
}

double lowest(const std::vector<diagnostics::TrendPoint> &points) {
    double v = INFINITY;
    for (const auto &p : points)
        v = std::min(v, p.value);
    return v;
}

// A tab on a window of the diagnostics window's size, its clock standing at `now`.
struct Rig {
    QTemporaryDir recorderDir;
    std::unique_ptr<history::Recorder> recorder;
    QWidget window;
    TrendsTab *tab;
    explicit Rig(const QString &database) {
        history::RecorderOptions options;
        options.logDir = recorderDir.path();
        recorder = std::make_unique<history::Recorder>(nullptr, options);
        tab = new TrendsTab(database, *recorder, nullptr, [] { return now; });
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(tab);
        window.resize(1100, 650);
        window.show();
        tab->setActive(true);
    }
    ~Rig() { window.close(); }
    QChart *chart() const { return qobject_cast<QChartView *>(tab->chartView())->chart(); }
    // Waits for a drawn picture that `want` accepts.
    template <typename Want> bool drawn(Want want, int timeoutMs = 10000) {
        return waitUntil([&] { return !tab->isLoading() && want(tab->picture()); }, timeoutMs);
    }
    bool spanDrawn(qint64 span) {
        return drawn([span](const TrendPicture &p) { return p.to - p.from == span; });
    }
};

} // namespace

class TrendsTabTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString database;
    std::vector<events::Sample> written;

private slots:
    // A sample every ten minutes for ninety days, every second for the last two hours and for
    // ten minutes a month and a half ago, with one second of 41.5 °C water and, five seconds
    // later, one of a -3 °C dew point.
    void initTestCase() {
        for (qint64 at = now - 90 * day + 1000; at < now - 2 * hour; at += 10 * minute)
            written.push_back(sample(at, 24 + std::sin(double(at) / 1e9)));
        for (qint64 at = spikeAt - 5 * minute; at < spikeAt + 5 * minute; at += 1000)
            written.push_back(
                sample(at, at == spikeAt ? 41.5 : 25.0, at == spikeAt + 5000 ? -3.0 : 12.0));
        for (qint64 at = now - 2 * hour; at <= now; at += 1000)
            written.push_back(sample(at, 25.5));
        std::sort(written.begin(), written.end(),
                  [](const events::Sample &a, const events::Sample &b) { return a.at < b.at; });
        history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
        history::Batch batch;
        batch.samples = written;
        writer.write(std::move(batch), now);
        database = dir.filePath(QStringLiteral("history.sqlite"));
    }

    void aOneSecondSpikeSurvivesTheNinetyDaySpan_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::newRow("90 days") << int(TrendsTab::NinetyDays) << now - 90 * day << now;
        QTest::newRow("a custom 60 days")
            << int(TrendsTab::Custom) << spikeAt - 30 * day << spikeAt + 30 * day;
    }

    void aOneSecondSpikeSurvivesTheNinetyDaySpan() {
        QFETCH(int, span);
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        Rig rig(database);
        QVERIFY(rig.spanDrawn(10 * minute));
        rig.tab->rangeBox()->setCurrentIndex(span);
        if (span == TrendsTab::Custom) {
            rig.tab->fromBox()->setDateTime(QDateTime::fromMSecsSinceEpoch(from));
            rig.tab->toBox()->setDateTime(QDateTime::fromMSecsSinceEpoch(to));
        }
        QVERIFY(rig.drawn([&](const TrendPicture &p) { return p.from == from && p.to == to; }));
        const TrendPicture &p = rig.tab->picture();
        QVERIFY(p.resolutionMs >= 30 * minute); // read from the rollups, not the samples
        QCOMPARE(highest(p.series[history::WaterIn]), 41.5);
        QCOMPARE(lowest(p.series[history::DewPoint]), -3.0);
        const int columns = rig.tab->chartView()->width();
        for (const auto &series : p.series)
            QVERIFY(series.size() <= size_t(2 * columns));
    }

    void theNewestRequestWinsAndAnOlderOneIsNeverDrawn() {
        Rig rig(database);
        QVERIFY(rig.spanDrawn(10 * minute));
        std::vector<qint64> spans;
        connect(rig.tab, &TrendsTab::pictureShown, rig.tab,
                [&] { spans.push_back(rig.tab->picture().to - rig.tab->picture().from); });
        rig.tab->rangeBox()->setCurrentIndex(TrendsTab::NinetyDays);
        rig.tab->rangeBox()->setCurrentIndex(TrendsTab::Day);
        QVERIFY(rig.spanDrawn(day));
        // The worker answers in order: once the hour is drawn, nothing older can come.
        rig.tab->rangeBox()->setCurrentIndex(TrendsTab::Hour);
        QVERIFY(rig.spanDrawn(hour));
        QCOMPARE(std::count(spans.begin(), spans.end(), 90 * day), 0);
    }

    void newSamplesAppearLiveAtEverySpan_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("10 minutes") << int(TrendsTab::TenMinutes) << 10 * minute;
        QTest::newRow("1 day") << int(TrendsTab::Day) << day;
        QTest::newRow("90 days") << int(TrendsTab::NinetyDays) << 90 * day;
    }

    void newSamplesAppearLiveAtEverySpan() {
        QFETCH(int, span);
        QFETCH(qint64, ms);
        Rig rig(database);
        rig.tab->rangeBox()->setCurrentIndex(span);
        QVERIFY(rig.spanDrawn(ms));
        emit rig.recorder->sampleRecorded(sample(now + 1000, 33.3));
        QVERIFY(rig.drawn(
            [&](const TrendPicture &p) {
                const auto &in = p.series[history::WaterIn];
                // The last column's extremes come low first: the new sample is the last point.
                return p.to == now + 1000 && p.to - p.from == ms && !in.empty() &&
                       in.back().value == 33.3;
            },
            1000));
    }
    void aDraggedRectangleZoomsAndTheResetGoesBackToTheSpan() {
        Rig rig(database);
        rig.tab->rangeBox()->setCurrentIndex(TrendsTab::NinetyDays);
        QVERIFY(rig.spanDrawn(90 * day));
        // A thin rectangle in the middle of the plot: a couple of hours, read raw.
        QChart *chart = rig.chart();
        const QRectF plot = chart->plotArea();
        chart->zoomIn(
            QRectF(plot.left() + plot.width() / 2, plot.top(), plot.width() / 1000, plot.height()));
        QVERIFY(rig.drawn([](const TrendPicture &p) { return p.to - p.from < 6 * hour; }));
        const TrendPicture zoomed = rig.tab->picture();
        QCOMPARE(zoomed.resolutionMs, qint64(0));
        QVERIFY(std::abs(zoomed.from - (now - 45 * day)) < hour);
        rig.tab->resetButton()->click();
        QVERIFY(rig.spanDrawn(90 * day));
        QCOMPARE(rig.tab->picture().to, now);
        QVERIFY(rig.tab->picture().resolutionMs >= hour);
    }

    void aWiderChartIsReducedAgainAndReadAtFinerIntervals() {
        Rig rig(database);
        rig.tab->chartView()->setFixedWidth(300);
        QVERIFY(waitUntil([&] { return rig.chart()->plotArea().width() < 300; }));
        rig.tab->rangeBox()->setCurrentIndex(TrendsTab::NinetyDays);
        QVERIFY(rig.spanDrawn(90 * day));
        const qint64 narrow = rig.tab->picture().resolutionMs;
        QVERIFY(narrow > hour);
        rig.tab->chartView()->setMaximumWidth(QWIDGETSIZE_MAX);
        rig.tab->chartView()->setMinimumWidth(0);
        // The diagnostics window's batch tick notices the new width.
        QVERIFY(rig.drawn([&](const TrendPicture &p) {
            rig.tab->tick();
            return p.resolutionMs == hour;
        }));
        QCOMPARE(highest(rig.tab->picture().series[history::WaterIn]), 41.5);
    }

    void anInvertedCustomRangeIsRefusedWithAWord() {
        Rig rig(database);
        rig.tab->rangeBox()->setCurrentIndex(TrendsTab::Custom);
        rig.tab->fromBox()->setDateTime(QDateTime::fromMSecsSinceEpoch(now - day));
        rig.tab->toBox()->setDateTime(QDateTime::fromMSecsSinceEpoch(now - 2 * day));
        QVERIFY(waitUntil(
            [&] { return rig.tab->messageText() == QStringLiteral("起始时间须早于结束时间"); }));
    }

    void theCsvHoldsRawSamplesUpToADayAndIntervalsBeyond_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("first");
        QTest::newRow("1 day: samples")
            << int(TrendsTab::Day) << day
            << QStringLiteral("时间,at_ms,T3温度(C),T4温度(C),露点温度(C)");
        QTest::newRow("90 days: hours")
            << int(TrendsTab::NinetyDays) << 90 * day << QStringLiteral("# resolution: 3600 s");
    }

    void theCsvHoldsRawSamplesUpToADayAndIntervalsBeyond() {
        QFETCH(int, span);
        QFETCH(qint64, ms);
        QFETCH(QString, first);
        Rig rig(database);
        rig.tab->rangeBox()->setCurrentIndex(span);
        QVERIFY(rig.spanDrawn(ms));
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("trends.csv"));
        QString error = QStringLiteral("not yet");
        connect(rig.tab, &TrendsTab::exported, rig.tab,
                [&](const QString &, const QString &e) { error = e; });
        rig.tab->exportCsv(path);
        QVERIFY(waitUntil([&] { return error != QStringLiteral("not yet"); }));
        QCOMPARE(error, QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), first);
        if (span == TrendsTab::Day) {
            const auto inSpan = std::count_if(written.begin(), written.end(), [&](const auto &s) {
                return s.at >= now - day && s.at <= now;
            });
            QCOMPARE(lines.size(), 1 + int(inSpan));
            QVERIFY(lines.last().endsWith(QStringLiteral(",25.50,27.00,12.00")));
        } else {
            QCOMPARE(lines.value(1).section(QLatin1Char(','), 2, 4),
                     QStringLiteral("T3温度(C) 最小,T3温度(C) 最大,T3温度(C) 平均"));
            QCOMPARE(lines.filter(QStringLiteral(",41.50,")).size(), 1);
            // The program's own numbers stay numbers: no quote before a minus.
            QCOMPARE(lines.filter(QStringLiteral(",-3.00,")).size(), 1);
            QVERIFY(lines.size() <= 2 + 90 * 24 + 1);
        }
    }

    void theTimeAxisLabelsFitTheSpan_data() {
        QTest::addColumn<qint64>("span");
        QTest::addColumn<QString>("format");
        QTest::newRow("10 minutes") << 10 * minute << QStringLiteral("HH:mm:ss");
        QTest::newRow("1 hour") << hour << QStringLiteral("HH:mm");
        QTest::newRow("1 day") << day << QStringLiteral("HH:mm");
        QTest::newRow("3 days") << 3 * day << QStringLiteral("MM-dd HH:mm");
        QTest::newRow("1 week") << 7 * day << QStringLiteral("MM-dd HH:mm");
        QTest::newRow("30 days") << 30 * day << QStringLiteral("yyyy-MM-dd");
        QTest::newRow("90 days") << 90 * day << QStringLiteral("yyyy-MM-dd");
    }

    void theTimeAxisLabelsFitTheSpan() {
        QFETCH(qint64, span);
        QFETCH(QString, format);
        QCOMPARE(TrendsTab::timeFormat(span), format);
    }

    // A first run (no database yet) or a read that fails: the span still follows the samples.
    void aTabWithNothingToReadStillFollowsNewSamples_data() {
        fixture::column<bool>("unreadable", {{"no database yet", false}, {"a read fails", true}});
    }
    void aTabWithNothingToReadStillFollowsNewSamples() {
        QFETCH(bool, unreadable);
        QTemporaryDir empty;
        const QString path = empty.filePath(QStringLiteral("history.sqlite"));
        QFile garbage(path);
        QVERIFY(!unreadable ||
                (garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(8192, 'x')) > 0));
        garbage.close();
        Rig rig(path);
        QVERIFY(rig.drawn(
            [](const TrendPicture &p) { return p.outcome != history::SampleReader::Outcome::Ok; }));
        emit rig.recorder->sampleRecorded(sample(now + 1000, 33.3));
        QVERIFY(rig.drawn([](const TrendPicture &p) {
            const auto &in = p.series[history::WaterIn];
            return !in.empty() && in.back().value == 33.3;
        }));
        // The samples drawn, the history's state stays said as what it is.
        QVERIFY2(unreadable ? rig.tab->messageText().contains(QStringLiteral("not a database"))
                            : rig.tab->messageText().isEmpty(),
                 qPrintable(rig.tab->messageText()));
    }

    void withoutADatabaseTheTabSaysThereIsNoHistoryYet() {
        QTemporaryDir empty;
        Rig rig(empty.filePath(QStringLiteral("history.sqlite")));
        QVERIFY(rig.drawn([](const TrendPicture &p) {
            return p.outcome == history::SampleReader::Outcome::NoDatabase;
        }));
        QCOMPARE(rig.tab->messageText(), QStringLiteral("尚无历史记录"));
    }
};

QTEST_MAIN(TrendsTabTest)
#include "trends_tab_test.moc"
