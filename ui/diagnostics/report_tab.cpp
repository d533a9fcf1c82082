#include "ui/diagnostics/report_tab.h"

#include "service/report_words.h"
#include "ui/diagnostics/texts.h"

#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts>

// Qt 5 keeps the chart classes in a namespace of their own; Qt 6 has them beside the others.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
QT_CHARTS_USE_NAMESPACE
#endif

namespace diagnostics {

using service::ReportTexts;

// The alarms that rose most, as horizontal bars, the most on top.
class ReportChart : public QChartView {
public:
    ReportChart() : QChartView(new QChart) {
        // Each name needs a bar's height of its own: shorter, Qt cuts it to "...".
        setMinimumSize(380, 340);
        setRenderHint(QPainter::Antialiasing, false);
        chart()->legend()->hide();
        chart()->setMargins(QMargins(4, 4, 4, 4));
        series = new QHorizontalBarSeries;
        bars = new QBarSet(QString());
        series->append(bars);
        series->setBarWidth(0.7);
        series->setLabelsVisible(true);
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        series->setLabelsPrecision(15); // a million rises, not 1e+06
        bars->setLabelColor(Qt::black);
        chart()->addSeries(series);
        names = new QBarCategoryAxis;
        counts = new QValueAxis;
        counts->setLabelFormat(QStringLiteral("%d"));
        counts->setTickCount(3);
        chart()->addAxis(names, Qt::AlignLeft);
        chart()->addAxis(counts, Qt::AlignBottom);
        series->attachAxis(names);
        series->attachAxis(counts);
    }
    void draw(const std::vector<events::AlarmFigures> &top) {
        bars->remove(0, bars->count());
        QStringList categories;
        qint64 most = 1;
        // Bottom up: the first bar is drawn at the bottom.
        for (auto it = top.rbegin(); it != top.rend(); ++it) {
            categories << service::alarmName(it->key);
            bars->append(double(it->rises));
            most = std::max(most, it->rises);
        }
        // A new axis, made with its categories: Qt 5 keeps the label room an axis first had.
        // (Only when they change: a new axis lays the chart out anew.)
        if (categories != names->categories()) {
            chart()->removeAxis(names);
            delete names;
            names = new QBarCategoryAxis;
            // Qt cuts a name to "..." when its line is taller than its bar's share of the
            // height; 11 px fits Chinese names down to the chart's least height.
            QFont small = font();
            small.setPixelSize(11);
            names->setLabelsFont(small);
            names->append(categories);
            chart()->addAxis(names, Qt::AlignLeft);
            series->attachAxis(names);
        }
        // Room for the count beyond the longest bar.
        counts->setRange(0, double(most) * 1.15);
        counts->applyNiceNumbers();
    }
    QHorizontalBarSeries *series;
    QBarSet *bars;
    QBarCategoryAxis *names;
    QValueAxis *counts;
};

namespace {

constexpr size_t mostRows = 500;

QTableWidgetItem *item(const QString &text) {
    auto *i = new QTableWidgetItem(text);
    i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return i;
}

// A table of plain texts: rows selected whole, nothing edited.
QTableWidget *table() {
    auto *t = new QTableWidget;
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setTabKeyNavigation(false);
    return t;
}

} // namespace

ReportTab::ReportTab(const QString &path, QWidget *parent, std::function<qint64()> clock)
    : DiagnosticsTab(parent), thread(new QThread(this)),
      worker(new ReportWorker(path, std::move(clock))), chart(new ReportChart),
      period(new QComboBox), fromEdit(new QDateTimeEdit), toEdit(new QDateTimeEdit),
      refresh(new QPushButton), csvButton(new QPushButton), pageButton(new QPushButton),
      periodLabel(new QLabel), toLabel(new QLabel), message(new QLabel), heading(new QLabel),
      notes(new QLabel), overall(table()), alarms(table()), editing(new QTimer(this)) {
    setObjectName(QStringLiteral("reportTab"));
    for (int i = Day; i <= Range; ++i)
        period->addItem(QString());
    period->setCurrentIndex(Month);
    periodLabel->setBuddy(period);
    for (QDateTimeEdit *edit : {fromEdit, toEdit}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
        edit->setEnabled(false);
        connect(edit, &QDateTimeEdit::dateTimeChanged, this, [this] {
            if (period->currentIndex() == Range)
                editing->start();
        });
    }
    // A range being typed is read once the typing pauses.
    editing->setSingleShot(true);
    editing->setInterval(500);
    connect(editing, &QTimer::timeout, this, &ReportTab::reload);
    for (QLabel *l : {message, heading, notes})
        l->setTextFormat(Qt::PlainText);
    notes->setWordWrap(true);
    notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    overall->setColumnCount(4);
    alarms->setColumnCount(int(service::alarmHeader(true).size()));

    auto *controls = new QHBoxLayout;
    for (QWidget *w :
         std::initializer_list<QWidget *>{periodLabel, period, fromEdit, toLabel, toEdit, refresh})
        controls->addWidget(w);
    controls->addWidget(message, 1);
    controls->addWidget(csvButton);
    controls->addWidget(pageButton);
    auto *upper = new QSplitter(Qt::Horizontal);
    upper->addWidget(overall);
    upper->addWidget(chart);
    upper->setSizes({700, 400});
    auto *lower = new QSplitter(Qt::Vertical);
    lower->addWidget(upper);
    lower->addWidget(alarms);
    lower->setStretchFactor(0, 3);
    lower->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(heading);
    layout->addWidget(lower, 1);
    layout->addWidget(notes);

    worker->moveToThread(thread);
    connect(worker, &ReportWorker::answered, this, &ReportTab::answered);
    connect(worker, &ReportWorker::exported, this, [this](const QString &file, const QString &e) {
        message->setText(e.isEmpty() ? Texts::tr("已导出 %1").arg(file)
                                     : Texts::tr("导出失败: %1").arg(e));
        emit exported(file, e);
    });
    connect(period, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        fromEdit->setEnabled(index == Range);
        toEdit->setEnabled(index == Range);
        reload();
    });
    connect(refresh, &QPushButton::clicked, this, &ReportTab::reload);
    // Nothing to export until figures have come.
    csvButton->setEnabled(false);
    pageButton->setEnabled(false);
    connect(csvButton, &QPushButton::clicked, this,
            [this] { askForFile(service::ReportFormat::Csv); });
    connect(pageButton, &QPushButton::clicked, this,
            [this] { askForFile(service::ReportFormat::Html); });
    retranslate();
}

ReportTab::~ReportTab() {
    worker->forget();
    thread->quit();
    thread->wait();
    delete worker;
}

QWidget *ReportTab::chartView() const {
    return chart;
}

QString ReportTab::messageText() const {
    return message->text();
}

void ReportTab::setActive(bool on) {
    if (on == active)
        return;
    active = on;
    if (active) {
        if (!thread->isRunning())
            thread->start();
        reload();
        return;
    }
    worker->forget();
    editing->stop();
    loading = false;
}

void ReportTab::tick() {}

void ReportTab::reload() {
    if (!active)
        return;
    ReportAsk ask;
    ask.id = ++asks;
    if (period->currentIndex() == Range) {
        ask.range = true;
        ask.from = fromEdit->dateTime().toMSecsSinceEpoch();
        ask.to = toEdit->dateTime().toMSecsSinceEpoch();
        if (ask.from >= ask.to) {
            message->setText(Texts::tr("起始时间须早于结束时间"));
            return;
        }
    } else {
        ask.span = service::ReportSpan(period->currentIndex());
    }
    wantedId = ask.id;
    loading = true;
    message->setText(Texts::tr("正在读取..."));
    worker->want(ask);
}

void ReportTab::answered(const ReportAnswer &answer) {
    // An answer to an older ask, or one that came after the tab was hidden.
    if (!active || answer.id != wantedId)
        return;
    loading = false;
    if (answer.outcome == history::ReportOutcome::Failed) {
        message->setText(answer.error);
        return;
    }
    QString said = answer.outcome == history::ReportOutcome::NoDatabase
                       ? Texts::tr("尚无历史记录")
                       : Texts::tr("用时 %1 毫秒").arg(answer.elapsedMs);
    // A history the writer has not summed up yet (an older program's, caught up meanwhile).
    if (answer.rowsFolded > 100000)
        said += Texts::tr("; 其中 %1 行尚未汇总, 已逐行读取").arg(answer.rowsFolded);
    message->setText(said);
    shown = answer.figures;
    hasFigures = true;
    csvButton->setEnabled(true);
    pageButton->setEnabled(true);
    present(shown);
    if (period->currentIndex() != Range) {
        // The range chooser starts from the period shown.
        const QSignalBlocker fromBlock(fromEdit), toBlock(toEdit);
        fromEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(shown.from));
        toEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(shown.to));
    }
    emit reportShown();
}

void ReportTab::present(const events::PeriodFigures &f) {
    heading->setText(service::reportTitle() + QStringLiteral(": ") + service::periodText(f));
    const std::vector<service::FigureLine> lines = service::overallLines(f);
    overall->setRowCount(int(lines.size()));
    for (int r = 0; r < int(lines.size()); ++r) {
        const service::FigureLine &l = lines[size_t(r)];
        int c = 0;
        for (const QString &text : {l.label, l.value, l.reference, l.verdict}) {
            QTableWidgetItem *i = item(text);
            if (l.out) {
                i->setForeground(QColor(176, 0, 0));
                QFont bold = i->font();
                bold.setBold(true);
                i->setFont(bold);
            }
            overall->setItem(r, c++, i);
        }
    }
    overall->resizeColumnsToContents();
    // A table of plain rows: a history of damaged keys must not hold the window up with
    // thousands of them (the files have them all).
    const int rows = int(std::min<size_t>(f.alarms.size(), mostRows));
    alarms->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const QStringList cells = service::alarmCells(f.alarms[size_t(r)], true);
        for (int c = 0; c < cells.size(); ++c)
            alarms->setItem(r, c, item(cells[c]));
    }
    // Widths follow the texts; for a long list only when it comes first (measuring every cell
    // of hundreds of rows would hold the window up at each answer).
    if (rows <= 100 || !alarmsFitted)
        alarms->resizeColumnsToContents();
    alarmsFitted = true;
    chart->draw(service::topAlarms(f));
    QStringList said = service::reportNotes(f);
    if (f.alarms.size() > mostRows)
        said << Texts::tr("另有 %1 个报警未列出; 导出的文件中有全部报警。")
                    .arg(f.alarms.size() - mostRows);
    notes->setText(said.join(QLatin1Char('\n')));
}

void ReportTab::askForFile(service::ReportFormat format) {
    if (!hasFigures)
        return;
    const bool csv = format == service::ReportFormat::Csv;
    const QString file = QFileDialog::getSaveFileName(
        this, csv ? Texts::tr("导出CSV") : Texts::tr("导出打印页"),
        csv ? QStringLiteral("alarm-report.csv") : QStringLiteral("alarm-report.html"),
        csv ? QStringLiteral("CSV (*.csv)") : QStringLiteral("HTML (*.html)"));
    if (!file.isEmpty())
        exportFile(file, format);
}

void ReportTab::exportFile(const QString &path, service::ReportFormat format) {
    worker->exportFile(path, shown, format);
}

void ReportTab::retranslate() {
    for (int i = Day; i < Range; ++i)
        period->setItemText(i, service::reportSpanText(service::ReportSpan(i)));
    period->setItemText(Range, Texts::tr("自定义"));
    periodLabel->setText(Texts::tr("时段(&T):"));
    toLabel->setText(Texts::tr("至"));
    refresh->setText(Texts::tr("刷新(&R)"));
    csvButton->setText(Texts::tr("导出CSV(&C)..."));
    pageButton->setText(Texts::tr("导出打印页(&P)..."));
    overall->setHorizontalHeaderLabels({ReportTexts::tr("项目"), ReportTexts::tr("数值"),
                                        ReportTexts::tr("参考线"), ReportTexts::tr("判断")});
    alarms->setHorizontalHeaderLabels(service::alarmHeader(true));
    chart->bars->setLabel(ReportTexts::tr("出现次数"));
    chart->chart()->setTitle(ReportTexts::tr("出现最多的报警"));
    alarmsFitted = false;
    if (hasFigures)
        present(shown);
}

} // namespace diagnostics

#include "moc_report_tab.cpp"
