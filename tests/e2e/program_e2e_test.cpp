// The real program in a real X window, with the simulated CCB on a virtual ttyUSB0, driven as
// a person would: clicks with xdotool, screenshots with import, colours and texts read from the
// pixels. Needs DISPLAY, root and xdotool/ImageMagick; skips otherwise.

#include "common/pixel_sizes.h"
#include "protocol/system_settings.h"
#include "support/e2e/checks.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <memory>

using harness::Driver;
using harness::FormMap;
using harness::Lamp;
using harness::Screen;
using harness::Session;

namespace {

QString lampText(Lamp l) {
    return harness::lampName(l);
}

// The stored value the simulator logs after a parameter-40 write.
QString storedSettings(harness::Simulator &sim, int from, int timeoutMs) {
    QString line;
    if (!sim.waitForLog(QRegularExpression(QStringLiteral("settings stored: (.*)$")), from,
                        timeoutMs, &line))
        return QString();
    return line.section(QStringLiteral("settings stored: "), 1).trimmed();
}

QString hexOf(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

} // namespace

class ProgramE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void simulatorPortIsListedAndOpens();
    void lampsAndValuesFollowTheSimulator();
    void redLightButtonsSwitchTheSimulatorsLight();
    void readBackThenSetRoundTripsTheSettings();
    void silentLinkRaisesTheLinkLostBoxAndClearsThePage();
    void englishAfterTheMenuChoiceAndAfterARestart();
    void windowKeepsItsPixelSizeOnADenserScreen();
    void aTrayThatComesAfterTheProgramIsUsedAndFollowed();
};

void ProgramE2eTest::initTestCase() {
    SKIP_WITHOUT_PREREQUISITES();
}

void ProgramE2eTest::simulatorPortIsListedAndOpens() {
    Session s;
    START_SESSION(s);
    const QImage before = Screen::shot();
    // The combo box lists the simulator under the name and description Qt reports.
    QVERIFY2(s.driver->shows(QStringLiteral("comboBoxCOM"), nullptr, before) == false,
             "the port list should not look empty");
    FormMap listed;
    listed.setWindowSize(s.driver->geometry().size());
    auto *combo = listed.window()->findChild<QComboBox *>(QStringLiteral("comboBoxCOM"));
    QVERIFY(combo);
    combo->addItem(QStringLiteral("ttyUSB0(CCB Simulator)"));
    Driver asListed(listed);
    QVERIFY(asListed.attach(2000));
    double diff = 1;
    QVERIFY2(asListed.waitForLook(QStringLiteral("comboBoxCOM"), nullptr, 3000, &diff),
             qPrintable(QStringLiteral("combo box differs from \"ttyUSB0(CCB Simulator)\" in %1 "
                                       "of its pixels")
                            .arg(diff)));
    QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_DCOn"), before)), lampText(Lamp::Gray));

    QVERIFY2(s.openPort(), "the switch button does not read 关闭串口 after the click");
    // The comparison tells the two captions apart.
    const QString closed = QStringLiteral("打开串口");
    QVERIFY(!s.driver->shows(QStringLiteral("pushButtonSerialSwitch"), &closed, Screen::shot()));
    // The CCB says DC on and laser ready: both lamps turn green within a round and a refresh.
    Lamp seen;
    QVERIFY2(s.driver->waitForLamp(QStringLiteral("label_DCOn"), Lamp::Green, 3000, &seen),
             qPrintable(lampText(seen)));
    QVERIFY(s.driver->waitForLamp(QStringLiteral("label_LaserReady"), Lamp::Green, 2000, &seen));
    QVERIFY(s.driver->waitForText(QStringLiteral("label_ProductType"),
                                  QStringLiteral("FL-SIM-1000"), 2000));
}

void ProgramE2eTest::lampsAndValuesFollowTheSimulator() {
    Session s;
    VERIFY_STARTED(s.startWithPortOpen());

    struct Row {
        const char *command;
        const char *label;
        Lamp on;
    };
    const Row rows[] = {
        {"alarm estop", "label_outEstop2", Lamp::Red},
        {"alarm door", "label_DoorInterLock", Lamp::Red},
        {"alarm chiller", "label_FaultChiller", Lamp::Red},
        {"alarm qbh", "label_QBH_FiberInterFault", Lamp::Red},
        {"alarm fiberbreak", "label_FiberBreakFault", Lamp::Red},
        {"alarm pd", "label_PDFault", Lamp::Red},
        {"alarm waterin", "label_WaterInHiFault", Lamp::Red},
        {"alarm overcurrent", "label_driverOC_fault", Lamp::Red},
        {"alarm overtemp", "label_driverTemp_fault", Lamp::Red},
        {"beam", "label_BeamOn", Lamp::Orange},
    };
    for (const Row &row : rows) {
        const QString label = QString::fromLatin1(row.label);
        s.sim.send(QStringLiteral("%1 on").arg(QLatin1String(row.command)));
        Lamp seen;
        QVERIFY2(s.driver->waitForLamp(label, row.on, 3000, &seen),
                 qPrintable(QStringLiteral("%1 on: %2 shows %3")
                                .arg(QLatin1String(row.command), label, lampText(seen))));
        // Any alarm is also a system fault, and the laser is no longer ready.
        if (row.on == Lamp::Red) {
            const QImage shot = Screen::shot();
            QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_Fault"), shot)),
                     lampText(Lamp::Red));
            QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_LaserReady"), shot)),
                     lampText(Lamp::Gray));
        }
        s.sim.send(QStringLiteral("%1 off").arg(QLatin1String(row.command)));
        QVERIFY2(s.driver->waitForLamp(label, Lamp::Gray, 3000, &seen),
                 qPrintable(QStringLiteral("%1 off: %2 shows %3")
                                .arg(QLatin1String(row.command), label, lampText(seen))));
    }

    // Values: whole degrees for the water, the dew point as it comes.
    QVERIFY(s.driver->waitForText(QStringLiteral("label_TempWaterIn"), QStringLiteral("24"), 2000));
    const QString t31 = QStringLiteral("31");
    QVERIFY(!s.driver->shows(QStringLiteral("label_TempWaterIn"), &t31, Screen::shot()));
    s.sim.send(QStringLiteral("temp in 31"));
    s.sim.send(QStringLiteral("temp out 28.7"));
    s.sim.send(QStringLiteral("dew 7.25"));
    QVERIFY2(s.driver->waitForText(QStringLiteral("label_TempWaterIn"), QStringLiteral("31"), 3000),
             "T3 does not show 31");
    QVERIFY2(
        s.driver->waitForText(QStringLiteral("label_TempWaterOut"), QStringLiteral("28"), 3000),
        "T4 does not show 28");
    QVERIFY2(
        s.driver->waitForText(QStringLiteral("label_TempDewPoint"), QStringLiteral("7.25"), 3000),
        "the dew point does not show 7.25");
    // Both water alarms together light the temperature alarm as well.
    s.sim.send(QStringLiteral("alarm waterin on"));
    s.sim.send(QStringLiteral("alarm waterout on"));
    QVERIFY(s.driver->waitForLamp(QStringLiteral("label_TemperatureFault"), Lamp::Red, 3000));
}

void ProgramE2eTest::redLightButtonsSwitchTheSimulatorsLight() {
    Session s;
    VERIFY_STARTED(s.startWithPortOpen());
    QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_RedOn"), Screen::shot())),
             lampText(Lamp::Gray));

    int mark = s.sim.mark();
    s.driver->click(QStringLiteral("pushButton_redon"));
    QVERIFY2(s.sim.waitForLog(QRegularExpression(QStringLiteral("red light on$")), mark, 2000),
             "the simulator did not receive the red-light write");
    Lamp seen;
    QVERIFY2(s.driver->waitForLamp(QStringLiteral("label_RedOn"), Lamp::Green, 3000, &seen),
             qPrintable(lampText(seen)));

    mark = s.sim.mark();
    s.driver->click(QStringLiteral("pushButton_redoff"));
    QVERIFY(s.sim.waitForLog(QRegularExpression(QStringLiteral("red light off$")), mark, 2000));
    QVERIFY2(s.driver->waitForLamp(QStringLiteral("label_RedOn"), Lamp::Gray, 3000, &seen),
             qPrintable(lampText(seen)));
}

void ProgramE2eTest::readBackThenSetRoundTripsTheSettings() {
    Session s;
    START_SESSION(s);
    // A stored set the page can show: PD and dew alarms masked, red light automatic, mode 1,
    // leakage limit 2000.
    protocol::SystemSettings stored;
    stored.faultDisablePd = true;
    stored.faultDisableDew = true;
    stored.redAuto = true;
    stored.opModeUsr = 1;
    stored.pdLeakageLevel = 2000;
    s.sim.send(QStringLiteral("settings %1")
                   .arg(QString::fromLatin1(protocol::encodeSystemSettings(stored).toHex())));
    QVERIFY(s.openPort());

    s.driver->chooseMenu(QStringLiteral("actionSys_set"));
    QVERIFY2(s.driver->waitForLook(QStringLiteral("pushButton_sysSet_readBack1"), nullptr, 3000),
             "the settings page is not shown after 设置");

    int mark = s.sim.mark();
    s.driver->click(QStringLiteral("pushButton_sysSet_readBack1"));
    QVERIFY2(s.sim.waitForLog(QRegularExpression(QStringLiteral("settings read")), mark, 2000),
             "读回 sent no parameter-40 read");
    Lamp seen;
    QVERIFY2(
        s.driver->waitForLamp(QStringLiteral("label_FaultDisablePd"), Lamp::Green, 3000, &seen),
        qPrintable(lampText(seen)));
    const QImage shown = Screen::shot();
    QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_FaultDisableDew"), shown)),
             lampText(Lamp::Green));
    QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_RedAuto"), shown)),
             lampText(Lamp::Green));
    QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_FaultDisabledChiller"), shown)),
             lampText(Lamp::Gray));
    QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_RedOnBeam"), shown)),
             lampText(Lamp::Gray));

    // The two editable flags: red light follows the beam, and the QBH alarm masked after the
    // warning is answered with Yes.
    s.driver->click(QStringLiteral("checkBox_RedOnBeam"));
    s.driver->click(QStringLiteral("checkBox_FaultDisableFiberInter"));
    const quint64 warning = Screen::findWindow(QStringLiteral("警告"), 3000);
    QVERIFY2(warning, "no warning box after checking 屏蔽QBH警报");
    Screen::run(QStringLiteral("xdotool"),
                {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(warning),
                 QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY2(Screen::windowGone(QStringLiteral("警告"), 3000), "the warning box stays open");

    mark = s.sim.mark();
    s.driver->click(QStringLiteral("pushButton_sysSet_set1"));
    protocol::SystemSettings expected = stored;
    expected.redOnBeam = true;
    expected.faultDisableFiberInter = true;
    QCOMPARE(storedSettings(s.sim, mark, 2000), hexOf(protocol::encodeSystemSettings(expected)));
    // The reply comes back and the page shows the stored flags.
    QVERIFY(s.driver->waitForLamp(QStringLiteral("label_RedOnBeam"), Lamp::Green, 3000, &seen));
    QVERIFY(s.driver->waitForLamp(QStringLiteral("label_FaultDisableFiberInter"), Lamp::Green, 3000,
                                  &seen));

    // Reading back again gives what was stored.
    mark = s.sim.mark();
    s.driver->click(QStringLiteral("pushButton_sysSet_readBack1"));
    QString line;
    QVERIFY(s.sim.waitForLog(QRegularExpression(QStringLiteral("settings read: (.*)$")), mark, 2000,
                             &line));
    QVERIFY2(line.endsWith(hexOf(protocol::encodeSystemSettings(expected))), qPrintable(line));
}

void ProgramE2eTest::silentLinkRaisesTheLinkLostBoxAndClearsThePage() {
    Session s;
    VERIFY_STARTED(s.startWithPortOpen());
    QVERIFY(s.driver->waitForText(QStringLiteral("label_TempWaterIn"), QStringLiteral("24"), 2000));

    const int mark = s.sim.mark();
    s.sim.send(QStringLiteral("silent 30"));
    double silentAt = 0;
    QVERIFY(s.sim.waitForLog(QRegularExpression(QStringLiteral("silent for")), mark, 2000, nullptr,
                             &silentAt));
    // The program counts ticks of its 1 ms timer, not milliseconds: on a loaded machine the
    // timer fires late and the 15 to 16 s stretch with it. A 1 ms timer here, counted over the
    // same wait, tells by how much.
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    int ticks = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    // No box within the first 14 s: looked for all along, not only at the end.
    quint64 early = 0;
    QTimer look;
    look.setInterval(500);
    QEventLoop loop;
    QObject::connect(&look, &QTimer::timeout, [&] {
        early = Screen::findWindow(QStringLiteral("串口错误"), 0);
        if (early)
            loop.quit();
    });
    QElapsedTimer waited;
    waited.start();
    ticker.start();
    look.start();
    QTimer::singleShot(14000, &loop, &QEventLoop::quit);
    loop.exec();
    ticker.stop();
    look.stop();
    QVERIFY2(
        !early,
        qPrintable(
            QStringLiteral("a 串口错误 box after only %1 ms of silence").arg(waited.elapsed())));
    const double stretch = qMax(1.0, double(waited.elapsed()) / qMax(1, ticks));
    const quint64 box = Screen::findWindow(QStringLiteral("串口错误"), int(6000 * stretch));
    const double seenAt = harness::wallClockMs();
    QVERIFY2(box, "no 串口错误 box within 20 s of silence");
    const double after = (seenAt - silentAt) / 1000.0;
    qInfo("link-lost box seen %.2f s after the simulator fell silent (timer stretch %.2f)", after,
          stretch);
    // The last frame left at most one 300 ms round before the silence began.
    QVERIFY2(after >= 15.0 - 0.3 && after <= 17.0 * stretch,
             qPrintable(QStringLiteral("box after %1 s (stretch %2)").arg(after).arg(stretch)));
    // While the box is open the page still shows the last values.
    QCOMPARE(lampText(s.driver->lamp(QStringLiteral("label_DCOn"), Screen::shot())),
             lampText(Lamp::Green));

    Screen::run(QStringLiteral("xdotool"),
                {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(box),
                 QStringLiteral("key"), QStringLiteral("Return")});
    Lamp seen;
    QVERIFY2(s.driver->waitForLamp(QStringLiteral("label_DCOn"), Lamp::Gray, 3000, &seen),
             qPrintable(lampText(seen)));
    QVERIFY(s.driver->waitForText(QStringLiteral("label_TempWaterIn"), QStringLiteral("0"), 2000));
    QVERIFY(s.driver->waitForText(QStringLiteral("label_ProductType"), QString(), 2000));
    QVERIFY2(s.driver->waitForText(QStringLiteral("pushButtonSerialSwitch"),
                                   QStringLiteral("打开串口"), 2000),
             "the port was not closed after the link was lost");
}

void ProgramE2eTest::englishAfterTheMenuChoiceAndAfterARestart() {
    const harness::Paths paths = harness::defaultPaths();
    harness::WorkDir dir(paths.languageDir);
    const QString english = paths.languageDir + QStringLiteral("/lang_English.qm");
    QVERIFY(QFile::exists(english));

    {
        Session s(&dir);
        START_SESSION(s);
        double diff = 1;
        QVERIFY2(
            s.driver->waitForLook(QStringLiteral("pushButtonSerialSwitch"), nullptr, 3000, &diff),
            qPrintable(QStringLiteral("switch button differs in %1 of its pixels").arg(diff)));
        // Built only now: its catalogue stays installed in this process while it lives.
        FormMap englishForm(english);
        const QString englishTitle = englishForm.window()->windowTitle();
        const QString englishSwitch = englishForm.text(QStringLiteral("pushButtonSerialSwitch"));
        QVERIFY2(englishSwitch != QStringLiteral("打开串口"),
                 "the English catalogue does not translate the switch button");
        QVERIFY(!s.driver->shows(QStringLiteral("pushButtonSerialSwitch"), &englishSwitch,
                                 Screen::shot()));
        s.driver->chooseMenu(QStringLiteral("actionEnglish"));
        Driver inEnglish(englishForm);
        QVERIFY(inEnglish.attach(3000));
        QVERIFY2(
            inEnglish.waitForText(QStringLiteral("pushButtonSerialSwitch"), englishSwitch, 3000),
            qPrintable(
                QStringLiteral("the switch button does not read \"%1\"").arg(englishSwitch)));
        QVERIFY(inEnglish.waitForLook(QStringLiteral("pushButtonUpData"), nullptr, 3000));
        QCOMPARE(Screen::windowTitle(inEnglish.window()), englishTitle);
        QFile pref(dir.preferenceFile());
        QVERIFY(pref.open(QIODevice::ReadOnly));
        QCOMPARE(pref.readAll(), QByteArray("language = english"));
    }

    // A new start reads the preference and comes up in English without a click.
    Session again(&dir);
    START_SESSION(again, english);
    const QString englishTitle = again.map->window()->windowTitle();
    const QString englishSwitch = again.map->text(QStringLiteral("pushButtonSerialSwitch"));
    QVERIFY2(
        again.driver->waitForText(QStringLiteral("pushButtonSerialSwitch"), englishSwitch, 3000),
        "after a restart the switch button is not in English");
    QVERIFY(again.driver->waitForLook(QStringLiteral("pushButtonUpData"), nullptr, 3000));
    QCOMPARE(Screen::windowTitle(again.driver->window()), englishTitle);
}

void ProgramE2eTest::windowKeepsItsPixelSizeOnADenserScreen() {
    QSize plainSize;
    {
        Session plain;
        START_SESSION(plain);
        plainSize = plain.driver->geometry().size();
    }
    // At 144 dpi Qt 6 would scale the window by one and a half, to 2100x1275 pixels; only the
    // fonts may follow the screen.
    Session dense;
    dense.waitUntilDrawnAsMap = false;
    START_SESSION(dense, QString(), {QStringLiteral("QT_FONT_DPI=144")});
    QCOMPARE(dense.driver->geometry().size(), plainSize);
}

// A panel started after the program (late at login, again after a crash) carries its icon.
void ProgramE2eTest::aTrayThatComesAfterTheProgramIsUsedAndFollowed() {
    if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty() ||
        QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("needs trayer, and a display with no tray yet");
    Session session;
    START_SESSION(session);
    const auto docked = [] {
        QProcess panel;
        panel.start(QStringLiteral("xwininfo"), {"-tree", "-name", "panel"});
        return panel.waitForFinished(5000) && panel.readAll().contains("\"laser-host\"");
    };
    for (int round = 0; round < 2; ++round) { // and again after it was gone
        QProcess tray;
        tray.start(QStringLiteral("trayer"), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(docked(), 10000);
        tray.close();
        QTest::qWait(3000); // the program looks for the tray every 2 s: it has seen it gone
    }
}

LASER_DISPLAY_TEST_MAIN(ProgramE2eTest)

#include "program_e2e_test.moc"
