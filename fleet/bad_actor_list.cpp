#include "fleet/bad_actor_list.h"

#include "fleet/texts.h"

#include "events/event_words.h"
#include "fleet/fleet_texts.h"
#include "fleet/table_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fleet {

namespace {

const plant::SummaryAlarm *alarmAt(const Fleet &fleet, int span, BadActor a) {
    // Read between a change of the lasers and the refresh after it: nothing stale is shown.
    if (a.laser < 0 || size_t(a.laser) >= fleet.lasers().size())
        return nullptr;
    const Laser &l = fleet.lasers()[size_t(a.laser)];
    const auto &alarms = l.summary.periods[size_t(span)].alarms;
    return l.hasSummary && size_t(a.alarm) < alarms.size() ? &alarms[size_t(a.alarm)] : nullptr;
}

QString alarmText(const QString &key) {
    // The operator's words of the host's Events tab; a key of a newer host as it is (checked
    // visible when read).
    return events::eventLabel(QStringLiteral("alarm"), key);
}

QStringList figureCells(const plant::SummaryAlarm &a) {
    return {alarmText(a.key), QString::number(a.rises), events::durationText(a.activeMs),
            QString::number(a.chatters), QString::number(a.firstOuts)};
}

} // namespace

BadActorList::BadActorList(const Fleet &fleet, QObject *parent)
    : QAbstractTableModel(parent), fleet(fleet) {}

void BadActorList::refresh() {
    if (fleet.membership() == membership && fleet.summaries() == summaries)
        return;
    rank();
}

void BadActorList::rank() {
    membership = fleet.membership();
    summaries = fleet.summaries();
    beginResetModel();
    rows = rankBadActors(fleet.lasers(), period, key, descending, shownPairs);
    endResetModel();
}

void BadActorList::setSpan(int span) {
    period = span;
    rank();
}

void BadActorList::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    key = static_cast<BadActorKey>(column);
    descending = order == Qt::DescendingOrder;
    rank();
}

int BadActorList::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

int BadActorList::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BadActorList::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= rows.size())
        return QVariant();
    const BadActor pair = rows[size_t(index.row())];
    const plant::SummaryAlarm *a = alarmAt(fleet, period, pair);
    if (!a)
        return QVariant();
    const QString id = fleet.lasers()[size_t(pair.laser)].id;
    if (role == LaserIdRole)
        return id;
    if (role == Qt::TextAlignmentRole && index.column() >= Rises)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    if (index.column() == LaserId)
        return id;
    return figureCells(*a).value(index.column() - 1);
}

QVariant BadActorList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == LaserId)
        return Texts::tr("激光器");
    return figureHeader().value(section - 1);
}

BadActorPanel::BadActorPanel(BadActorList *list, QWidget *parent) : QWidget(parent) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout;
    title = new QLabel(this);
    title->setObjectName(QStringLiteral("badActorTitle"));
    periodBox = new QComboBox(this);
    periodBox->setObjectName(QStringLiteral("badActorPeriod"));
    periodBox->addItems({QString(), QString()});
    title->setBuddy(periodBox);
    bar->addWidget(title, 1);
    bar->addWidget(periodBox);
    layout->addLayout(bar);
    tableView = makeView(list, "badActorView", this);
    tableView->setSortingEnabled(true);
    tableView->horizontalHeader()->setSortIndicator(BadActorList::Rises, Qt::DescendingOrder);
    tableView->setColumnWidth(BadActorList::LaserId, 130);
    tableView->setColumnWidth(BadActorList::Alarm, 200);
    layout->addWidget(tableView);
    connect(periodBox, QOverload<int>::of(&QComboBox::currentIndexChanged), list,
            &BadActorList::setSpan);
    // A double click, or Enter for one who works from the keyboard.
    connect(tableView, &QTableView::activated, this, [this](const QModelIndex &index) {
        emit laserChosen(index.data(BadActorList::LaserIdRole).toString());
    });
    retranslate();
}

void BadActorPanel::retranslate() {
    title->setText(Texts::tr("全厂频发报警（各主机报警统计）"));
    tableView->setAccessibleName(title->text());
    for (int span = 0; span < plant::summarySpans; ++span)
        periodBox->setItemText(span, spanText(span));
}

QString spanText(int span) {
    return span == plant::LastWeek ? Texts::tr("最近 7 天") : Texts::tr("最近 24 小时");
}

QStringList figureHeader() {
    return {Texts::tr("报警"), Texts::tr("出现次数"), Texts::tr("报警时长"), Texts::tr("抖动次数"),
            Texts::tr("首出次数")};
}

void fillFigures(QTreeWidget *tree, const Laser *laser, qint64 now) {
    tree->clear();
    if (!laser || !laser->hasSummary)
        return;
    for (int span = 0; span < plant::summarySpans; ++span) {
        const plant::SummaryPeriod &p = laser->summary.periods[size_t(span)];
        auto *period = new QTreeWidgetItem(tree);
        period->setText(0, spanText(span));
        period->setText(1, QString::number(p.rises));
        for (const plant::SummaryAlarm &a : p.alarms)
            new QTreeWidgetItem(period, figureCells(a));
        if (p.otherAlarms > 0)
            new QTreeWidgetItem(period, {Texts::tr("另有 %1 个报警").arg(p.otherAlarms),
                                         QString::number(p.otherRises)});
    }
    auto *made = new QTreeWidgetItem(tree);
    made->setText(0, Texts::tr("统计时间"));
    made->setText(1, clockText(laser->summary.at, now));
    tree->expandAll();
}

} // namespace fleet

#include "moc_bad_actor_list.cpp"
