#include "history/recorder.h"

#include "ui/diagnostics/durations.h"
#include "ui/diagnostics/tabs.h"
#include "ui/diagnostics/texts.h"

#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts>

#include <cmath>

// Qt 5 keeps the chart classes in a namespace of their own; Qt 6 has them beside the others.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
QT_CHARTS_USE_NAMESPACE
#endif

namespace diagnostics {

namespace {

const qint64 spans[] = {10 * minuteMs, hourMs, dayMs, 7 * dayMs, 30 * dayMs, 90 * dayMs, 0};

} // namespace

// The chart: three line series over a time axis; a rectangle dragged on it zooms.
class TrendChart : public QChartView {
public:
    TrendChart() : QChartView(new QChart) {
        setRenderHint(QPainter::Antialiasing, false);
        setRubberBand(QChartView::RectangleRubberBand);
        chart()->legend()->setAlignment(Qt::AlignTop);
        for (QLineSeries *&s : series) {
            s = new QLineSeries;
            chart()->addSeries(s);
        }
        time = new QDateTimeAxis;
        time->setTickCount(7);
        value = new QValueAxis;
        value->setLabelFormat(QStringLiteral("%.1f"));
        chart()->addAxis(time, Qt::AlignBottom);
        chart()->addAxis(value, Qt::AlignLeft);
        for (QLineSeries *s : series) {
            s->attachAxis(time);
            s->attachAxis(value);
        }
    }
    // The i-th piece of series k: the series itself, then pieces of the same colour, out of
    // the legend, for what follows each gap.
    QLineSeries *piece(int k, size_t i) {
        if (i == 0)
            return series[k];
        while (pieces[k].size() < i) {
            auto *s = new QLineSeries;
            chart()->addSeries(s);
            s->attachAxis(time);
            s->attachAxis(value);
            s->setPen(series[k]->pen());
            for (QLegendMarker *marker : chart()->legend()->markers(s))
                marker->setVisible(false);
            pieces[k].push_back(s);
        }
        return pieces[k][i - 1];
    }
    // Draws `points` of series k as lines broken at every step longer than `gapMs` (none when
    // it is 0). Past a limit on pieces, the rest is one line.
    void draw(int k, const QVector<QPointF> &points, qint64 gapMs) {
        constexpr size_t mostPieces = 256;
        size_t used = 0;
        int begin = 0;
        for (int i = 1; i <= points.size(); ++i) {
            const bool cut = i == points.size() || (gapMs > 0 && used + 1 < mostPieces &&
                                                    points[i].x() - points[i - 1].x() > gapMs);
            if (cut) {
                piece(k, used++)->replace(points.mid(begin, i - begin));
                begin = i;
            }
        }
        for (size_t i = used; i <= pieces[k].size(); ++i)
            if (piece(k, i)->count() > 0)
                piece(k, i)->clear();
    }
    void clear() {
        for (int k = 0; k < history::SeriesCount; ++k)
            draw(k, {}, 0);
    }
    QLineSeries *series[history::SeriesCount];
    std::vector<QLineSeries *> pieces[history::SeriesCount];
    QDateTimeAxis *time;
    QValueAxis *value;
    QPointF valueRange; // the range last asked for, before rounding to nice numbers
};

QString TrendsTab::timeFormat(qint64 spanMs) {
    if (spanMs <= 30 * minuteMs)
        return QStringLiteral("HH:mm:ss");
    if (spanMs <= 36 * hourMs)
        return QStringLiteral("HH:mm");
    if (spanMs <= 10 * dayMs)
        return QStringLiteral("MM-dd HH:mm");
    return QStringLiteral("yyyy-MM-dd");
}

TrendsTab::TrendsTab(const QString &path, history::Recorder &recorder, QWidget *parent,
                     std::function<qint64()> clock)
    : DiagnosticsTab(parent), thread(new QThread(this)),
      worker(new TrendsWorker(path, std::move(clock))), chart(new TrendChart), range(new QComboBox),
      fromEdit(new QDateTimeEdit), toEdit(new QDateTimeEdit), reset(new QPushButton),
      rangeLabel(new QLabel), toLabel(new QLabel), message(new QLabel), pngButton(new QPushButton),
      csvButton(new QPushButton), editing(new QTimer(this)) {
    for (qint64 ms : spans)
        range->addItem(QString(), ms);
    for (QDateTimeEdit *edit : {fromEdit, toEdit}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        edit->setEnabled(false);
        connect(edit, &QDateTimeEdit::dateTimeChanged, this, [this] {
            if (range->currentIndex() == Custom)
                editing->start();
        });
    }
    // A range being typed is read once the typing pauses.
    editing->setSingleShot(true);
    editing->setInterval(500);
    connect(editing, &QTimer::timeout, this, [this] {
        zoomed = false;
        load();
    });

    auto *controls = new QHBoxLayout;
    controls->addWidget(rangeLabel);
    controls->addWidget(range);
    controls->addWidget(fromEdit);
    controls->addWidget(toLabel);
    controls->addWidget(toEdit);
    controls->addWidget(reset);
    controls->addWidget(message, 1);
    controls->addWidget(pngButton);
    controls->addWidget(csvButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(chart, 1);

    worker->moveToThread(thread);
    // The reader's connection belongs to the worker thread: closed there, as it ends.
    connect(
        thread, &QThread::finished, worker, [w = worker] { w->closeDatabase(); },
        Qt::DirectConnection);
    connect(worker, &TrendsWorker::pictureReady, this, &TrendsTab::pictureArrived);
    connect(worker, &TrendsWorker::exported, this, [this](const QString &file, const QString &e) {
        message->setText(e.isEmpty() ? Texts::tr("已导出 %1").arg(file)
                                     : Texts::tr("导出失败: %1").arg(e));
        emit exported(file, e);
    });
    connect(chart->time, &QDateTimeAxis::rangeChanged, this,
            [this](const QDateTime &from, const QDateTime &to) {
                timeAxisChanged(from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch());
            });

    connect(range, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        const bool custom = index == Custom;
        fromEdit->setEnabled(custom);
        toEdit->setEnabled(custom);
        zoomed = false;
        load();
    });
    connect(reset, &QPushButton::clicked, this, &TrendsTab::resetZoom);
    // Cheap while hidden: the slot returns at once.
    connect(&recorder, &history::Recorder::sampleRecorded, this, [this](const events::Sample &s) {
        if (active)
            worker->addSample(s);
    });
    connect(pngButton, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getSaveFileName(this, Texts::tr("导出PNG"), QStringLiteral("trends.png"),
                                         QStringLiteral("PNG (*.png)"));
        if (!file.isEmpty())
            exportPng(file);
    });
    connect(csvButton, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getSaveFileName(this, Texts::tr("导出CSV"), QStringLiteral("trends.csv"),
                                         QStringLiteral("CSV (*.csv)"));
        if (!file.isEmpty())
            exportCsv(file);
    });
    retranslate();
}

TrendsTab::~TrendsTab() {
    worker->forget();
    thread->quit();
    thread->wait();
    delete worker;
}

QWidget *TrendsTab::chartView() const {
    return chart;
}

QString TrendsTab::messageText() const {
    return message->text();
}

void TrendsTab::setActive(bool on) {
    if (on == active)
        return;
    active = on;
    if (active) {
        if (!thread->isRunning())
            thread->start();
        load();
        return;
    }
    worker->forget();
    editing->stop();
    loading = false;
    drawn = TrendPicture();
    chart->clear();
}

int TrendsTab::columns() const {
    return std::max(1, int(chart->chart()->plotArea().width()));
}

void TrendsTab::load() {
    if (!active)
        return;
    TrendRequest r;
    r.id = ++requests;
    r.columns = columns();
    if (zoomed) {
        r.from = zoomFrom;
        r.to = zoomEnd;
    } else if (range->currentIndex() == Custom) {
        r.from = fromEdit->dateTime().toMSecsSinceEpoch();
        r.to = toEdit->dateTime().toMSecsSinceEpoch();
        if (r.from >= r.to) {
            message->setText(Texts::tr("起始时间须早于结束时间"));
            return;
        }
    } else {
        r.span = range->currentData().toLongLong();
    }
    wanted = r;
    loading = true;
    message->setText(Texts::tr("正在读取..."));
    worker->want(r);
}

void TrendsTab::tick() {
    // A resized chart is reduced again from what the worker holds.
    if (active && !loading && columns() != wanted.columns) {
        wanted.id = ++requests;
        wanted.columns = columns();
        worker->want(wanted);
    }
}

void TrendsTab::zoomTo(qint64 from, qint64 to) {
    if (from >= to)
        return;
    zoomed = true;
    zoomFrom = from;
    zoomEnd = to;
    showRange(from, to);
    load();
}

void TrendsTab::resetZoom() {
    zoomed = false;
    chart->valueRange = QPointF(); // the rectangle changed the value axis
    load();
}

void TrendsTab::timeAxisChanged(qint64 from, qint64 to) {
    // Only the operator's zoom (a rectangle, or the right button's zoom out) asks for data.
    if (settingAxes || !active)
        return;
    zoomTo(from, to);
}

void TrendsTab::showRange(qint64 from, qint64 to) {
    if (range->currentIndex() == Custom && !zoomed)
        return; // the operator's own values
    const QSignalBlocker fromBlock(fromEdit), toBlock(toEdit);
    fromEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(from));
    toEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(to));
}

void TrendsTab::pictureArrived(const TrendPicture &picture) {
    // An answer to an older request, or one that came in after the tab was hidden.
    if (!active || picture.id != wanted.id)
        return;
    loading = false;
    drawn = picture;
    switch (picture.outcome) {
    case history::SampleReader::Outcome::NoDatabase:
        message->setText(Texts::tr("尚无历史记录"));
        break;
    case history::SampleReader::Outcome::Failed:
        message->setText(picture.error);
        break;
    default:
        // Samples have come since there was no history to read.
        if (message->text() == Texts::tr("正在读取...") ||
            message->text() == Texts::tr("尚无历史记录"))
            message->clear();
    }
    double low = INFINITY, high = -INFINITY;
    for (int k = 0; k < history::SeriesCount; ++k) {
        QVector<QPointF> points;
        points.reserve(int(picture.series[k].size()));
        for (const TrendPoint &p : picture.series[k]) {
            points.append(QPointF(double(p.at), p.value));
            low = std::min(low, p.value);
            high = std::max(high, p.value);
        }
        chart->draw(k, points, picture.gapMs);
    }
    settingAxes = true;
    chart->time->setRange(QDateTime::fromMSecsSinceEpoch(picture.from),
                          QDateTime::fromMSecsSinceEpoch(picture.to));
    // Unchanged settings are left alone: each change lays the chart out again.
    const QString format = timeFormat(picture.to - picture.from);
    if (chart->time->format() != format)
        chart->time->setFormat(format);
    // A rectangle's value range stays until the reset.
    if (!zoomed) {
        if (low > high) {
            low = 0;
            high = 40;
        }
        const double pad = std::max(0.5, (high - low) * 0.05);
        const QPointF wantedRange(std::floor(low - pad), std::ceil(high + pad));
        if (chart->valueRange != wantedRange) {
            chart->valueRange = wantedRange;
            chart->value->setRange(wantedRange.x(), wantedRange.y());
            chart->value->applyNiceNumbers(); // labels at round values
        }
    }
    settingAxes = false;
    showRange(picture.from, picture.to);
    emit pictureShown();
}

void TrendsTab::exportCsv(const QString &path) {
    worker->exportCsv(path);
}

void TrendsTab::exportPng(const QString &path) {
    worker->exportPng(chart->grab().toImage(), path);
}

void TrendsTab::retranslate() {
    const char *const names[] = {QT_TRANSLATE_NOOP("Diagnostics", "最近10分钟"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近一小时"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近一天"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近一周"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近30天"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近90天"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "自定义")};
    for (int i = 0; i < range->count(); ++i)
        range->setItemText(i, Texts::tr(names[i]));
    rangeLabel->setText(Texts::tr("时段:"));
    toLabel->setText(Texts::tr("至"));
    reset->setText(Texts::tr("复位"));
    pngButton->setText(Texts::tr("导出PNG..."));
    csvButton->setText(Texts::tr("导出CSV..."));
    chart->series[0]->setName(Texts::tr("T3温度(C)"));
    chart->series[1]->setName(Texts::tr("T4温度(C)"));
    chart->series[2]->setName(Texts::tr("露点温度(C)"));
}

} // namespace diagnostics
