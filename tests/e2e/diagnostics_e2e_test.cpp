// The diagnostics window of the real program in a real X window, with the simulated CCB on a
// virtual ttyUSB0: the menu opens it, frames flow into the Frames tab and a frame with wrong
// check bytes turns red, the status bar tells why the port did not open, and the window's
// title follows the language. Needs DISPLAY, root and xdotool/ImageMagick; skips otherwise.
#include "history/event_store.h"
#include "support/e2e/checks.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QThread>

#include <memory>

using harness::Driver;
using harness::FormMap;
using harness::Screen;
using harness::Session;

namespace {

// The map of the form knows nothing added in code: give it the diagnostics menu before the
// help menu and the status line, as the program has them, so that positions and looks match.
void addDiagnostics(FormMap &map, const QString &title, const QString &item) {
    QMainWindow *main = map.window();
    QMenu *help = main->findChild<QMenu *>(QStringLiteral("menu_Help"));
    auto *menu = new QMenu(title, main->menuBar());
    menu->setObjectName(QStringLiteral("menu_Diagnostics"));
    QAction *action = menu->addAction(item);
    action->setObjectName(QStringLiteral("actionLinkDiagnostics"));
    main->menuBar()->insertMenu(help->menuAction(), menu);
    auto *line = new QLabel;
    line->setObjectName(QStringLiteral("linkStatusLine"));
    line->setTextFormat(Qt::PlainText);
    main->statusBar()->addPermanentWidget(line);
}

void expectStatus(FormMap &map, const Driver &driver, const QString &text) {
    map.window()->findChild<QLabel *>(QStringLiteral("linkStatusLine"))->setText(text);
    map.setWindowSize(driver.geometry().size());
}

// Pixels of a failed check's red background inside `area` of the screen.
int redPixels(const QImage &shot, const QRect &area) {
    int n = 0;
    const QRect r = area.intersected(shot.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            n += (qAbs(c.red() - 255) < 8 && qAbs(c.green() - 170) < 8 && qAbs(c.blue() - 170) < 8)
                     ? 1
                     : 0;
        }
    return n;
}

// A session whose map knows the diagnostics menu and the status line; its simulator sends a
// round a second, so that rounds with wrong check bytes can be counted.
QString startWithDiagnostics(Session &s) {
    const QString why = s.startSimulator(
        {QStringLiteral("--no-drift"), QStringLiteral("--period"), QStringLiteral("1000")});
    if (!why.isEmpty())
        return why;
    const QString started = s.start();
    if (!started.isEmpty())
        return started;
    addDiagnostics(*s.map, QStringLiteral("诊断"), QStringLiteral("链路诊断..."));
    s.map->setWindowSize(s.driver->geometry().size());
    return QString();
}

} // namespace

class DiagnosticsE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SKIP_WITHOUT_PREREQUISITES(); }
    void theMenuOpensTheWindowWhereFramesFlowAndFailedChecksTurnRed();
    void theStatusBarTellsWhyThePortDidNotOpen();
    void theWindowTitleIsEnglishAfterSwitchingTheLanguage();
    void theReportTabExportsTheFiguresOfTheHistory();
};

void DiagnosticsE2eTest::theMenuOpensTheWindowWhereFramesFlowAndFailedChecksTurnRed() {
    Session s;
    VERIFY_STARTED(startWithDiagnostics(s));
    s.driver->click(QStringLiteral("pushButtonSerialSwitch"));
    QVERIFY(s.driver->waitForText(QStringLiteral("pushButtonSerialSwitch"),
                                  QStringLiteral("关闭串口"), 5000));
    s.driver->chooseMenu(QStringLiteral("actionLinkDiagnostics"));
    const quint64 window = Screen::findWindow(QStringLiteral("诊断 - LASER SYSTEM"), 5000);
    QVERIFY2(window, "no window \"诊断 - LASER SYSTEM\" after the menu choice");
    const QRect area = Screen::windowGeometry(window);
    QVERIFY(!area.isEmpty());
    Screen::parkPointer();

    // Rows come in: the table looks different within a round or two.
    const QImage first = Screen::shot().copy(area);
    QImage later = first;
    QElapsedTimer rows;
    rows.start();
    while (harness::difference(first, later) <= 0.001 && rows.elapsed() < 3000) {
        harness::pause(200);
        later = Screen::shot().copy(area);
    }
    QVERIFY2(harness::difference(first, later) > 0.001, "the Frames tab does not change");
    QCOMPARE(redPixels(later, QRect(QPoint(0, 0), area.size())), 0);

    // Two rounds with wrong check bytes (a round a second): their rows turn red.
    s.sim.send(QStringLiteral("badcrc 2"));
    int red = 0;
    QElapsedTimer t;
    t.start();
    while (red < 2000 && t.elapsed() < 4000) {
        harness::pause(200);
        red = redPixels(Screen::shot(), area);
    }
    if (red < 2000)
        Screen::shot().save(QDir::tempPath() + QStringLiteral("/laser-e2e-diagnostics-red.png"));
    QVERIFY2(red >= 2000, qPrintable(QStringLiteral("%1 red pixels").arg(red)));

    // Chosen again: still one window, looked for until a deadline, and the program still runs.
    s.driver->chooseMenu(QStringLiteral("actionLinkDiagnostics"));
    QElapsedTimer again;
    again.start();
    int windows = 0;
    do {
        QByteArray out;
        QVERIFY(Screen::run(QStringLiteral("xdotool"),
                            {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                             QStringLiteral("--name"), QStringLiteral("诊断 - LASER SYSTEM")},
                            &out));
        windows = out.trimmed().split('\n').size();
    } while (windows == 1 && again.elapsed() < 1000);
    QCOMPARE(windows, 1);
    QVERIFY(s.program.isRunning());
}

void DiagnosticsE2eTest::theStatusBarTellsWhyThePortDidNotOpen() {
    Session s;
    VERIFY_STARTED(startWithDiagnostics(s));
    expectStatus(*s.map, *s.driver, QStringLiteral("ttyUSB0 未打开"));
    QVERIFY(s.driver->waitForLook(QStringLiteral("linkStatusLine"), nullptr, 3000));
    // The adapter goes away before the open: the open fails with the system's reason.
    QVERIFY(s.program.unplugAdapter());
    s.driver->click(QStringLiteral("pushButtonSerialSwitch"));
    expectStatus(*s.map, *s.driver, QStringLiteral("ttyUSB0 打开失败: No such file or directory"));
    double diff = 1;
    if (!s.driver->waitForLook(QStringLiteral("linkStatusLine"), nullptr, 3000, &diff))
        Screen::shot().save(QDir::tempPath() + QStringLiteral("/laser-e2e-diagnostics-status.png"));
    QVERIFY2(diff < 0.01,
             qPrintable(QStringLiteral("the status line differs in %1 of its pixels").arg(diff)));
    // No box, and the button reads as before.
    const QString closed = QStringLiteral("打开串口");
    QVERIFY(s.driver->shows(QStringLiteral("pushButtonSerialSwitch"), &closed, Screen::shot()));
    QCOMPARE(Screen::findWindow(QStringLiteral("错误"), 300), quint64(0));
}

void DiagnosticsE2eTest::theWindowTitleIsEnglishAfterSwitchingTheLanguage() {
    Session s;
    VERIFY_STARTED(startWithDiagnostics(s));
    s.driver->chooseMenu(QStringLiteral("actionEnglish"));
    // The map in English, with the English menu titles in their places.
    FormMap english(s.paths.languageDir + QStringLiteral("/lang_English.qm"));
    addDiagnostics(english, QStringLiteral("Diagnostics"), QStringLiteral("Link diagnostics..."));
    english.setWindowSize(s.driver->geometry().size());
    s.driver->useMap(english);
    expectStatus(english, *s.driver, QStringLiteral("ttyUSB0 not open"));
    QVERIFY(s.driver->waitForLook(QStringLiteral("linkStatusLine"), nullptr, 3000));
    s.driver->chooseMenu(QStringLiteral("actionLinkDiagnostics"));
    QVERIFY(Screen::findWindow(QStringLiteral("Diagnostics - LASER SYSTEM"), 5000));
    s.driver->useMap(*s.map);
}

// A history of the last hours (the chiller chattering, a crash), the Report tab (Ctrl+5) and
// its CSV export (Alt+C), as a person gives them.
void DiagnosticsE2eTest::theReportTabExportsTheFiguresOfTheHistory() {
    Session s;
    const qint64 t = QDateTime::currentMSecsSinceEpoch() - 3 * 3600 * 1000;
    std::vector<events::Event> rows = {{t + 90000, "link", "ended_unexpectedly", {}, {}}};
    for (int i = 0; i < 6; ++i) // three rises within a minute, a second each
        rows.insert(
            rows.begin() + i,
            {t + i / 2 * 10000 + i % 2 * 1000, "alarm", "chillerFault", i % 2 ? "off" : "on", {}});
    QString error;
    history::EventStore store(s.logDir() + QStringLiteral("/history.sqlite"));
    QVERIFY(store.open(&error) == history::EventStore::Result::Ok);
    QVERIFY(store.write(rows, {}, &error) == history::EventStore::Result::Ok);
    store.close();
    VERIFY_STARTED(startWithDiagnostics(s));
    s.driver->chooseMenu(QStringLiteral("actionLinkDiagnostics"));
    const quint64 window = Screen::findWindow(QStringLiteral("诊断 - LASER SYSTEM"), 5000);
    Screen::key(QStringLiteral("ctrl+5"), window);
    quint64 dialog = 0; // the export waits for the figures: asked again until its dialog comes
    for (int i = 0; i < 20 && window && !dialog; ++i) {
        Screen::key(QStringLiteral("alt+c"), window);
        dialog = Screen::findWindow(QStringLiteral("导出CSV"), 500);
    }
    QVERIFY2(dialog, "no export dialog after Ctrl+5 and Alt+C in the diagnostics window");
    QFile csv(s.dir().path() + QStringLiteral("/report.csv"));
    Screen::run(QStringLiteral("xdotool"), {QStringLiteral("type"), csv.fileName()});
    Screen::key(QStringLiteral("Return"), dialog);
    for (int i = 0; i < 50 && !csv.exists(); ++i)
        harness::pause(100);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(csv.readAll());
    // Name, key, rises, seconds on, longest, chattering episodes, first outs, ...
    for (const char *line : {"\r\n水冷机警报,chillerFault,3,3,1,1,0,", "\r\n程序意外结束次数,1,"})
        QVERIFY2(text.contains(QString::fromUtf8(line)), qPrintable(text));
}

LASER_DISPLAY_TEST_MAIN(DiagnosticsE2eTest)

#include "diagnostics_e2e_test.moc"
