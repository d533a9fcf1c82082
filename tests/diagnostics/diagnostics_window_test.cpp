// The diagnostics window on the real main window: its menu, one instance, the Frames tab over a
// real pseudo-terminal, the Link and Events tabs, the status line and the English texts.
#include "history/recorder.h"
#include "preference/language_preference.h"
#include "protocol/device_state.h"
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/window_fixture.h"
#include "support/work_dir.h"
#include "ui/diagnostics/alarm_watch.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/diagnostics/history_state.h"
#include "ui/diagnostics/link_status.h"
#include "ui/diagnostics/tabs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSerialPort>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using diagnostics::Diagnostics;
using diagnostics::DiagnosticsWindow;
using diagnostics::LinkStatusLine;
using fixture::waitUntil;

namespace {

// A shown window in a scratch folder, and a pseudo-terminal CCB it can open.
struct ShownWindow {
    ShownWindow() { w.show(); }
    // The diagnostics window, shown.
    Diagnostics *openDiagnostics();
    WorkDir dir;
    PtyPair pty;
    Serial w;
};

Diagnostics *diagnosticsOf(Serial &w) {
    return w.findChild<Diagnostics *>();
}

Diagnostics *ShownWindow::openDiagnostics() {
    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    return d;
}

QStringList menuTitles(Serial &w) {
    QStringList titles;
    for (QAction *a : w.menuBar()->actions())
        titles << a->text();
    return titles;
}

// A message box or other dialog on screen.
bool boxShown() {
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->inherits("QDialog"))
            return true;
    return false;
}

// Every text a widget under `root` shows: labels, buttons, boxes, tabs, and every cell and
// header of every list's model.
QStringList textsUnder(QWidget *root) {
    QStringList texts{root->windowTitle()};
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : widgets) {
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        if (auto *group = qobject_cast<QGroupBox *>(widget))
            texts << group->title();
        if (auto *line = qobject_cast<QLineEdit *>(widget))
            texts << line->text() << line->placeholderText();
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto *tabs = qobject_cast<QTabWidget *>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        if (auto *view = qobject_cast<QAbstractItemView *>(widget)) {
            const QAbstractItemModel *m = view->model();
            for (int c = 0; m && c < m->columnCount(); ++c)
                texts << m->headerData(c, Qt::Horizontal).toString();
            for (int r = 0; m && r < m->rowCount(); ++r)
                for (int c = 0; c < m->columnCount(); ++c)
                    texts << m->data(m->index(r, c)).toString();
        }
    }
    return texts;
}

} // namespace

class DiagnosticsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuSitsBetweenLanguageAndHelp();
    void theStatusLineMovesNothingOfTheForm();
    void theActionOpensOneNonModalWindowThatWorksOnlyWhileShown();
    void framesFromThePortShowUpAndAFailedCheckIsFlagged();
    void theLinkTabCountsAndResets();
    void theEventsTabReadsTheHistoryDatabase();
    void theStatusBarShowsTheOpenFailureOfAMissingPort();
    void theStatusBarShowsTheOpenFailureOfABusyPort();
    void textsAreEnglishAfterSwitchingTheLanguage();
    void theHistorysTroubleShowsInTheStatusBarAndTheLinkTab();
    void aFailedFramesExportIsReportedInTheTab();
    void theAlarmsOnShowAboveTheEventsAndTheirCountInTheStatusBar();
    void aNewRowShowsWithinASecondAndAScrolledViewKeepsItsPlace();
    void inEnglishNothingButTheDevicesOwnDataIsChinese();
};

void DiagnosticsWindowTest::theMenuSitsBetweenLanguageAndHelp() {
    WorkDir dir;
    Serial w;
    const QStringList titles = menuTitles(w);
    const int language = titles.indexOf(QStringLiteral("语言"));
    QVERIFY(language >= 0);
    QCOMPARE(titles.value(language + 1), QStringLiteral("诊断"));
    // The service menu follows it, then help.
    QCOMPARE(titles.value(language + 2), QStringLiteral("维护"));
    QCOMPARE(titles.value(language + 3), QStringLiteral("帮助"));
    Diagnostics *d = diagnosticsOf(w);
    QVERIFY(d);
    QCOMPARE(d->action()->text(), QStringLiteral("链路诊断..."));
    // The status line is a widget of its own in the main window's status bar.
    QVERIFY(w.statusBar()->findChild<LinkStatusLine *>());
    QVERIFY(!d->window()); // nothing is made before it is asked for
}

void DiagnosticsWindowTest::theStatusLineMovesNothingOfTheForm() {
    WorkDir dir;
    Serial w;
    // The same form on a bare main window, without the status line.
    QMainWindow bare;
    SerialForm form;
    form.setupUi(&bare);
    // The window fills the operating modes in; their width sizes the combo box.
    for (int i = 0; i < SerialProbe::form(w)->comboBox_OPModeUsr->count(); ++i)
        form.comboBox_OPModeUsr->addItem(SerialProbe::form(w)->comboBox_OPModeUsr->itemText(i));
    w.show();
    bare.show();
    QCOMPARE(bare.size(), w.size());
    QVERIFY(w.statusBar()->isVisible());
    for (int page : {0, 1}) {
        SerialProbe::form(w)->stackedWidget->setCurrentIndex(page);
        form.stackedWidget->setCurrentIndex(page);
        QApplication::processEvents();
        int compared = 0;
        for (QWidget *b : form.centralwidget->findChildren<QWidget *>()) {
            if (b->objectName().isEmpty() || b->objectName().startsWith(QLatin1String("qt_")) ||
                !b->isVisible())
                continue;
            auto *mine = w.findChild<QWidget *>(b->objectName());
            QVERIFY2(mine, qPrintable(b->objectName()));
            const QRect got(mine->mapTo(&w, QPoint(0, 0)), mine->size());
            const QRect want(b->mapTo(&bare, QPoint(0, 0)), b->size());
            // The settings page scrolls: only its frame gets shorter by the status bar.
            if (b->objectName() == QLatin1String("scrollArea")) {
                QCOMPARE(got.topLeft(), want.topLeft());
                QCOMPARE(got.width(), want.width());
            } else {
                QVERIFY2(got == want,
                         qPrintable(b->objectName() + QStringLiteral(" %1,%2 %3x%4 vs %5,%6 %7x%8")
                                                          .arg(got.x())
                                                          .arg(got.y())
                                                          .arg(got.width())
                                                          .arg(got.height())
                                                          .arg(want.x())
                                                          .arg(want.y())
                                                          .arg(want.width())
                                                          .arg(want.height())));
            }
            ++compared;
        }
        QVERIFY(compared > 20);
    }
}

void DiagnosticsWindowTest::theActionOpensOneNonModalWindowThatWorksOnlyWhileShown() {
    WorkDir dir;
    Serial w;
    w.show();
    Diagnostics *d = diagnosticsOf(w);
    d->action()->trigger();
    DiagnosticsWindow *window = d->window();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isModal());
    QCOMPARE(window->windowTitle(), QStringLiteral("诊断 - LASER SYSTEM"));
    QCOMPARE(window->tabs()->count(), 5);
    QCOMPARE(window->tabs()->tabText(0), QStringLiteral("事件"));
    QCOMPARE(window->tabs()->tabText(1), QStringLiteral("报文"));
    QCOMPARE(window->tabs()->tabText(2), QStringLiteral("趋势"));
    QCOMPARE(window->tabs()->tabText(3), QStringLiteral("链路"));
    QCOMPARE(window->tabs()->tabText(4), QStringLiteral("报警报告"));
    QVERIFY(window->isWorking());
    QVERIFY(!boxShown());

    d->action()->trigger();
    QCOMPARE(w.findChildren<DiagnosticsWindow *>().size(), 1);
    QCOMPARE(d->window(), window);

    // Closed, it keeps no timer running and its frames view takes nothing from the journal,
    // not even when its batch comes round.
    window->close();
    QVERIFY(!window->isVisible());
    QVERIFY(!window->isWorking());
    auto *recorder = w.findChild<history::Recorder *>();
    recorder->frameReceived(frames::systemStatus(0, 0, 0), protocol::Verdict::CheckOk,
                            SerialProbe::state(w));
    window->framesTab()->tick();
    QCOMPARE(window->framesTab()->model().rowCount(), 0);
    // Chosen again, it is the same window, and catches up.
    d->action()->trigger();
    QCOMPARE(d->window(), window);
    QVERIFY(window->isWorking());
    QCOMPARE(window->framesTab()->model().rowCount(), 1);
}

void DiagnosticsWindowTest::framesFromThePortShowUpAndAFailedCheckIsFlagged() {
    WorkDir dir;
    PtyPair pty;
    QVERIFY(pty.isValid());
    Serial w;
    w.show();
    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    DiagnosticsWindow *window = d->window();
    window->tabs()->setCurrentIndex(DiagnosticsWindow::FramesIndex);
    QVERIFY(fixture::openOnPty(w, pty));

    const QByteArray good = frames::systemStatus(0, 0, frames::dcOnBit);
    QVERIFY(
        pty.write(good + frames::corrupted(good) + frames::temperature(2591 >> 7, 2591 & 0x7F, 2)));
    diagnostics::FrameModel &model = window->framesTab()->model();
    QVERIFY(waitUntil([&] { return model.rowCount() >= 3; }));

    int failed = -1;
    for (int r = 0; r < model.rowCount(); ++r)
        if (diagnostics::FrameModel::isFailure(model.entry(r)))
            failed = r;
    QVERIFY(failed >= 0);
    QCOMPARE(model.data(model.index(failed, diagnostics::FrameModel::HexColumn)).toString(),
             diagnostics::FrameModel::hexText(frames::corrupted(good)));
    QCOMPARE(model.data(model.index(failed, diagnostics::FrameModel::VerdictColumn)).toString(),
             QStringLiteral("校验失败"));
    QVERIFY(model.data(model.index(failed, 0), Qt::BackgroundRole).isValid());
    QCOMPARE(model.data(model.index(0, diagnostics::FrameModel::DirectionColumn)).toString(),
             QStringLiteral("接收"));

    window->framesTab()->failedBox()->setChecked(true);
    QCOMPARE(model.rowCount(), 1);
    window->framesTab()->failedBox()->setChecked(false);

    // The view follows the newest row while it is at the end, and stays where the user put it.
    QTableView *view = window->framesTab()->table();
    for (int i = 0; i < 60; ++i)
        QVERIFY(pty.write(good));
    QScrollBar *bar = view->verticalScrollBar();
    QVERIFY(waitUntil([&] { return model.rowCount() >= 63; }));
    QVERIFY(waitUntil([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));
    // Scrolled away: the batch that takes the next rows in (the one that would scroll) leaves
    // the view where it is.
    bar->setValue(0);
    for (int i = 0; i < 20; ++i)
        QVERIFY(pty.write(good));
    QVERIFY(waitUntil([&] { return model.rowCount() >= 83; }));
    QCOMPARE(bar->value(), 0);

    // Tab and Shift+Tab leave each table with rows; the arrows move in it.
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    for (int tab : {DiagnosticsWindow::EventsIndex, DiagnosticsWindow::FramesIndex,
                    DiagnosticsWindow::LinkIndex}) {
        window->tabs()->setCurrentIndex(tab);
        auto *table = window->tabs()->currentWidget()->findChild<QTableView *>();
        QVERIFY(waitUntil([&] { return table->model()->rowCount() > 1; }));
        for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Down}) {
            table->setFocus();
            QTest::keyClick(table, key);
            QCOMPARE(QApplication::focusWidget() == table, key == Qt::Key_Down);
        }
    }
    window->tabs()->setCurrentIndex(DiagnosticsWindow::FramesIndex);

    // The status line says the port is open and counts the failure.
    auto *line = w.statusBar()->findChild<LinkStatusLine *>();
    QCOMPARE(line->state(), LinkStatusLine::State::Open);
    line->refresh();
    QVERIFY2(line->text().contains(QStringLiteral("校验失败 1")), qPrintable(line->text()));

    // Exported as shown: the header and one line per row.
    const QString csv = dir.path() + QStringLiteral("/frames.csv");
    QString error;
    QVERIFY(window->framesTab()->exportCsv(csv, &error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("\r\n"), model.rowCount() + 1);
}

void DiagnosticsWindowTest::theLinkTabCountsAndResets() {
    ShownWindow shown;
    auto &[dir, pty, w] = shown;
    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    d->window()->tabs()->setCurrentIndex(DiagnosticsWindow::LinkIndex);
    diagnostics::LinkTab *link = d->window()->linkTab();
    QVERIFY(fixture::openOnPty(w, pty));
    const QByteArray good = frames::systemStatus(0, 0, 0);
    QVERIFY(pty.write(QByteArray("\x01\x02", 2) + good + good + frames::corrupted(good)));
    QVERIFY(
        waitUntil([&] { return link->valueText(diagnostics::LinkTab::CheckFailuresRow) == "1"; }));
    QCOMPARE(link->valueText(diagnostics::LinkTab::SettingsRow), QStringLiteral("115200 8N1"));
    QCOMPARE(link->valueText(diagnostics::LinkTab::StateRow), QStringLiteral("已打开"));
    QCOMPARE(link->valueText(diagnostics::LinkTab::FramesInRow), QStringLiteral("3"));
    QCOMPARE(link->valueText(diagnostics::LinkTab::NoiseRow), QStringLiteral("2"));
    QCOMPARE(link->valueText(diagnostics::LinkTab::BytesInRow),
             QString::number(2 + 3 * good.size()));
    QCOMPARE(link->codeTable()->rowCount(), 1);
    QCOMPARE(link->codeTable()->item(0, 0)->text(), QStringLiteral("E6"));
    QCOMPARE(link->codeTable()->item(0, 2)->text(), QStringLiteral("3"));

    QPushButton *reset = nullptr;
    for (QPushButton *b : link->findChildren<QPushButton *>())
        if (b->text() == QStringLiteral("计数清零"))
            reset = b;
    QVERIFY(reset);
    reset->click();
    QCOMPARE(link->valueText(diagnostics::LinkTab::FramesInRow), QStringLiteral("0"));
    QCOMPARE(link->valueText(diagnostics::LinkTab::CheckFailuresRow), QStringLiteral("0"));
    QCOMPARE(link->codeTable()->rowCount(), 0);
}

void DiagnosticsWindowTest::theEventsTabReadsTheHistoryDatabase() {
    ShownWindow shown;
    auto &[dir, pty, w] = shown;
    auto *recorder = w.findChild<history::Recorder *>();
    QVERIFY(fixture::openOnPty(w, pty));
    fixture::formOf(w).pushButtonSerialSwitch->click();
    recorder->flushNow();

    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    d->window()->tabs()->setCurrentIndex(DiagnosticsWindow::EventsIndex);
    diagnostics::EventsTab *events = d->window()->eventsTab();
    QVERIFY(waitUntil([&] { return events->model().rowCount() >= 2; }));
    // Newest first: the close, then the open; the port's row in words, its key kept.
    const auto cell = [&](int column, int role) {
        return events->model().data(events->model().index(0, column), role).toString();
    };
    QCOMPARE(cell(diagnostics::EventModel::Name, diagnostics::EventModel::StoredRole),
             QStringLiteral("closed"));
    QCOMPARE(cell(diagnostics::EventModel::Name, Qt::DisplayRole), QStringLiteral("串口"));
    QCOMPARE(cell(diagnostics::EventModel::Value, Qt::DisplayRole), QStringLiteral("已关闭"));
    events->categoryBox()->setCurrentIndex(
        events->categoryBox()->findData(QStringLiteral("alarm")));
    QCOMPARE(events->model().rowCount(), 0);
    events->categoryBox()->setCurrentIndex(events->categoryBox()->findData(QStringLiteral("link")));
    QVERIFY(waitUntil([&] { return events->model().rowCount() >= 2; }));
    events->textBox()->setText(QStringLiteral("opened"));
    QVERIFY(waitUntil([&] { return events->model().rowCount() == 1; }));
}

void DiagnosticsWindowTest::theStatusBarShowsTheOpenFailureOfAMissingPort() {
    WorkDir dir;
    Serial w;
    w.show();
    auto *line = w.statusBar()->findChild<LinkStatusLine *>();
    QVERIFY(line);
    const QRect switchPlace = SerialProbe::form(w)->pushButtonSerialSwitch->geometry();
    fixture::selectEntry(w, QStringLiteral("/dev/ttyNOSUCH7(test)"));
    fixture::formOf(w).pushButtonSerialSwitch->click();
    QVERIFY(!SerialProbe::portOpen(w));
    QCOMPARE(line->state(), LinkStatusLine::State::OpenFailed);
    const QString error = SerialProbe::port(w)->errorString();
    QVERIFY(!error.isEmpty());
    QCOMPARE(line->text(),
             SerialProbe::port(w)->portName() + QStringLiteral(" 打开失败: ") + error);
    // No box, and the button stays as it was.
    QVERIFY(!boxShown());
    QCOMPARE(SerialProbe::form(w)->pushButtonSerialSwitch->text(), QStringLiteral("打开串口"));
    QCOMPARE(SerialProbe::form(w)->pushButtonSerialSwitch->geometry(), switchPlace);
}

void DiagnosticsWindowTest::theStatusBarShowsTheOpenFailureOfABusyPort() {
    WorkDir dir;
    PtyPair pty;
    // Another program holds the port.
    QSerialPort other;
    other.setPortName(pty.slavePath());
    QVERIFY(other.open(QIODevice::ReadWrite));
    Serial w;
    w.show();
    auto *line = w.statusBar()->findChild<LinkStatusLine *>();
    fixture::selectEntry(w, pty.entryText());
    fixture::formOf(w).pushButtonSerialSwitch->click();
    QVERIFY(!SerialProbe::portOpen(w));
    QCOMPARE(line->state(), LinkStatusLine::State::OpenFailed);
    QVERIFY2(
        line->text().startsWith(SerialProbe::port(w)->portName() + QStringLiteral(" 打开失败: ")),
        qPrintable(line->text()));
    QVERIFY(line->text().endsWith(SerialProbe::port(w)->errorString()));

    // Once the other program lets go, the open works and the line says so.
    other.close();
    fixture::formOf(w).pushButtonSerialSwitch->click();
    QVERIFY(SerialProbe::portOpen(w));
    QCOMPARE(line->state(), LinkStatusLine::State::Open);
    QVERIFY(!line->text().contains(QStringLiteral("打开失败")));
}

void DiagnosticsWindowTest::textsAreEnglishAfterSwitchingTheLanguage() {
    ShownWindow shown;
    auto &[dir, pty, w] = shown;
    Diagnostics *d = shown.openDiagnostics();
    SerialProbe::tianslations(w, &preference::english);
    QVERIFY(waitUntil([&] { return d->menu()->title() == QStringLiteral("Diagnostics"); }));
    const QStringList titles = menuTitles(w);
    QCOMPARE(titles.value(titles.indexOf(QStringLiteral("Diagnostics")) + 2),
             QStringLiteral("Help"));
    QCOMPARE(d->action()->text(), QStringLiteral("Link diagnostics..."));
    DiagnosticsWindow *window = d->window();
    QVERIFY(waitUntil(
        [&] { return window->windowTitle() == QStringLiteral("Diagnostics - LASER SYSTEM"); }));
    QCOMPARE(window->tabs()->tabText(0), QStringLiteral("Events"));
    QCOMPARE(window->tabs()->tabText(1), QStringLiteral("Frames"));
    QCOMPARE(window->tabs()->tabText(2), QStringLiteral("Trends"));
    QCOMPARE(window->tabs()->tabText(3), QStringLiteral("Link"));
    QCOMPARE(window->framesTab()->failedBox()->text(), QStringLiteral("Failed checks only"));
    QCOMPARE(window->framesTab()->model().headerData(3, Qt::Horizontal).toString(),
             QStringLiteral("Hex"));
    auto *line = w.statusBar()->findChild<LinkStatusLine *>();
    QVERIFY2(line->text().endsWith(QStringLiteral(" not open")), qPrintable(line->text()));

    // And back.
    SerialProbe::tianslations(w, &preference::chinese);
    QVERIFY(waitUntil([&] { return d->menu()->title() == QStringLiteral("诊断"); }));
    QVERIFY(waitUntil([&] { return window->tabs()->tabText(1) == QStringLiteral("报文"); }));
}

void DiagnosticsWindowTest::theHistorysTroubleShowsInTheStatusBarAndTheLinkTab() {
    WorkDir dir;
    // A file where the log folder should be: nothing can be written under it.
    QFile blocker(QStringLiteral("log"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PtyPair pty;
    Serial w;
    w.show();
    QVERIFY(fixture::openOnPty(w, pty));
    auto *line = w.statusBar()->findChild<LinkStatusLine *>();
    QVERIFY(waitUntil([&] { return line->text().contains(QStringLiteral("历史记录: ")); }, 5000));
    // The port works on as before.
    QCOMPARE(line->state(), LinkStatusLine::State::Open);
    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    d->window()->tabs()->setCurrentIndex(DiagnosticsWindow::LinkIndex);
    const QString shown = d->window()->linkTab()->valueText(diagnostics::LinkTab::TroubleRow);
    QVERIFY(shown != QStringLiteral("正常"));
    QCOMPARE(shown, diagnostics::historyStateText(*w.findChild<history::Recorder *>()));
}

void DiagnosticsWindowTest::aFailedFramesExportIsReportedInTheTab() {
    ShownWindow shown;
    auto &[dir, pty, w] = shown;
    Diagnostics *d = shown.openDiagnostics();
    diagnostics::FramesTab *frames = d->window()->framesTab();
    // A folder that does not exist: nothing can be created there, not even by root. (Not /proc,
    // whose thousands of changing entries the dialog's file model would start to read.)
    {
        FileDialogAnswer answer(dir.path() + QStringLiteral("/missing/frames.csv"));
        frames->exportCsvButton()->click();
        QVERIFY(answer.wasAnswered());
    }
    QVERIFY2(frames->messageLabel()->text().startsWith(QStringLiteral("导出失败: ")),
             qPrintable(frames->messageLabel()->text()));
    {
        FileDialogAnswer answer(dir.path() + QStringLiteral("/frames.csv"));
        frames->exportCsvButton()->click();
        QVERIFY(answer.wasAnswered());
    }
    QCOMPARE(frames->messageLabel()->text(), QString());
    QVERIFY(QFile::exists(dir.path() + QStringLiteral("/frames.csv")));
}

void DiagnosticsWindowTest::theAlarmsOnShowAboveTheEventsAndTheirCountInTheStatusBar() {
    ShownWindow shown;
    auto &[dir, pty, w] = shown;
    QVERIFY(fixture::openOnPty(w, pty));
    auto *count = w.statusBar()->findChild<diagnostics::ActiveAlarmCount *>();
    QVERIFY(count && count->isHidden());
    QVERIFY(
        pty.write(frames::systemStatus(0, 0x08, 0) + frames::moduleStatus(1, frames::Module::qbh)));
    QVERIFY(waitUntil([&] { return count->isVisible(); }));
    QCOMPARE(count->text(), QStringLiteral("当前报警: 2"));

    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    d->window()->tabs()->setCurrentIndex(DiagnosticsWindow::EventsIndex);
    QLabel *strip = d->window()->eventsTab()->alarmStrip();
    QVERIFY2(strip->text().contains(QStringLiteral("水冷机警报  自 ")), qPrintable(strip->text()));
    QVERIFY(strip->text().contains(QStringLiteral("模块1 QBH报警  自 ")));
    QVERIFY(strip->text().contains(QStringLiteral("已持续 ")));

    // Cleared on the device, and so gone from both.
    QVERIFY(pty.write(frames::systemStatus(0, 0, 0) + frames::moduleStatus(1)));
    QVERIFY(waitUntil([&] { return count->isHidden(); }));
    QVERIFY(waitUntil([&] { return strip->text() == QStringLiteral("当前无报警"); }));
}

void DiagnosticsWindowTest::aNewRowShowsWithinASecondAndAScrolledViewKeepsItsPlace() {
    ShownWindow shown;
    auto &[dir, pty, w] = shown;
    auto *recorder = w.findChild<history::Recorder *>();
    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    d->window()->tabs()->setCurrentIndex(DiagnosticsWindow::EventsIndex);
    diagnostics::EventsTab *events = d->window()->eventsTab();
    diagnostics::EventModel &model = events->model();
    QVERIFY(fixture::openOnPty(w, pty));
    const auto toggles = [](int n) {
        QByteArray bytes;
        for (int i = 0; i < n; ++i)
            bytes += frames::moduleStatus(0, frames::Module::qbh) + frames::moduleStatus(0);
        return bytes;
    };
    // The opened row and a few: how long from the recorder taking a row on to its showing.
    QElapsedTimer taken;
    connect(recorder, &history::Recorder::eventRecorded, this, [&] { taken.start(); });
    QVERIFY(pty.write(toggles(1)));
    QVERIFY(waitUntil([&] { return model.rowCount() == 4; })); // with the rise's first out
    const qint64 took = taken.elapsed();
    QVERIFY2(took < 1000, qPrintable(QString::number(took)));

    QVERIFY(pty.write(toggles(60)));
    QVERIFY2(waitUntil([&] { return model.rowCount() == 124; }, 5000),
             qPrintable(QString::number(model.rowCount())));
    QTableView *view = events->table();
    QScrollBar *bar = view->verticalScrollBar();
    QVERIFY(waitUntil([&] { return bar->maximum() > 30; }));
    bar->setValue(20);
    const int top = view->rowAt(0);
    const QVariant at = model.data(model.index(top, diagnostics::EventModel::At), Qt::EditRole);
    QVERIFY(pty.write(toggles(2)));
    QVERIFY(waitUntil([&] { return model.rowCount() == 128; }));
    QCOMPARE(view->rowAt(0), top + 4);
    QCOMPARE(model.data(model.index(top + 4, diagnostics::EventModel::At), Qt::EditRole), at);

    // At the top, the newest rows come into view.
    bar->setValue(0);
    QVERIFY(pty.write(toggles(1)));
    QVERIFY(waitUntil([&] { return model.rowCount() == 130; }));
    QCOMPARE(bar->value(), 0);
}

// After frames of every kind, a failed check, an unknown code and the port's own rows, nothing
// of the window or the status bar is left in Chinese; the device's product type and serial
// number are its own.
void DiagnosticsWindowTest::inEnglishNothingButTheDevicesOwnDataIsChinese() {
    ShownWindow shown;
    auto &[dir, pty, w] = shown;
    SerialProbe::tianslations(w, &preference::english);
    fixture::selectEntry(w, QStringLiteral("/dev/ttyNOSUCH7(test)"));
    fixture::formOf(w).pushButtonSerialSwitch->click();
    QVERIFY(fixture::openOnPty(w, pty));
    const QByteArray status = frames::systemStatus(0xFF, 0xFF, 0xFF);
    QVERIFY(pty.write(status + frames::corrupted(status) + frames::make(0x55, frames::zeros(3)) +
                      frames::moduleStatus(0, 0x3F) + frames::moduleStatus(2, 0x3F) +
                      frames::driverChannel(1, 5, 0xFF, 0xFF) +
                      frames::temperatureReading(2591, 2) + frames::dewPoint(1230) +
                      frames::clock(26, 12, 7, 14, 37)));
    QVERIFY(fixture::waitForReceivePass(w));
    // A command, and the port closed and opened again.
    fixture::formOf(w).pushButton_redon->click();
    fixture::formOf(w).pushButtonSerialSwitch->click();
    QVERIFY(fixture::openOnPty(w, pty));
    QVERIFY(pty.write(
        frames::systemStatus(0x10, 0, 0) +
        frames::productInfo(QByteArray("FL-2000W-X").leftJustified(16, '\0'), "SN1234567890")));
    QVERIFY(fixture::waitForReceivePass(w));
    w.findChild<history::Recorder *>()->flushNow();

    Diagnostics *d = diagnosticsOf(w);
    d->showWindow();
    DiagnosticsWindow *window = d->window();
    const protocol::DeviceState &state = fixture::stateOf(w);
    const QRegularExpression han(QStringLiteral("\\p{Han}"));
    for (int tab = 0; tab < window->tabs()->count(); ++tab) {
        window->tabs()->setCurrentIndex(tab);
        if (tab == DiagnosticsWindow::EventsIndex)
            QVERIFY(waitUntil([&] { return window->eventsTab()->model().rowCount() > 10; }));
        if (tab == DiagnosticsWindow::TrendsIndex)
            QVERIFY(waitUntil([&] { return !window->trendsTab()->isLoading(); }));
        QStringList chinese;
        for (QString text : textsUnder(window) + textsUnder(w.statusBar())) {
            text.remove(state.productType).remove(state.serialNumber);
            if (text.contains(han))
                chinese << text;
        }
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n'))));
    }
    QVERIFY(!state.productType.isEmpty());
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    DiagnosticsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "diagnostics_window_test.moc"
