#include "fleet/fleet_window.h"

#include "fleet/texts.h"

#include "events/alarm_names.h"
#include "fleet/alarm_list.h"
#include "fleet/laser_details.h"
#include "fleet/laser_table.h"
#include "plant/fleet_link.h"
#include "preference/language_preference.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fleet {

namespace {

// Tray notifications come at most this often; what comes between is summed up in the next,
// which comes when the time has passed.
constexpr qint64 notificationGapMs = 5000;
// The window's share of the GUI thread per turn for applying messages; the table's refresh
// after them comes on top (a few ms with 4,000 lasers).
constexpr qint64 sliceMs = 15;
// How often offline lasers are counted on towards being forgotten.
constexpr int sweepIntervalMs = 60 * 1000;
constexpr qint64 detailsIntervalMs = 500;

QTableView *makeView(QAbstractItemModel *model, const char *name, QWidget *parent) {
    auto *view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false); // Tab leaves the table; the arrows move in it
    return view;
}

QString readLanguage() {
    // A plain file only: opening a pipe would wait, holding the window, for something to write.
    QFile file(preference::languageFilePath());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return preference::chinese;
    const QString value = preference::parseLanguage(QString::fromUtf8(file.readAll()));
    return value.isEmpty() ? preference::chinese : value;
}

} // namespace

FleetWindow::FleetWindow(plant::FleetLink *link, Limits limits, QWidget *parent)
    : QMainWindow(parent), fleet(limits), link(link) {
    setObjectName(QStringLiteral("FleetWindow"));
    resize(1400, 850);
    table = new LaserTable(fleet, this);
    alarms = new AlarmList(fleet, this);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    auto *bar = new QHBoxLayout;
    filterLabel = new QLabel(central);
    filterBox = new QLineEdit(central);
    filterBox->setObjectName(QStringLiteral("filterBox"));
    filterBox->setClearButtonEnabled(true);
    staleLabel = new QLabel(central);
    staleBox = new QSpinBox(central);
    staleBox->setObjectName(QStringLiteral("staleLimit"));
    staleBox->setRange(5, 3600);
    staleBox->setValue(static_cast<int>(fleet.staleLimitMs() / 1000));
    bar->addWidget(filterLabel);
    bar->addWidget(filterBox, 1);
    bar->addSpacing(20);
    bar->addWidget(staleLabel);
    bar->addWidget(staleBox);
    layout->addLayout(bar);

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

    auto *alarmBox = new QWidget(vertical);
    auto *alarmLayout = new QVBoxLayout(alarmBox);
    alarmLayout->setContentsMargins(0, 0, 0, 0);
    auto *alarmBar = new QHBoxLayout;
    alarmTitle = new QLabel(alarmBox);
    alarmTitle->setObjectName(QStringLiteral("alarmTitle"));
    acknowledgeButton = new QPushButton(alarmBox);
    acknowledgeButton->setObjectName(QStringLiteral("acknowledge"));
    acknowledgeAllButton = new QPushButton(alarmBox);
    acknowledgeAllButton->setObjectName(QStringLiteral("acknowledgeAll"));
    alarmBar->addWidget(alarmTitle, 1);
    alarmBar->addWidget(acknowledgeButton);
    alarmBar->addWidget(acknowledgeAllButton);
    alarmLayout->addLayout(alarmBar);
    alarmView = makeView(alarms, "alarmView", alarmBox);
    alarmLayout->addWidget(alarmView);
    vertical->setSizes({560, 200});
    alarmView->setColumnWidth(AlarmList::Time, 150);
    alarmView->setColumnWidth(AlarmList::LaserId, 130);
    alarmView->setColumnWidth(AlarmList::Alarm, 260);
    alarmView->setColumnWidth(AlarmList::Acknowledged, 100);
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

    connect(filterBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        table->setFilter(text);
        updateKeptLine();
    });
    connect(staleBox, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int seconds) {
        fleet.setStaleLimitMs(qint64(seconds) * 1000);
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
    connect(acknowledgeButton, &QPushButton::clicked, this, [this] {
        alarms->acknowledge(alarmView->selectionModel()->selectedRows());
        refresh();
    });
    connect(acknowledgeAllButton, &QPushButton::clicked, this, [this] {
        alarms->acknowledgeAll();
        refresh();
    });
    connect(alarmView, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        selectLaser(index.data(AlarmList::LaserIdRole).toString());
    });

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
    notificationTimer = new QTimer(this);
    notificationTimer->setSingleShot(true);
    connect(notificationTimer, &QTimer::timeout, this, [this] { sendNotification(); });

    // On X an icon made before the tray is docked by Qt when a tray comes (a panel started late).
    if (QSystemTrayIcon::isSystemTrayAvailable() ||
        QGuiApplication::platformName() == QLatin1String("xcb")) {
        tray = new QSystemTrayIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning), this);
        tray->show();
        connect(tray, &QSystemTrayIcon::messageClicked, this, [this] {
            showNormal();
            raise();
            activateWindow();
        });
    }

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
    const Fleet::ListChange change = alarms->refresh(t);
    if (change.added > 0)
        notify(change.added);
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
    alarmTitle->setText(Texts::tr("报警列表（%1 条未确认）").arg(fleet.unacknowledged()));
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

void FleetWindow::notify(int added) {
    if (!tray)
        return;
    notificationsHeld += added;
    const qint64 wait =
        sinceNotification.isValid() ? notificationGapMs - sinceNotification.elapsed() : 0;
    if (wait > 0) {
        // Sent when the gap has passed, not held until the next alarm.
        if (!notificationTimer->isActive())
            notificationTimer->start(static_cast<int>(wait));
        return;
    }
    sendNotification();
}

void FleetWindow::sendNotification() {
    if (!tray || notificationsHeld <= 0)
        return;
    sinceNotification.start();
    QString text;
    if (notificationsHeld == 1 && !fleet.alarmList().empty()) {
        const AlarmEntry &e = fleet.alarmList().front();
        text = e.laserId + QStringLiteral(": ") + events::alarmCaption(e.key);
    } else {
        text = Texts::tr("%1 条新报警").arg(notificationsHeld);
    }
    notificationsHeld = 0;
    tray->showMessage(Texts::tr("激光器报警"), text, QSystemTrayIcon::Warning);
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
    static const char *const reasons[plant::rejectionKinds] = {
        "",
        QT_TRANSLATE_NOOP("Fleet", "大于64 KiB"),
        QT_TRANSLATE_NOOP("Fleet", "主题不符"),
        QT_TRANSLATE_NOOP("Fleet", "激光器标识含异常字符"),
        QT_TRANSLATE_NOOP("Fleet", "空消息"),
        QT_TRANSLATE_NOOP("Fleet", "不是JSON"),
        QT_TRANSLATE_NOOP("Fleet", "缺少字段"),
        QT_TRANSLATE_NOOP("Fleet", "字段类型错误"),
        QT_TRANSLATE_NOOP("Fleet", "laser_id与主题不符"),
    };
    QStringList parts;
    if (fleet.rejectedTotal() > 0) {
        QStringList why;
        for (int i = 1; i < plant::rejectionKinds; ++i)
            if (fleet.rejected()[static_cast<size_t>(i)] > 0)
                why << QStringLiteral("%1 %2")
                           .arg(Texts::tr(reasons[i]))
                           .arg(fleet.rejected()[static_cast<size_t>(i)]);
        parts << Texts::tr("已忽略 %1 条消息（%2）")
                     .arg(fleet.rejectedTotal())
                     .arg(why.join(Texts::tr("，")));
    }
    if (fleet.overLaserCap() > 0)
        parts << Texts::tr("激光器已达上限 %1 台：%2 条消息未采用")
                     .arg(fleet.limits().maxLasers)
                     .arg(fleet.overLaserCap());
    if (fleet.madeRoom() > 0)
        parts << Texts::tr("激光器已达上限 %1 台：%2 台离线最久的已移除")
                     .arg(fleet.limits().maxLasers)
                     .arg(fleet.madeRoom());
    if (fleet.forgotten() > 0)
        parts << Texts::tr("离线超过 %1 天：%2 台激光器已移除")
                     .arg(fleet.limits().forgetOfflineMs / (24 * 3600 * 1000))
                     .arg(fleet.forgotten());
    if (fleet.alarmsIgnored() > 0)
        parts << Texts::tr("每条状态至多显示 %1 个未知报警：%2 个未显示")
                     .arg(plant::maxUnknownAlarms)
                     .arg(fleet.alarmsIgnored());
    if (fleet.payloadsNotKept() > 0)
        parts << Texts::tr("内存上限 %1 MiB：%2 条状态内容未保留")
                     .arg(fleet.limits().stateBytes / (1024 * 1024))
                     .arg(fleet.payloadsNotKept());
    if (fleet.overrun() > 0)
        parts << Texts::tr("来不及处理：%1 条消息丢弃").arg(fleet.overrun());
    if (fleet.alarmEntriesDropped() > 0)
        parts << Texts::tr("报警列表已达上限 %1 条：最早的 %2 条已删去")
                     .arg(fleet.limits().maxAlarmEntries)
                     .arg(fleet.alarmEntriesDropped());
    if (fleet.eventsDropped() > 0)
        parts << Texts::tr("每台激光器保留最新 %1 条事件（至多 %2 KiB）：%3 条较早的已删去")
                     .arg(fleet.limits().maxEventsPerLaser)
                     .arg(fleet.limits().maxEventBytesPerLaser / 1024)
                     .arg(fleet.eventsDropped());
    keptLine->setText(parts.join(QStringLiteral("; ")));
    // A status bar cuts a long line at the window's edge: the whole of it, a reason a line, where
    // the pointer rests on it.
    keptLine->setToolTip(parts.join(QLatin1Char('\n')));
}

void FleetWindow::applyLanguage(const QString &language) {
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    auto *next = new QTranslator(this);
    if (next->load(preference::catalogueFor(language))) {
        QCoreApplication::installTranslator(next);
        translator = next;
    } else {
        delete next;
    }
    // Without a translator nothing sends the change: the texts are set again here.
    retranslate();

    const QString value =
        language == preference::english ? preference::english : preference::chinese;
    bool failed = false;
    if (QFileInfo(preference::languageFilePath()).isFile()) {
        failed = preference::rewriteExisting(value) != preference::WriteFailure::None;
    } else {
        failed = !preference::createDefault().isEmpty();
        if (!failed && value != preference::chinese)
            failed = preference::rewriteExisting(value) != preference::WriteFailure::None;
    }
    if (failed)
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
    filterLabel->setText(Texts::tr("筛选:"));
    filterBox->setPlaceholderText(Texts::tr("激光器、端口、状态或报警"));
    staleLabel->setText(Texts::tr("状态超过多久算离线:"));
    staleBox->setSuffix(Texts::tr(" 秒"));
    acknowledgeButton->setText(Texts::tr("确认所选"));
    acknowledgeAllButton->setText(Texts::tr("全部确认"));
    detailPane->retranslate();
    table->headerDataChanged(Qt::Horizontal, 0, LaserTable::ColumnCount - 1);
    alarms->headerDataChanged(Qt::Horizontal, 0, AlarmList::ColumnCount - 1);
    if (tray)
        tray->setToolTip(Texts::tr("激光器总览"));
    refresh();
    showSelected();
}

} // namespace fleet

#include "moc_fleet_window.cpp"
