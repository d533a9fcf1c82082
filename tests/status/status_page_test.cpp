// The status page pass, driven through the window's own tick: indicators, texts and numbers.
#include "support/table.h"
#include "support/test_main.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QEvent>
#include <QHash>
#include <QTest>

#include <cstring>

using namespace fixture;

namespace {

// Delivers the repaints the passes asked for: they are posted, not painted on the spot.
void flushPaints() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

namespace {

// A change-detected indicator of page_master with module 0 shown: a flag of the state, or of
// module 0.
struct Lamp {
    const char *label;
    bool protocol::DeviceState::*flag;
    bool protocol::ModuleStatus::*moduleFlag;
    const QString *image;
    void set(protocol::DeviceState &s, bool on) const {
        (flag ? s.*flag : s.moduleStatus[0].*moduleFlag) = on;
    }
};

using protocol::DeviceState;
using protocol::ModuleStatus;
const Lamp lamps[] = {
    {"label_outEstop2", &DeviceState::extEStop, nullptr, &red},
    {"label_DoorInterLock", &DeviceState::doorInterlock, nullptr, &red},
    {"label_Fault", &DeviceState::systemFault, nullptr, &red},
    {"label_FaultChiller", &DeviceState::chillerFault, nullptr, &red},
    {"label_DCOn", &DeviceState::dcOn, nullptr, &green},
    {"label_LaserReady", &DeviceState::laserReady, nullptr, &green},
    {"label_RedOn", &DeviceState::redLightOn, nullptr, &green},
    {"label_EStop2Din", &DeviceState::dinEStop2, nullptr, &green},
    {"label_PwmIn", &DeviceState::dinPwm, nullptr, &green},
    {"label_DcOnDin", &DeviceState::dinDcOn, nullptr, &green},
    {"label_LaserOnDin", &DeviceState::dinLaserOn, nullptr, &green},
    {"label_DcOnDOut", &DeviceState::doutDcOn, nullptr, &green},
    {"label_FaultCnc", &DeviceState::doutFault, nullptr, &green},
    {"label_PDFault", nullptr, &ModuleStatus::pdFault, &red},
    {"label_QBH_FiberInterFault", nullptr, &ModuleStatus::qbhFault, &red},
    {"label_BeamOn", nullptr, &ModuleStatus::beamOn, &orange},
    {"label_WaterInHiFault", nullptr, &ModuleStatus::waterInHiFault, &red},
    {"label_WaterOutHiFault", nullptr, &ModuleStatus::waterOutHiFault, &red},
    {"label_FiberBreakFault", nullptr, &ModuleStatus::fiberBreakFault, &red},
};

// Written on every pass, without change detection.
const char *const alwaysWritten[] = {"label_TemperatureFault", "label_driverOC_fault",
                                     "label_driverTemp_fault"};

const char *const textLabels[] = {
    "label_CCBVersion",  "label_SerialNumber", "label_ProductType",  "label_SystemDateTime",
    "label_TempWaterIn", "label_TempWaterOut", "label_TempDewPoint", "label_DBVersion",
    "label_AI_1",        "label_Duty",         "label_Freq"};

QLabel *labelOf(Serial &w, const char *name) {
    QLabel *label = w.findChild<QLabel *>(QString::fromLatin1(name));
    if (!label)
        qFatal("no label %s in the form", name);
    return label;
}

// The pixmap keys of every indicator of page_master.
QHash<QString, qint64> allKeys(Serial &w) {
    QHash<QString, qint64> keys;
    for (const Lamp &lamp : lamps)
        keys.insert(QString::fromLatin1(lamp.label), keyOf(labelOf(w, lamp.label)));
    for (const char *name : alwaysWritten)
        keys.insert(QString::fromLatin1(name), keyOf(labelOf(w, name)));
    return keys;
}

QHash<QString, QString> allTexts(Serial &w) {
    QHash<QString, QString> texts;
    for (const char *name : textLabels)
        texts.insert(QString::fromLatin1(name), labelOf(w, name)->text());
    return texts;
}

// Counts the paint events of the labels it watches.
class PaintCounter : public QObject {
public:
    void watch(QLabel *label) { label->installEventFilter(this); }
    int count(QLabel *label) const { return counts.value(label); }
    int total() const {
        int sum = 0;
        for (int c : counts)
            sum += c;
        return sum;
    }
    void clear() { counts.clear(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++counts[watched];
        return false;
    }

private:
    QHash<QObject *, int> counts;
};

} // namespace

class StatusPageTest : public QObject {
    Q_OBJECT

private slots:
    void theFourImagesAreTellApart();
    void firstPassAfterStartWritesOnlyTheAlwaysWrittenLamps();
    void lampShowsItsImageWhenSetAndGrayWhenCleared_data();
    void lampShowsItsImageWhenSetAndGrayWhenCleared();
    void flagThatFlipsAndFlipsBackBetweenPassesLeavesItsLamp_data();
    void flagThatFlipsAndFlipsBackBetweenPassesLeavesItsLamp();
    void noPassWritesBetweenItsTicks();
    void newlyShownModuleComparesWithItsOwnCopies();
    void qbhLampFollowsModuleZeroOnly();
    void temperatureLampNeedsBothWaterFlagsOfTheShownModule_data();
    void temperatureLampNeedsBothWaterFlagsOfTheShownModule();
    void driverLampsScanEveryBoardAndChannel_data();
    void driverLampsScanEveryBoardAndChannel();
    void settingsPageFreezesStatusPageAndSwitchingBackCatchesUpInOnePass();
    void numbersAndTextsAreFormatted_data();
    void numbersAndTextsAreFormatted();
    void unchangedTextIsNotRepainted();
};

void StatusPageTest::theFourImagesAreTellApart() {
    // The probes below tell the images apart by their pixels.
    const QString paths[] = {red, green, orange, gray};
    for (const QString &a : paths) {
        QVERIFY2(!imageOf(a).isNull(), qPrintable(a));
        for (const QString &b : paths)
            if (&a != &b)
                QVERIFY2(imageOf(a) != imageOf(b), qPrintable(a + QLatin1Char(' ') + b));
    }
    QCOMPARE(imageOf(QStringLiteral(":/002.png")), imageOf(gray));
}

void StatusPageTest::firstPassAfterStartWritesOnlyTheAlwaysWrittenLamps() {
    auto w = quietWindow();
    // As if the form had given these labels texts.
    for (const char *name : textLabels)
        labelOf(*w, name)->setText(QStringLiteral("stale"));
    const QHash<QString, qint64> before = allKeys(*w);

    SerialProbe::ticks(*w, 199);
    QCOMPARE(allKeys(*w), before);
    QCOMPARE(formOf(*w).label_TempWaterIn->text(), QStringLiteral("stale"));

    SerialProbe::ticks(*w, 1);
    for (const Lamp &lamp : lamps) {
        QLabel *label = labelOf(*w, lamp.label);
        QVERIFY2(keyOf(label) == before.value(QString::fromLatin1(lamp.label)), lamp.label);
        QVERIFY2(shows(label, gray), lamp.label); // the form's gray-looking picture
    }
    for (const char *name : alwaysWritten) {
        QLabel *label = labelOf(*w, name);
        QVERIFY2(keyOf(label) != before.value(QString::fromLatin1(name)), name);
        QVERIFY2(shows(label, gray), name);
    }
    SerialForm &f = formOf(*w);
    QCOMPARE(f.label_TempWaterIn->text(), QStringLiteral("0"));
    QCOMPARE(f.label_TempWaterOut->text(), QStringLiteral("0"));
    QCOMPARE(f.label_TempDewPoint->text(), QStringLiteral("0"));
    QCOMPARE(f.label_AI_1->text(), QStringLiteral("0.00"));
    QCOMPARE(f.label_Duty->text(), QStringLiteral("0"));
    QCOMPARE(f.label_Freq->text(), QStringLiteral("0"));
    QCOMPARE(f.label_CCBVersion->text(), QString());
    QCOMPARE(f.label_SerialNumber->text(), QString());
    QCOMPARE(f.label_ProductType->text(), QString());
    QCOMPARE(f.label_SystemDateTime->text(), QString());
    QCOMPARE(f.label_DBVersion->text(), QString());
}

void StatusPageTest::lampShowsItsImageWhenSetAndGrayWhenCleared_data() {
    fixture::columns<int>("row");
    for (int i = 0; i < int(sizeof lamps / sizeof lamps[0]); ++i)
        QTest::newRow(lamps[i].label) << i;
}

void StatusPageTest::lampShowsItsImageWhenSetAndGrayWhenCleared() {
    QFETCH(int, row);
    const Lamp &lamp = lamps[row];
    auto w = quietWindow();
    nextPass(*w);
    QLabel *label = labelOf(*w, lamp.label);
    QHash<QString, qint64> others = allKeys(*w);

    lamp.set(stateOf(*w), true);
    nextPass(*w);
    QVERIFY(shows(label, *lamp.image));
    // No other change-detected lamp moved.
    for (const Lamp &other : lamps)
        if (&other != &lamp)
            QVERIFY2(keyOf(labelOf(*w, other.label)) ==
                         others.value(QString::fromLatin1(other.label)),
                     other.label);

    lamp.set(stateOf(*w), false);
    nextPass(*w);
    QVERIFY(shows(label, gray));
}

void StatusPageTest::flagThatFlipsAndFlipsBackBetweenPassesLeavesItsLamp_data() {
    lampShowsItsImageWhenSetAndGrayWhenCleared_data();
}

void StatusPageTest::flagThatFlipsAndFlipsBackBetweenPassesLeavesItsLamp() {
    QFETCH(int, row);
    const Lamp &lamp = lamps[row];
    auto w = quietWindow();
    QLabel *label = labelOf(*w, lamp.label);
    nextPass(*w);

    // Clear, set, clear again between two passes.
    qint64 key = markUntouched(label);
    lamp.set(stateOf(*w), true);
    SerialProbe::ticks(*w, 100);
    lamp.set(stateOf(*w), false);
    nextPass(*w);
    QCOMPARE(keyOf(label), key);

    // Set, clear, set again between two passes.
    lamp.set(stateOf(*w), true);
    nextPass(*w);
    QVERIFY(shows(label, *lamp.image));
    key = markUntouched(label);
    lamp.set(stateOf(*w), false);
    SerialProbe::ticks(*w, 100);
    lamp.set(stateOf(*w), true);
    nextPass(*w);
    QCOMPARE(keyOf(label), key);
}

void StatusPageTest::noPassWritesBetweenItsTicks() {
    auto w = quietWindow();
    nextPass(*w);
    stateOf(*w).dcOn = true;
    stateOf(*w).tempWaterIn = 31;
    for (int i = 0; i < 199; ++i) {
        SerialProbe::ticks(*w, 1);
        QVERIFY(shows(formOf(*w).label_DCOn, gray));
        QCOMPARE(formOf(*w).label_TempWaterIn->text(), QStringLiteral("0"));
    }
    SerialProbe::ticks(*w, 1);
    QVERIFY(shows(formOf(*w).label_DCOn, green));
    QCOMPARE(formOf(*w).label_TempWaterIn->text(), QStringLiteral("31"));
}

void StatusPageTest::newlyShownModuleComparesWithItsOwnCopies() {
    auto w = quietWindow();
    protocol::DeviceState &s = stateOf(*w);
    QLabel *pd = formOf(*w).label_PDFault;

    s.moduleStatus[0].pdFault = true;
    nextPass(*w);
    QVERIFY(shows(pd, red));

    // Module 1 reports no PD fault and becomes the shown module: its copy says the same.
    s.displayModule = 1;
    const qint64 key = markUntouched(pd);
    nextPass(*w);
    QCOMPARE(keyOf(pd), key);

    // A change of module 1's flag against module 1's own copy repaints.
    s.moduleStatus[1].pdFault = true;
    nextPass(*w);
    QVERIFY(shows(pd, red));
    s.moduleStatus[1].pdFault = false;
    nextPass(*w);
    QVERIFY(shows(pd, gray));

    // Back to module 0, whose fault is still what its copy says: the label stays gray.
    s.displayModule = 0;
    nextPass(*w);
    QVERIFY(shows(pd, gray));
    QCOMPARE(SerialProbe::statusShown(*w).module[0].pdFault, quint8(1));
    QCOMPARE(SerialProbe::statusShown(*w).module[1].pdFault, quint8(0));
}

void StatusPageTest::qbhLampFollowsModuleZeroOnly() {
    auto w = quietWindow();
    protocol::DeviceState &s = stateOf(*w);
    QLabel *qbh = formOf(*w).label_QBH_FiberInterFault;
    nextPass(*w);

    s.displayModule = 1;
    s.moduleStatus[1].qbhFault = true;
    qint64 key = markUntouched(qbh);
    nextPass(*w);
    QCOMPARE(keyOf(qbh), key);
    QCOMPARE(SerialProbe::statusShown(*w).qbhFault, quint8(0));

    s.displayModule = 0;
    s.moduleStatus[0].qbhFault = true;
    nextPass(*w);
    QVERIFY(shows(qbh, red));

    // Module 2 shown, module 0's fault gone: the label keeps its red.
    s.displayModule = 2;
    s.moduleStatus[0].qbhFault = false;
    key = markUntouched(qbh);
    nextPass(*w);
    QCOMPARE(keyOf(qbh), key);

    s.displayModule = 0;
    nextPass(*w);
    QVERIFY(shows(qbh, gray));
}

void StatusPageTest::temperatureLampNeedsBothWaterFlagsOfTheShownModule_data() {
    fixture::columns<int, bool, bool, int, bool>("module", "waterIn", "waterOut", "shown",
                                                 "expectRed");
    QTest::newRow("neither") << 0 << false << false << 0 << false;
    QTest::newRow("water in only") << 0 << true << false << 0 << false;
    QTest::newRow("water out only") << 0 << false << true << 0 << false;
    QTest::newRow("both") << 0 << true << true << 0 << true;
    QTest::newRow("both on a module not shown") << 2 << true << true << 0 << false;
    QTest::newRow("both on shown module 2") << 2 << true << true << 2 << true;
}

void StatusPageTest::temperatureLampNeedsBothWaterFlagsOfTheShownModule() {
    QFETCH(int, module);
    QFETCH(bool, waterIn);
    QFETCH(bool, waterOut);
    QFETCH(int, shown);
    QFETCH(bool, expectRed);

    auto w = quietWindow();
    protocol::DeviceState &s = stateOf(*w);
    s.moduleStatus[module].waterInHiFault = waterIn;
    s.moduleStatus[module].waterOutHiFault = waterOut;
    s.displayModule = qint8(shown);
    QLabel *lamp = formOf(*w).label_TemperatureFault;
    nextPass(*w);
    QVERIFY(shows(lamp, expectRed ? red : gray));
    if (module == shown)
        QVERIFY(shows(formOf(*w).label_WaterInHiFault, waterIn ? red : gray));

    // Written again on the next pass although nothing changed.
    const qint64 key = markUntouched(lamp);
    nextPass(*w);
    QVERIFY(keyOf(lamp) != key);
    QVERIFY(shows(lamp, expectRed ? red : gray));
}

void StatusPageTest::driverLampsScanEveryBoardAndChannel_data() {
    // flag 0..1: over-current 1, 2; 2..5: over-temperature 1..4
    fixture::columns<int, int, int>("board", "channel", "flag");
    QTest::newRow("overCurrent2, board 2, channel 7") << 2 << 7 << 1;
    QTest::newRow("overCurrent1, board 0, channel 0") << 0 << 0 << 0;
    QTest::newRow("overCurrent1, board 1, channel 4") << 1 << 4 << 0;
    QTest::newRow("overTemp1, board 0, channel 3") << 0 << 3 << 2;
    QTest::newRow("overTemp4, board 2, channel 7") << 2 << 7 << 5;
    QTest::newRow("overTemp3, board 1, channel 5") << 1 << 5 << 4;
}

void StatusPageTest::driverLampsScanEveryBoardAndChannel() {
    QFETCH(int, board);
    QFETCH(int, channel);
    QFETCH(int, flag);

    auto w = quietWindow();
    protocol::DriverChannel &c = stateOf(*w).driverChannel[board][channel];
    bool *const flags[] = {&c.overCurrent1, &c.overCurrent2, &c.overTemp1,
                           &c.overTemp2,    &c.overTemp3,    &c.overTemp4};
    const bool current = flag < 2;
    QLabel *oc = formOf(*w).label_driverOC_fault;
    QLabel *temp = formOf(*w).label_driverTemp_fault;

    *flags[flag] = true;
    nextPass(*w);
    QVERIFY(shows(oc, current ? red : gray));
    QVERIFY(shows(temp, current ? gray : red));

    *flags[flag] = false;
    nextPass(*w);
    QVERIFY(shows(oc, gray));
    QVERIFY(shows(temp, gray));
}

void StatusPageTest::settingsPageFreezesStatusPageAndSwitchingBackCatchesUpInOnePass() {
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    protocol::DeviceState &s = stateOf(*w);
    s.laserReady = true;
    s.tempWaterOut = 12;
    nextPass(*w);
    QVERIFY(shows(f.label_LaserReady, green));
    // The lamps that must not be written again when the page comes back.
    const qint64 estopKey = markUntouched(f.label_outEstop2);
    const qint64 readyKey = markUntouched(f.label_LaserReady);

    f.actionSys_set->trigger();
    QCOMPARE(f.stackedWidget->currentIndex(), 1);
    const QHash<QString, qint64> keys = allKeys(*w);
    const QHash<QString, QString> texts = allTexts(*w);
    const StatusPageCopies copies = SerialProbe::statusShown(*w);

    s.dcOn = true;
    s.moduleStatus[0].beamOn = true;
    s.moduleStatus[0].waterInHiFault = true;
    s.moduleStatus[0].waterOutHiFault = true;
    s.driverChannel[1][2].overCurrent1 = true;
    s.driverChannel[0][6].overTemp2 = true;
    s.productType = QStringLiteral("FL-3000");
    s.tempWaterIn = 40;
    s.pwmDuty = 50;
    SerialProbe::ticks(*w, 1000); // five passes of the settings page
    QCOMPARE(allKeys(*w), keys);
    QCOMPARE(allTexts(*w), texts);
    QVERIFY(memcmp(&copies, &SerialProbe::statusShown(*w), sizeof copies) == 0);

    f.actionMasterWindow->trigger();
    QCOMPARE(f.stackedWidget->currentIndex(), 0);
    nextPass(*w);
    QCOMPARE(wrongLamps({{f.label_DCOn, green},
                         {f.label_BeamOn, orange},
                         {f.label_WaterInHiFault, red},
                         {f.label_WaterOutHiFault, red},
                         {f.label_TemperatureFault, red},
                         {f.label_driverOC_fault, red},
                         {f.label_driverTemp_fault, red}}),
             QStringList());
    QCOMPARE(f.label_ProductType->text(), QStringLiteral("FL-3000"));
    QCOMPARE(f.label_TempWaterIn->text(), QStringLiteral("40"));
    QCOMPARE(f.label_TempWaterOut->text(), QStringLiteral("12"));
    QCOMPARE(f.label_Duty->text(), QStringLiteral("50"));
    // What did not change is not written again.
    QCOMPARE(keyOf(f.label_outEstop2), estopKey);
    QCOMPARE(keyOf(f.label_LaserReady), readyKey);
}

void StatusPageTest::numbersAndTextsAreFormatted_data() {
    using Set = void (*)(protocol::DeviceState &);
    fixture::columns<QString, quintptr, QString>("label", "setter", "text");
    auto row = [](const char *name, const char *label, Set set, const char *text) {
        QTest::newRow(name) << QString::fromLatin1(label) << quintptr(set)
                            << QString::fromUtf8(text);
    };
    row(
        "water in 23", "label_TempWaterIn", [](protocol::DeviceState &s) { s.tempWaterIn = 23; },
        "23");
    row(
        "water in -5", "label_TempWaterIn", [](protocol::DeviceState &s) { s.tempWaterIn = -5; },
        "-5");
    row(
        "water out 163", "label_TempWaterOut",
        [](protocol::DeviceState &s) { s.tempWaterOut = 163; }, "163");
    row(
        "water out min", "label_TempWaterOut",
        [](protocol::DeviceState &s) { s.tempWaterOut = -2147483647 - 1; }, "-2147483648");
    row(
        "dew 7", "label_TempDewPoint", [](protocol::DeviceState &s) { s.dewPointTemp = 7.0f; },
        "7");
    row(
        "dew 12.5", "label_TempDewPoint", [](protocol::DeviceState &s) { s.dewPointTemp = 12.5f; },
        "12.5");
    row(
        "dew 12.345678", "label_TempDewPoint",
        [](protocol::DeviceState &s) { s.dewPointTemp = 12.345678f; }, "12.3457");
    row(
        "dew 163.83", "label_TempDewPoint",
        [](protocol::DeviceState &s) { s.dewPointTemp = 163.83f; }, "163.83");
    row(
        "dew 0.01", "label_TempDewPoint", [](protocol::DeviceState &s) { s.dewPointTemp = 0.01f; },
        "0.01");
    row(
        "AI-1 1234", "label_AI_1", [](protocol::DeviceState &s) { s.analogIn1 = 1234; }, "12.34");
    row(
        "AI-1 5", "label_AI_1", [](protocol::DeviceState &s) { s.analogIn1 = 5; }, "0.05");
    row(
        "AI-1 -150", "label_AI_1", [](protocol::DeviceState &s) { s.analogIn1 = -150; }, "-1.50");
    row(
        "AI-1 1023", "label_AI_1", [](protocol::DeviceState &s) { s.analogIn1 = 1023; }, "10.23");
    row(
        "duty 255", "label_Duty", [](protocol::DeviceState &s) { s.pwmDuty = 255; }, "255");
    row(
        "duty 127", "label_Duty", [](protocol::DeviceState &s) { s.pwmDuty = 127; }, "127");
    row(
        "freq 16383", "label_Freq", [](protocol::DeviceState &s) { s.pwmFreq = 16383; }, "16383");
    row(
        "freq -1 as unsigned", "label_Freq", [](protocol::DeviceState &s) { s.pwmFreq = -1; },
        "4294967295");
    row(
        "CCB version", "label_CCBVersion",
        [](protocol::DeviceState &s) { s.ccbVersion = QStringLiteral("V1.2.3"); }, "V1.2.3");
    row(
        "serial number", "label_SerialNumber",
        [](protocol::DeviceState &s) { s.serialNumber = QStringLiteral("SN0042"); }, "SN0042");
    row(
        "product type", "label_ProductType",
        [](protocol::DeviceState &s) { s.productType = QStringLiteral("ABC"); }, "ABC");
    row(
        "clock", "label_SystemDateTime",
        [](protocol::DeviceState &s) { s.ccbDateTime = QStringLiteral("2023-1-6 8:05"); },
        "2023-1-6 8:05");
    row(
        "driver board 0 channel 0", "label_DBVersion",
        [](protocol::DeviceState &s) { s.driverBoardVersion[0][0] = QStringLiteral("D0.9.1"); },
        "D0.9.1");
    row(
        "other driver boards are not shown", "label_DBVersion",
        [](protocol::DeviceState &s) { s.driverBoardVersion[1][0] = QStringLiteral("X"); }, "");
}

void StatusPageTest::numbersAndTextsAreFormatted() {
    QFETCH(QString, label);
    QFETCH(quintptr, setter);
    QFETCH(QString, text);

    auto w = quietWindow();
    nextPass(*w);
    const QHash<QString, QString> before = allTexts(*w);
    reinterpret_cast<void (*)(protocol::DeviceState &)>(setter)(stateOf(*w));
    nextPass(*w);
    QCOMPARE(w->findChild<QLabel *>(label)->text(), text);
    // Only that label changed.
    QHash<QString, QString> after = allTexts(*w);
    after.insert(label, before.value(label));
    QCOMPARE(after, before);
}

void StatusPageTest::unchangedTextIsNotRepainted() {
    auto w = quietWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    protocol::DeviceState &s = stateOf(*w);
    s.tempWaterIn = 23;
    s.dewPointTemp = 3.5f;
    s.analogIn1 = 512;
    s.productType = QStringLiteral("FL");
    nextPass(*w);
    flushPaints();

    PaintCounter paints;
    for (const char *name : textLabels)
        paints.watch(labelOf(*w, name));
    // A steady state: not one text label is laid out or painted again.
    nextPass(*w);
    nextPass(*w);
    flushPaints();
    QCOMPARE(paints.total(), 0);

    // The same flush does deliver the paint of a change.
    s.tempWaterIn = 24;
    nextPass(*w);
    flushPaints();
    QVERIFY(paints.count(formOf(*w).label_TempWaterIn) > 0);
}

LASER_WINDOW_TEST_MAIN(StatusPageTest)
#include "status_page_test.moc"
