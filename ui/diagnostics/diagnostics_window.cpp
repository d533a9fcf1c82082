#include "ui/diagnostics/diagnostics_window.h"

#include "history/recorder.h"
#include "ui/diagnostics/alarm_watch.h"
#include "ui/diagnostics/link_status.h"
#include "ui/diagnostics/report_tab.h"
#include "ui/diagnostics/tabs.h"
#include "ui/diagnostics/texts.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace diagnostics {

DiagnosticsWindow::DiagnosticsWindow(const QSerialPort &port, history::Recorder &recorder,
                                     const HistoryPaths &paths, QWidget *parent,
                                     const AlarmWatch *alarms)
    : QWidget(parent, Qt::Window), tabWidget(new QTabWidget),
      events(new EventsTab(paths.database(), recorder,
                           alarms ? *alarms : *new AlarmWatch(recorder, paths.database(), this))),
      frames(new FramesTab(recorder.journal(), paths.logDir)),
      trends(new TrendsTab(paths.database(), recorder)), link(new LinkTab(port, recorder)),
      report(new ReportTab(paths.database())) {
    setObjectName(QStringLiteral("diagnosticsWindow"));
    tabWidget->addTab(events, QString());
    tabWidget->addTab(frames, QString());
    tabWidget->addTab(trends, QString());
    tabWidget->addTab(link, QString());
    tabWidget->addTab(report, QString());
    tabWidget->setCurrentIndex(FramesIndex);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(tabWidget);
    // Tab and Shift+Tab leave a table, as they leave any other field; the arrows move in it.
    for (QTableView *table : findChildren<QTableView *>())
        table->setTabKeyNavigation(false);
    resize(1100, 650);

    batch.setInterval(batchMs);
    connect(&batch, &QTimer::timeout, this, [this] {
        if (auto *tab = qobject_cast<DiagnosticsTab *>(tabWidget->currentWidget()))
            tab->tick();
    });
    connect(tabWidget, &QTabWidget::currentChanged, this, [this](int index) {
        if (isVisible())
            activate(index);
    });
    // From the keyboard: Ctrl+1 to Ctrl+5 show a tab (Ctrl+Tab goes round them), Esc closes
    // (keyPressEvent).
    for (int i = 0; i < tabWidget->count(); ++i) {
        auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), this);
        connect(key, &QShortcut::activated, tabWidget,
                [this, i] { tabWidget->setCurrentIndex(i); });
    }
    retranslate();
}

void DiagnosticsWindow::keyPressEvent(QKeyEvent *event) {
    // Esc comes here only when no child took it: an open list or an editor closes first, as
    // in a dialog. A shortcut would take it from them and close the window with them.
    if (event->matches(QKeySequence::Cancel))
        close();
    else
        QWidget::keyPressEvent(event);
}

void DiagnosticsWindow::activate(int index) {
    for (int i = 0; i < tabWidget->count(); ++i)
        if (i != index)
            static_cast<DiagnosticsTab *>(tabWidget->widget(i))->setActive(false);
    if (index >= 0)
        static_cast<DiagnosticsTab *>(tabWidget->widget(index))->setActive(true);
    activeIndex = index;
}

void DiagnosticsWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    activate(tabWidget->currentIndex());
    batch.start();
}

void DiagnosticsWindow::hideEvent(QHideEvent *event) {
    batch.stop();
    activate(-1);
    QWidget::hideEvent(event);
}

void DiagnosticsWindow::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void DiagnosticsWindow::retranslate() {
    setWindowTitle(Texts::tr("诊断 - LASER SYSTEM"));
    tabWidget->setTabText(EventsIndex, Texts::tr("事件"));
    tabWidget->setTabText(FramesIndex, Texts::tr("报文"));
    tabWidget->setTabText(TrendsIndex, Texts::tr("趋势"));
    tabWidget->setTabText(LinkIndex, Texts::tr("链路"));
    tabWidget->setTabText(ReportIndex, Texts::tr("报警报告"));
    events->retranslate();
    frames->retranslate();
    trends->retranslate();
    link->retranslate();
    report->retranslate();
}

Diagnostics::Diagnostics(QMainWindow &window, QAction *before, const QSerialPort &p,
                         history::Recorder &r, const HistoryPaths &hp)
    : QObject(&window), main(window), port(p), recorder(r), paths(hp),
      diagnosticsMenu(new QMenu(window.menuBar())), open(new QAction(diagnosticsMenu)),
      status(new LinkStatusLine(p, r)), alarms(new AlarmWatch(r, hp.database(), this)),
      count(new ActiveAlarmCount(*alarms)) {
    diagnosticsMenu->setObjectName(QStringLiteral("menu_Diagnostics"));
    open->setObjectName(QStringLiteral("actionLinkDiagnostics"));
    diagnosticsMenu->addAction(open);
    window.menuBar()->insertMenu(before, diagnosticsMenu);
    // A permanent widget sits at the right end and never covers the form.
    window.statusBar()->addPermanentWidget(count);
    window.statusBar()->addPermanentWidget(status);
    connect(open, &QAction::triggered, this, &Diagnostics::showWindow);
    window.installEventFilter(this);
    retranslate();
}

void Diagnostics::showWindow() {
    if (!shown) {
        shown = new DiagnosticsWindow(port, recorder, paths, &main, alarms);
        shown->linkTab()->setPlantLine(plantLine);
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void Diagnostics::setPlantLine(const QString &line) {
    plantLine = line;
    if (shown)
        shown->linkTab()->setPlantLine(line);
}

bool Diagnostics::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &main && event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}

void Diagnostics::retranslate() {
    diagnosticsMenu->setTitle(Texts::tr("诊断"));
    open->setText(Texts::tr("链路诊断..."));
}

} // namespace diagnostics

#include "moc_diagnostics_window.cpp"
