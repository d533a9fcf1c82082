#include "history/recorder.h"

#include "ui/diagnostics/alarm_watch.h"
#include "ui/diagnostics/csv.h"
#include "ui/diagnostics/durations.h"
#include "ui/diagnostics/tabs.h"
#include "ui/diagnostics/texts.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace diagnostics {

namespace {

const char *const categoryKeys[] = {"",        "alarm",    "state", "link",
                                    "command", "settings", "clock", "handling"};
const qint64 periodMs[] = {hourMs, 24 * hourMs, 7 * 24 * hourMs, 0};
// The writer writes once a second; rows this young may not be in the database at a reload.
constexpr qint64 recentMs = 10 * 1000;
constexpr size_t recentRows = 1000;

} // namespace

EventsTab::EventsTab(const QString &databasePath, history::Recorder &recorder,
                     const AlarmWatch &alarms, QWidget *parent)
    : DiagnosticsTab(parent),
      events(new EventModel(databasePath, this, EventModel::Reads::InBackground)),
      strip(new ActiveAlarmStrip(alarms)), category(new QComboBox), period(new QComboBox),
      text(new QLineEdit), refreshButton(new QPushButton), exportButton(new QPushButton),
      view(new QTableView), message(new QLabel), categoryLabel(new QLabel), periodLabel(new QLabel),
      textLabel(new QLabel), typing(new QTimer(this)) {
    for (const char *key : categoryKeys)
        category->addItem(QString(), QString::fromLatin1(key));
    for (qint64 ms : periodMs)
        period->addItem(QString(), ms);
    period->setCurrentIndex(1);
    text->setClearButtonEnabled(true);

    auto *filters = new QHBoxLayout;
    filters->addWidget(categoryLabel);
    filters->addWidget(category);
    filters->addWidget(periodLabel);
    filters->addWidget(period);
    filters->addWidget(textLabel);
    filters->addWidget(text, 1);
    filters->addWidget(refreshButton);
    filters->addWidget(exportButton);

    view->setModel(events);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setWordWrap(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(strip);
    layout->addLayout(filters);
    layout->addWidget(view, 1);
    layout->addWidget(message);

    typing->setSingleShot(true);
    typing->setInterval(300);
    connect(typing, &QTimer::timeout, this, &EventsTab::reload);
    connect(text, &QLineEdit::textChanged, typing, [this] { typing->start(); });
    connect(category, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &EventsTab::reload);
    connect(period, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &EventsTab::reload);
    connect(refreshButton, &QPushButton::clicked, this, &EventsTab::reload);
    connect(&recorder, &history::Recorder::eventRecorded, this, &EventsTab::taken);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (events->isExporting())
            return events->cancelExport();
        const QString path =
            QFileDialog::getSaveFileName(this, Texts::tr("导出CSV"), QStringLiteral("events.csv"),
                                         QStringLiteral("CSV (*.csv)"));
        if (!path.isEmpty())
            exportCsv(path);
    });
    // The rows come from the reader's thread: the window never waits for them.
    connect(events, &EventModel::readingChanged, this, [this](bool reading) {
        if (reading)
            message->setText(Texts::tr("正在读取..."));
    });
    connect(events, &EventModel::selected, this, &EventsTab::selected);
    connect(events, &EventModel::exportProgress, this, [this](qint64 rows) {
        message->setText(Texts::tr("正在导出... 已写入 %1 行").arg(rows));
    });
    connect(events, &EventModel::exported, this, [this](const QString &path, const QString &e) {
        message->setText(e.isEmpty()                ? Texts::tr("已导出到 %1").arg(path)
                         : e == Texts::tr("已取消") ? Texts::tr("导出已取消, 未留下文件")
                                                    : Texts::tr("导出失败: %1").arg(e));
        retranslate();
    });
    retranslate();
}

void EventsTab::setActive(bool on) {
    if (on == active)
        return;
    active = on;
    if (active) {
        reload();
    } else {
        // Closed, the tab keeps no query, no rows and no connection.
        typing->stop();
        events->release();
        arrived.clear();
        selecting = false;
    }
}

void EventsTab::taken(const events::Event &event) {
    recent.push_back(event);
    while (recent.size() > recentRows || recent.front().at < event.at - recentMs)
        recent.pop_front();
    if (active)
        arrived.push_back(event);
}

void EventsTab::tick() {
    strip->refresh();
    // While a select reads its first page, what comes waits for it (the page may hold it).
    if (arrived.empty() || selecting)
        return;
    addNewest(arrived);
    arrived.clear();
}

void EventsTab::addNewest(const std::vector<events::Event> &rows) {
    QScrollBar *bar = view->verticalScrollBar();
    const int place = bar->value();
    const int added = events->addNewest(rows);
    // At the top the newest rows come into view; further down the rows in view stay.
    if (added > 0 && place > 0)
        bar->setValue(place + (view->verticalScrollMode() == QAbstractItemView::ScrollPerItem
                                   ? added
                                   : added * view->verticalHeader()->defaultSectionSize()));
}

void EventsTab::reload() {
    if (!active)
        return;
    EventFilter filter;
    filter.category = category->currentData().toString();
    filter.withinMs = period->currentData().toLongLong();
    filter.text = text->text().trimmed();
    selecting = true;
    arrived.clear();
    events->select(filter, QDateTime::currentMSecsSinceEpoch());
}

void EventsTab::selected(const QString &error) {
    message->setText(error);
    selecting = false;
    // What the writer may not have written yet, and what came since the select: `recent` ends
    // with what came, unless the select took longer than `recent` keeps rows (then all it
    // dropped is written, and the page has it).
    std::vector<events::Event> newest(recent.begin(), recent.end());
    if (arrived.size() > recent.size())
        newest = arrived;
    events->addNewest(newest, true);
    arrived.clear();
    view->resizeColumnsToContents();
    // The detail takes the rest of the width.
    view->horizontalHeader()->setStretchLastSection(true);
}

void EventsTab::exportCsv(const QString &path) {
    message->setText(Texts::tr("正在导出到 %1 ...").arg(path));
    events->exportCsv(path);
    retranslate();
}

void EventsTab::retranslate() {
    const char *const categoryNames[] = {
        QT_TRANSLATE_NOOP("Diagnostics", "全部"), QT_TRANSLATE_NOOP("Diagnostics", "报警"),
        QT_TRANSLATE_NOOP("Diagnostics", "状态"), QT_TRANSLATE_NOOP("Diagnostics", "链路"),
        QT_TRANSLATE_NOOP("Diagnostics", "命令"), QT_TRANSLATE_NOOP("Diagnostics", "设置"),
        QT_TRANSLATE_NOOP("Diagnostics", "时钟"), QT_TRANSLATE_NOOP("Diagnostics", "报警处理")};
    for (int i = 0; i < category->count(); ++i)
        category->setItemText(i, Texts::tr(categoryNames[i]));
    const char *const periodNames[] = {QT_TRANSLATE_NOOP("Diagnostics", "最近一小时"),
                                       QT_TRANSLATE_NOOP("Diagnostics", "最近一天"),
                                       QT_TRANSLATE_NOOP("Diagnostics", "最近一周"),
                                       QT_TRANSLATE_NOOP("Diagnostics", "全部")};
    for (int i = 0; i < period->count(); ++i)
        period->setItemText(i, Texts::tr(periodNames[i]));
    categoryLabel->setText(Texts::tr("类别:"));
    periodLabel->setText(Texts::tr("时间:"));
    textLabel->setText(Texts::tr("文字:"));
    refreshButton->setText(Texts::tr("刷新"));
    exportButton->setText(events->isExporting() ? Texts::tr("取消导出") : Texts::tr("导出CSV..."));
    events->retranslate();
    strip->refresh();
}

} // namespace diagnostics

#include "moc_tabs.cpp"
