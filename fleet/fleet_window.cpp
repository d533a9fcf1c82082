#include "fleet/fleet_window.h"

#include "fleet/texts.h"

#include "fleet/alarm_list.h"
#include "fleet/alarm_notifier.h"
#include "fleet/alarm_panel.h"
#include "fleet/bad_actor_list.h"
#include "fleet/filter_bar.h"
#include "fleet/kept_line.h"
#include "fleet/language_choice.h"
#include "fleet/laser_details.h"
#include "fleet/laser_table.h"
#include "fleet/table_view.h"
#include "plant/fleet_link.h"
#include "preference/language_preference.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fleet {

namespace {

// The window's share of the GUI thread per turn for applying messages; the table's refresh
// after them comes on top (a few ms with 4,000 lasers).
constexpr qint64 sliceMs = 15;
// How often offline lasers are counted on towards being forgotten.
constexpr int sweepIntervalMs = 60 * 1000;
constexpr qint64 detailsIntervalMs = 500;

} // namespace

FleetWindow::FleetWindow(plant::FleetLink *link, Limits limits, QWidget *parent)
    : QMainWindow(parent), fleet(limits), link(link) {
    setObjectName(QStringLiteral("FleetWindow"));
    resize(1400, 850);
    table = new LaserTable(fleet, this);
    alarms = new AlarmList(fleet, this);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    filterBar = new FilterBar(fleet.staleLimitMs(), central);
    layout->addWidget(filterBar);

    auto *vertical = new QSplitter(Qt::Vertical, central);
    auto *horizontal = new QSplitter(Qt::Horizontal, vertical);
    laserView = makeView(table, "laserView", horizontal);
    laserView->setSelectionMode(QAbstractItemView::SingleSelection);
    detailPane = new LaserDetails(horizontal);
    horizontal->setSizes({950, 450});
    // Fixed starting widths: sizing 2,000 rows to their contents would cost every refresh.
    laserView->horizontalHeader()->setDefaultSectionSize(80);
    laserView->setColumnWidth(LaserTable::State, 190);
    laserView->setColumnWidth(LaserTable::LaserId, 130);
    laserView->setColumnWidth(LaserTable::Alarms, 260);

    // The alarm list and, beside it, the plant's bad actors from the hosts' alarm summaries.
    auto *bottom = new QSplitter(Qt::Horizontal, vertical);
    alarmPanel = new AlarmPanel(alarms, bottom);
    badActors = new BadActorList(fleet, this);
    badActorPanel = new BadActorPanel(badActors, bottom);
    bottom->setSizes({850, 550});
    vertical->setSizes({560, 200});
    layout->addWidget(vertical, 1);
    setCentralWidget(central);

    brokerLine = new QLabel(this);
    brokerLine->setObjectName(QStringLiteral("brokerLine"));
    keptLine = new QLabel(this);
    keptLine->setObjectName(QStringLiteral("keptLine"));
    statusBar()->addWidget(brokerLine, 1);
    statusBar()->addPermanentWidget(keptLine);

    languageMenu = menuBar()->addMenu(QString());
    chineseAction = languageMenu->addAction(QString());
    englishAction = languageMenu->addAction(QString());
    connect(chineseAction, &QAction::triggered, this,
            [this] { applyLanguage(preference::chinese); });
    connect(englishAction, &QAction::triggered, this,
            [this] { applyLanguage(preference::english); });

    // Ctrl+Q ends the program as closing the window does.
    auto *quit = new QAction(this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);

    connect(filterBar, &FilterBar::filterChanged, this, [this](const QString &text) {
        table->setFilter(text);
        updateKeptLine();
    });
    connect(filterBar, &FilterBar::staleLimitChanged, this, [this](qint64 ms) {
        fleet.setStaleLimitMs(ms);
        refresh();
    });
    connect(laserView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                const QString id = current.data(LaserTable::LaserIdRole).toString();
                // The same laser found again after the table was read anew: nothing to build.
                if (id == selectedId || (id.isEmpty() && !current.isValid()))
                    return;
                selectedId = id;
                showSelected();
            });
    connect(alarmPanel, &AlarmPanel::acknowledged, this, &FleetWindow::refresh);
    connect(alarmPanel, &AlarmPanel::laserChosen, this, &FleetWindow::selectLaser);
    connect(badActorPanel, &BadActorPanel::laserChosen, this, &FleetWindow::selectLaser);

    secondTimer = new QTimer(this);
    secondTimer->setInterval(1000);
    connect(secondTimer, &QTimer::timeout, this, [this] {
        refresh();
        if (detailsDue)
            showSelected();
    });
    secondTimer->start();
    // Offline time is counted by this timer, not by the wall clock, which may jump.
    sweepTimer = new QTimer(this);
    sweepTimer->setInterval(sweepIntervalMs);
    connect(sweepTimer, &QTimer::timeout, this, [this] {
        fleet.sweep(now(), sinceSweep.restart());
        refresh();
    });
    sinceSweep.start();
    sweepTimer->start();
    notifier = new AlarmNotifier(fleet, this);

    if (link) {
        brokerLine->setText(link->stateLine());
        connect(link, &plant::FleetLink::stateLineChanged, brokerLine, &QLabel::setText);
        connect(link, &plant::FleetLink::batchArrived, this, &FleetWindow::take);
    }
    applyLanguage(readLanguage());
    refresh();
}

FleetWindow::~FleetWindow() = default;

qint64 FleetWindow::now() const {
    return QDateTime::currentMSecsSinceEpoch();
}

void FleetWindow::take(const plant::FleetBatch &batch) {
    fleet.count(batch);
    pending.push_back(batch);
    if (!continuing)
        applyPending();
}

void FleetWindow::applyPending() {
    continuing = false;
    QElapsedTimer spent;
    spent.start();
    const qint64 t = now();
    bool selectedChanged = false;
    std::vector<plant::FleetBatch> done;
    while (!pending.empty() && spent.elapsed() < sliceMs) {
        const plant::FleetBatch &batch = pending.front();
        const int size = batch.messages.size();
        for (int n = 0; pendingAt < size && (n % 32 != 0 || spent.elapsed() < sliceMs); ++n) {
            const plant::FleetMessage &m = batch.messages.at(pendingAt++);
            fleet.apply(m, t);
            selectedChanged = selectedChanged || m.laserId == selectedId;
        }
        if (pendingAt < size)
            break;
        done.push_back(pending.front());
        pending.pop_front();
        pendingAt = 0;
    }
    refresh();
    if (selectedChanged)
        detailsDue = true;
    if (detailsDue && (!sinceDetails.isValid() || sinceDetails.elapsed() >= detailsIntervalMs))
        showSelected();
    for (const plant::FleetBatch &batch : done) {
        if (link)
            link->batchTaken();
        emit batchShown(batch);
    }
    if (!pending.empty()) {
        // The rest after whatever else waits: a paint, a click, the end of the program.
        continuing = true;
        QTimer::singleShot(0, this, [this] { applyPending(); });
    }
}

void FleetWindow::refresh() {
    const qint64 t = now();
    fleet.advanceTo(t);
    table->refresh(t);
    badActors->refresh();
    const Fleet::ListChange change = alarms->refresh(t);
    if (change.added > 0)
        notifier->notify(change.added);
    // The row stays selected on its laser; keep it in sight when it moves, and find it again
    // when the table was read anew.
    QModelIndex current = laserView->selectionModel()->currentIndex();
    if (!selectedId.isEmpty() && current.data(LaserTable::LaserIdRole).toString() != selectedId) {
        const int row = table->rowOf(selectedId);
        if (row >= 0) {
            laserView->selectionModel()->setCurrentIndex(table->index(row, 0),
                                                         QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
            current = laserView->selectionModel()->currentIndex();
        }
    }
    if (current.isValid() && change.added > 0)
        laserView->scrollTo(current);

    int inAlarm = 0;
    int offline = 0;
    for (const Laser &l : fleet.lasers()) {
        const Group g = fleet.group(l, t);
        inAlarm += g == Group::Alarm;
        offline += g == Group::Offline || (g == Group::Alarm && fleet.isOffline(l, t));
    }
    // The title says it on the task bar too, while the window is minimised.
    setWindowTitle(Texts::tr("激光器总览 - %1 台激光器：%2 台报警，%3 台离线 - LASER SYSTEM")
                       .arg(fleet.lasers().size())
                       .arg(inAlarm)
                       .arg(offline));
    alarmPanel->setUnacknowledged(fleet.unacknowledged());
    // The selected laser's state word follows its row.
    const int index = fleet.indexOf(selectedId);
    const Laser *laser = index < 0 ? nullptr : &fleet.lasers()[static_cast<size_t>(index)];
    detailPane->setTitle(laser, laser ? table->stateText(*laser) : QString());
    // The selected laser left the table: what the details still show of it goes.
    if (!laser && (detailPane->statusTree()->topLevelItemCount() > 0 ||
                   detailPane->eventTree()->topLevelItemCount() > 0))
        detailsDue = true;
    updateKeptLine();
}

void FleetWindow::showSelected() {
    detailsDue = false;
    sinceDetails.start();
    const int index = fleet.indexOf(selectedId);
    const Laser *laser = index < 0 ? nullptr : &fleet.lasers()[static_cast<size_t>(index)];
    detailPane->showLaser(laser, laser ? table->stateText(*laser) : QString(), now());
}

void FleetWindow::selectLaser(const QString &id) {
    const int row = table->rowOf(id);
    if (row < 0)
        return;
    laserView->selectionModel()->setCurrentIndex(
        table->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    laserView->scrollTo(table->index(row, 0));
}

void FleetWindow::updateKeptLine() {
    // Nothing is dropped in silence: every message that was not kept is counted here.
    const QStringList parts = keptLineParts(fleet);
    keptLine->setText(parts.join(QStringLiteral("; ")));
    // A status bar cuts a long line at the window's edge: the whole of it, a reason a line, where
    // the pointer rests on it.
    keptLine->setToolTip(parts.join(QLatin1Char('\n')));
}

void FleetWindow::applyLanguage(const QString &language) {
    translator = installCatalogue(translator, language, this);
    // Without a translator nothing sends the change: the texts are set again here.
    retranslate();
    if (!keepLanguage(language))
        QMessageBox::critical(this, QCoreApplication::translate("Serial", "错误"),
                              QCoreApplication::translate("Serial", "打开文件失败"));
}

void FleetWindow::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QMainWindow::changeEvent(event);
}

void FleetWindow::retranslate() {
    languageMenu->setTitle(QCoreApplication::translate("Serial", "语言"));
    chineseAction->setText(QCoreApplication::translate("Serial", "中文"));
    englishAction->setText(QCoreApplication::translate("Serial", "English"));
    filterBar->retranslate();
    alarmPanel->retranslate();
    badActorPanel->retranslate();
    badActors->headerDataChanged(Qt::Horizontal, 0, BadActorList::ColumnCount - 1);
    detailPane->retranslate();
    table->headerDataChanged(Qt::Horizontal, 0, LaserTable::ColumnCount - 1);
    alarms->headerDataChanged(Qt::Horizontal, 0, AlarmList::ColumnCount - 1);
    notifier->retranslate();
    refresh();
    showSelected();
}

} // namespace fleet

#include "moc_fleet_window.cpp"
