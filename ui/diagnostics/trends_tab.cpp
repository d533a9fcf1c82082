#include "history/recorder.h"
#include "ui/diagnostics/csv.h"
#include "ui/diagnostics/tabs.h"
#include "ui/diagnostics/texts.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <QtCharts>

#include <cmath>

// Qt 5 keeps the chart classes in a namespace of their own; Qt 6 has them beside the others.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
QT_CHARTS_USE_NAMESPACE
#endif

namespace diagnostics {

namespace {

constexpr qint64 minuteMs = 60 * 1000;
const qint64 spans[] = {10 * minuteMs, 60 * minuteMs, 24 * 60 * minuteMs, 7 * 24 * 60 * minuteMs};

double field(const QVariant &v) {
    return v.isNull() ? std::nan("") : v.toDouble();
}

QString number(double v) {
    return std::isnan(v) ? QString() : QString::number(v, 'f', 2);
}

} // namespace

// The chart: three line series over a time axis.
class TrendChart : public QChartView {
public:
    TrendChart() : QChartView(new QChart) {
        setRenderHint(QPainter::Antialiasing, false);
        chart()->legend()->setAlignment(Qt::AlignTop);
        for (QLineSeries *&s : series) {
            s = new QLineSeries;
            chart()->addSeries(s);
        }
        time = new QDateTimeAxis;
        value = new QValueAxis;
        value->setLabelFormat(QStringLiteral("%.1f"));
        chart()->addAxis(time, Qt::AlignBottom);
        chart()->addAxis(value, Qt::AlignLeft);
        for (QLineSeries *s : series) {
            s->attachAxis(time);
            s->attachAxis(value);
        }
    }
    QLineSeries *series[3];
    QDateTimeAxis *time;
    QValueAxis *value;
};

TrendsTab::TrendsTab(const QString &path, history::Recorder &recorder, QWidget *parent)
    : DiagnosticsTab(parent), databasePath(path),
      connection(QStringLiteral("diagnostics-samples-%1").arg(quintptr(this), 0, 16)),
      chart(new TrendChart), range(new QComboBox), rangeLabel(new QLabel), message(new QLabel),
      pngButton(new QPushButton), csvButton(new QPushButton) {
    for (qint64 ms : spans)
        range->addItem(QString(), ms);

    auto *controls = new QHBoxLayout;
    controls->addWidget(rangeLabel);
    controls->addWidget(range);
    controls->addWidget(message, 1);
    controls->addWidget(pngButton);
    controls->addWidget(csvButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(chart, 1);

    connect(range, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] { load(); });
    // Cheap while hidden: the slot returns at once.
    connect(&recorder, &history::Recorder::sampleRecorded, this, &TrendsTab::sampleArrived);
    connect(pngButton, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getSaveFileName(this, Texts::tr("导出PNG"), QStringLiteral("trends.png"),
                                         QStringLiteral("PNG (*.png)"));
        QString error;
        if (!file.isEmpty() && !exportPng(file, &error))
            message->setText(Texts::tr("导出失败: %1").arg(error));
    });
    connect(csvButton, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getSaveFileName(this, Texts::tr("导出CSV"), QStringLiteral("trends.csv"),
                                         QStringLiteral("CSV (*.csv)"));
        QString error;
        if (!file.isEmpty() && !exportCsv(file, &error))
            message->setText(Texts::tr("导出失败: %1").arg(error));
    });
    retranslate();
}

TrendsTab::~TrendsTab() {
    if (QSqlDatabase::contains(connection)) {
        QSqlDatabase::database(connection, false).close();
        QSqlDatabase::removeDatabase(connection);
    }
}

qint64 TrendsTab::span() const {
    return range->currentData().toLongLong();
}

void TrendsTab::setActive(bool on) {
    if (on == active)
        return;
    active = on;
    if (active) {
        load();
    } else {
        samples.clear();
        samples.shrink_to_fit();
        for (QLineSeries *s : chart->series)
            s->clear();
    }
}

void TrendsTab::load() {
    samples.clear();
    dirty = true;
    if (!active)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    message->clear();
    if (!QFileInfo(databasePath).isFile()) {
        message->setText(Texts::tr("尚无历史记录"));
        redraw();
        return;
    }
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (!db.isOpen()) {
        db.setDatabaseName(databasePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.open()) {
            message->setText(db.lastError().text());
            redraw();
            return;
        }
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT at, water_in, water_out, dew_point FROM samples "
                                 "WHERE at >= ? ORDER BY at"));
    query.addBindValue(now - span());
    if (!query.exec()) {
        message->setText(query.lastError().text());
    } else {
        while (query.next()) {
            history::Sample s;
            s.at = query.value(0).toLongLong();
            s.waterIn = field(query.value(1));
            s.waterOut = field(query.value(2));
            s.dewPoint = field(query.value(3));
            samples.push_back(s);
        }
    }
    redraw();
}

void TrendsTab::sampleArrived(const history::Sample &sample) {
    if (!active)
        return;
    // The writer commits once a second: a sample may be in the table already.
    if (!samples.empty() && sample.at <= samples.back().at)
        return;
    samples.push_back(sample);
    dirty = true;
}

void TrendsTab::tick() {
    if (!active)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const int width = int(chart->chart()->plotArea().width());
    // Live, but a week of samples is reduced at most once a second.
    if ((dirty || width != drawnWidth) && now - lastDraw >= 1000)
        redraw();
}

void TrendsTab::redraw() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 from = now - span();
    // Samples that have left the span are dropped.
    size_t first = 0;
    while (first < samples.size() && samples[first].at < from)
        ++first;
    if (first > 0)
        samples.erase(samples.begin(), samples.begin() + ptrdiff_t(first));

    const int columns = std::max(1, int(chart->chart()->plotArea().width()));
    double low = INFINITY, high = -INFINITY;
    for (int k = 0; k < 3; ++k) {
        std::vector<TrendPoint> points;
        points.reserve(samples.size());
        for (const history::Sample &s : samples)
            points.push_back({s.at, k == 0 ? s.waterIn : k == 1 ? s.waterOut : s.dewPoint});
        const std::vector<TrendPoint> reduced = reduceToColumns(points, from, now, columns);
        QVector<QPointF> drawn;
        drawn.reserve(int(reduced.size()));
        for (const TrendPoint &p : reduced) {
            drawn.append(QPointF(double(p.at), p.value));
            low = std::min(low, p.value);
            high = std::max(high, p.value);
        }
        chart->series[k]->replace(drawn);
    }
    chart->time->setRange(QDateTime::fromMSecsSinceEpoch(from),
                          QDateTime::fromMSecsSinceEpoch(now));
    chart->time->setFormat(span() > 24 * 60 * minuteMs ? QStringLiteral("MM-dd HH:mm")
                                                       : QStringLiteral("HH:mm"));
    if (low > high) {
        low = 0;
        high = 40;
    }
    const double pad = std::max(0.5, (high - low) * 0.05);
    chart->value->setRange(std::floor(low - pad), std::ceil(high + pad));
    dirty = false;
    lastDraw = now;
    drawnWidth = columns;
}

std::vector<int> TrendsTab::drawnPoints() const {
    std::vector<int> out;
    for (const QLineSeries *s : chart->series)
        out.push_back(s->count());
    return out;
}

bool TrendsTab::exportCsv(const QString &path, QString *error) const {
    QString text = csvLine({Texts::tr("时间"), QStringLiteral("at_ms"), Texts::tr("T3温度(C)"),
                            Texts::tr("T4温度(C)"), Texts::tr("露点温度(C)")});
    // The temperatures are the program's own numbers: written as they are, a minus included.
    for (const history::Sample &s : samples)
        text += csvRecord({csvField(EventModel::timeText(s.at)), QString::number(s.at),
                           number(s.waterIn), number(s.waterOut), number(s.dewPoint)});
    return writeTextFile(path, text, error);
}

bool TrendsTab::exportPng(const QString &path, QString *error) {
    if (chart->grab().save(path, "PNG"))
        return true;
    if (error)
        *error = Texts::tr("无法写入 %1").arg(path);
    return false;
}

void TrendsTab::retranslate() {
    const char *const names[] = {QT_TRANSLATE_NOOP("Diagnostics", "最近10分钟"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近一小时"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近一天"),
                                 QT_TRANSLATE_NOOP("Diagnostics", "最近一周")};
    for (int i = 0; i < range->count(); ++i)
        range->setItemText(i, Texts::tr(names[i]));
    rangeLabel->setText(Texts::tr("时段:"));
    pngButton->setText(Texts::tr("导出PNG..."));
    csvButton->setText(Texts::tr("导出CSV..."));
    chart->series[0]->setName(Texts::tr("T3温度(C)"));
    chart->series[1]->setName(Texts::tr("T4温度(C)"));
    chart->series[2]->setName(Texts::tr("露点温度(C)"));
}

} // namespace diagnostics
