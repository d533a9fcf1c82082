// The port panel of the window: listing, selecting, opening and closing the port, over real
// pseudo-terminals opened by the window's own QSerialPort.
#include "support/ports.h"
#include "support/table.h"
#include "support/test_main.h"
#include "support/window_fixture.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QTest>

#include <memory>

using namespace fixture;
using namespace frames;

namespace {

const QString openText = QStringLiteral("打开串口");
const QString closeText = QStringLiteral("关闭串口");

} // namespace

class PortPanelTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void constructionAppliesTheFixedPortSettings();
    void constructionListsExactlyThePortsThatOpen();
    void constructionSelectsEntryZeroAndLaterSelectionsSetThePortName();
    void findComAppendsAndLeavesThePortAtTheLastPortTried();
    void refreshRebuildsTheListAndSelectsEntryZero();

    void switchOpensAndClosesFollowingTheStateTable();
    void openingUsesTheFixedLineSettings();
    void openingStartsAFreshWatchdogCount();
    void failedOpenChangesNothing_data();
    void failedOpenChangesNothing();
    void selectingAnotherEntryWhileOpenLeavesTheConnectionAlone();
    void closePortAloneDoesNotRaiseTheUserCloseFlag();
    void openPortOpensWithoutTouchingTheSwitch();
    void openPortReportsAFailedOpen();

    void eachSettingSlotFollowsItsTable_data();
    void eachSettingSlotFollowsItsTable();
    void settingsChangedWhileOpenReachTheLineAtOnce();
    void idleSlotsChangeNothing();

private:
    Serial &w() { return *window; }
    SerialForm *form() { return SerialProbe::form(*window); }
    QSerialPort *port() { return SerialProbe::port(*window); }
    void verifyClosedRow();
    void verifyOpenRow();

    std::unique_ptr<Serial> window;
};

void PortPanelTest::init() {
    window = std::make_unique<Serial>();
}

void PortPanelTest::cleanup() {
    window.reset();
}

void PortPanelTest::verifyClosedRow() {
    QCOMPARE(SerialProbe::portOpen(w()), false);
    QVERIFY(form()->pushButtonSerialSwitch->isEnabled());
    QCOMPARE(form()->pushButtonSerialSwitch->text(), openText);
    QVERIFY(form()->pushButtonUpData->isEnabled());
    QVERIFY(form()->comboBoxCOM->isEnabled());
}

void PortPanelTest::verifyOpenRow() {
    QCOMPARE(SerialProbe::portOpen(w()), true);
    QVERIFY(form()->pushButtonSerialSwitch->isEnabled());
    QCOMPARE(form()->pushButtonSerialSwitch->text(), closeText);
    QVERIFY(!form()->pushButtonUpData->isEnabled());
    QVERIFY(form()->comboBoxCOM->isEnabled());
}

void PortPanelTest::constructionAppliesTheFixedPortSettings() {
    QVERIFY(!SerialProbe::firstPortSetup(w()));
    QCOMPARE(port()->baudRate(QSerialPort::Input), 115200);
    QCOMPARE(port()->baudRate(QSerialPort::Output), 115200);
    QCOMPARE(port()->dataBits(), QSerialPort::Data8);
    QCOMPARE(port()->parity(), QSerialPort::NoParity);
    QCOMPARE(port()->stopBits(), QSerialPort::OneStop);
    QCOMPARE(port()->flowControl(), QSerialPort::NoFlowControl);
    QVERIFY(!port()->isOpen());
    verifyClosedRow();
}

void PortPanelTest::constructionListsExactlyThePortsThatOpen() {
    QStringList expected;
    QVERIFY2(listsTheOpenablePorts(
                 comboEntries(w()),
                 [&] {
                     SerialProbe::PortUpdata(w());
                     return comboEntries(w());
                 },
                 &expected),
             qPrintable(comboEntries(w()).join(QLatin1Char(' '))));
    // Never a port that fails to open.
    for (const QString &entry : comboEntries(w()))
        QVERIFY2(opensReadWrite(seriallink::portNameFromEntry(entry)), qPrintable(entry));
    QVERIFY(!port()->isOpen());
}

void PortPanelTest::constructionSelectsEntryZeroAndLaterSelectionsSetThePortName() {
    QComboBox *combo = form()->comboBoxCOM;
    if (combo->count() > 0) {
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(port()->portName(),
                 nameAsPortSees(seriallink::portNameFromEntry(combo->itemText(0))));
    } else {
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(port()->portName(), QString());
    }

    PtyPair pty;
    QVERIFY(pty.isValid());
    selectEntry(w(), pty.entryText());
    QCOMPARE(port()->portName(), nameAsPortSees(pty.slavePath()));

    selectEntry(w(), QStringLiteral("ttyOther(Second (B) adapter)"));
    QCOMPARE(port()->portName(), QStringLiteral("ttyOther"));

    combo->setCurrentIndex(combo->findText(pty.entryText()));
    QCOMPARE(port()->portName(), nameAsPortSees(pty.slavePath()));
}

void PortPanelTest::findComAppendsAndLeavesThePortAtTheLastPortTried() {
    const QString keep = QStringLiteral("keep(me)");
    const auto listAfterKeep = [&] {
        form()->comboBoxCOM->clear();
        selectEntry(w(), keep);
        SerialProbe::FindCOM(w());
        return comboEntries(w());
    };
    QStringList expected;
    QVERIFY(listsTheOpenablePorts(
        listAfterKeep().mid(1), [&] { return listAfterKeep().mid(1); }, &expected));
    // Appended behind what was there; the selection stays.
    QCOMPARE(comboEntries(w()), QStringList{keep} + expected);
    QCOMPARE(form()->comboBoxCOM->currentText(), keep);
    const QList<QSerialPortInfo> reported = QSerialPortInfo::availablePorts();
    QCOMPARE(port()->portName(),
             reported.isEmpty() ? QStringLiteral("keep") : reported.last().portName());
    QVERIFY(!port()->isOpen());
}

void PortPanelTest::refreshRebuildsTheListAndSelectsEntryZero() {
    selectEntry(w(), QStringLiteral("stale1(gone)"));
    selectEntry(w(), QStringLiteral("stale2(gone)"));
    QCOMPARE(port()->portName(), QStringLiteral("stale2"));

    const auto refresh = [&] {
        QTest::mouseClick(form()->pushButtonUpData, Qt::LeftButton);
        return comboEntries(w());
    };
    QStringList expected;
    QVERIFY(listsTheOpenablePorts(refresh(), refresh, &expected));
    if (expected.isEmpty()) {
        QCOMPARE(form()->comboBoxCOM->currentIndex(), -1);
        QCOMPARE(port()->portName(), QString());
    } else {
        QCOMPARE(form()->comboBoxCOM->currentIndex(), 0);
        // The name follows the selection, not the last port the listing tried.
        QCOMPARE(port()->portName(),
                 nameAsPortSees(seriallink::portNameFromEntry(expected.first())));
    }
    verifyClosedRow();
}

void PortPanelTest::switchOpensAndClosesFollowingTheStateTable() {
    PtyPair pty;
    QVERIFY(pty.isValid());
    verifyClosedRow();

    selectEntry(w(), pty.entryText());
    formOf(w()).pushButtonSerialSwitch->click();
    verifyOpenRow();
    QVERIFY(port()->isOpen());
    QCOMPARE(port()->openMode(), QIODevice::ReadWrite);
    QVERIFY(!SerialProbe::tick(w()).portClosedByUser);

    formOf(w()).pushButtonSerialSwitch->click();
    // Read before any event runs: the tick consumes the flag at its next refresh.
    QVERIFY(SerialProbe::tick(w()).portClosedByUser);
    verifyClosedRow();
    QVERIFY(!port()->isOpen());

    // And again: the same port opens a second time.
    formOf(w()).pushButtonSerialSwitch->click();
    verifyOpenRow();
    QVERIFY(port()->isOpen());
}

void PortPanelTest::openingUsesTheFixedLineSettings() {
    WatchedPty watched;
    QVERIFY(watched.isValid());
    QVERIFY(openOnPty(w(), watched.pty));

    const termios tio = watched.line.now();
    QCOMPARE(cfgetospeed(&tio), speed_t(B115200));
    QCOMPARE(cfgetispeed(&tio), speed_t(B115200));
    QCOMPARE(tio.c_cflag & CSTOPB, tcflag_t(0));
    QCOMPARE(tio.c_cflag & CRTSCTS, tcflag_t(0));
    // The terminal forces 8N on its line; the port holds what was asked of it.
    QCOMPARE(port()->dataBits(), QSerialPort::Data8);
    QCOMPARE(port()->parity(), QSerialPort::NoParity);
}

void PortPanelTest::openingStartsAFreshWatchdogCount() {
    PtyPair pty;
    QVERIFY(pty.isValid());
    selectEntry(w(), pty.entryText());
    // A count left from a lost link must not carry into the new one.
    SerialProbe::linkSilenceCount(w()) = 15;
    formOf(w()).pushButtonSerialSwitch->click();
    QVERIFY(SerialProbe::portOpen(w()));
    QCOMPARE(SerialProbe::linkSilenceCount(w()), 0);
}

void PortPanelTest::failedOpenChangesNothing_data() {
    fixture::column<bool>("vanished",
                          {{"no such terminal", false}, {"terminal gone after listing", true}});
}

void PortPanelTest::failedOpenChangesNothing() {
    QFETCH(bool, vanished);
    QString entry = QStringLiteral("/dev/pts/999(test)");
    QString path = QStringLiteral("/dev/pts/999");
    if (vanished) {
        PtyPair gone;
        QVERIFY(gone.isValid());
        entry = gone.entryText();
        path = gone.slavePath();
    }
    if (QFileInfo::exists(path))
        QSKIP("the terminal number is in use by another process");

    BoxCloser boxes;
    selectEntry(w(), entry);
    SerialProbe::linkSilenceCount(w()) = 7;
    formOf(w()).pushButtonSerialSwitch->click();
    // Checked before events run: the tick zeroes the count of a closed port every period.
    QCOMPARE(SerialProbe::linkSilenceCount(w()), 7);
    QVERIFY(!SerialProbe::tick(w()).portClosedByUser);
    QVERIFY(!port()->isOpen());
    verifyClosedRow();
    // A box would come from the click or from the tick.
    SerialProbe::ticks(w(), 1000);
    QCOMPARE(boxes.count(), 0);

    // The user may simply pick another port and try again.
    PtyPair pty;
    QVERIFY(pty.isValid());
    QVERIFY(openOnPty(w(), pty));
    verifyOpenRow();
}

void PortPanelTest::selectingAnotherEntryWhileOpenLeavesTheConnectionAlone() {
    PtyPair first, second;
    QVERIFY(first.isValid() && second.isValid());
    PassCounter passes(w());
    QVERIFY(openOnPty(w(), first));

    selectEntry(w(), second.entryText());
    QCOMPARE(port()->portName(), nameAsPortSees(second.slavePath()));
    QVERIFY(port()->isOpen());
    verifyOpenRow();

    // Still connected to the first terminal. Board 1 versions survive the reset after a close.
    const auto &state = SerialProbe::state(w());
    QVERIFY(sendAndWaitForPass(first, passes, driverBoard(0, 0, "AAAAAA", driverSlot(5), 1)));
    QCOMPARE(state.driverBoardVersion[1][5], QStringLiteral("AAAAAA"));

    formOf(w()).pushButtonSerialSwitch->click();
    verifyClosedRow();
    formOf(w()).pushButtonSerialSwitch->click();
    verifyOpenRow();

    // Now the second terminal is the link; the first one is no longer read.
    QVERIFY(first.write(driverBoard(0, 0, "111111", driverSlot(5), 1)));
    QVERIFY(sendAndWaitForPass(second, passes, driverBoard(0, 0, "BBBBBB", driverSlot(6), 1)));
    // The pass that took in the second terminal's frame came after the write on the first.
    QCOMPARE(state.driverBoardVersion[1][6], QStringLiteral("BBBBBB"));
    QCOMPARE(state.driverBoardVersion[1][5], QStringLiteral("AAAAAA"));
}

void PortPanelTest::closePortAloneDoesNotRaiseTheUserCloseFlag() {
    // The watchdog closes with ClosePort and clears portOpen itself.
    PtyPair pty;
    QVERIFY(pty.isValid());
    QVERIFY(openOnPty(w(), pty));
    SerialProbe::ClosePort(w());
    QVERIFY(!port()->isOpen());
    QVERIFY(!SerialProbe::tick(w()).portClosedByUser);
    QCOMPARE(SerialProbe::portOpen(w()), true);
    SerialProbe::portOpen(w()) = false;
    verifyClosedRow();

    // With portOpen false ClosePort leaves everything alone.
    QVERIFY(port()->open(QIODevice::ReadWrite));
    form()->pushButtonUpData->setEnabled(false);
    SerialProbe::ClosePort(w());
    QVERIFY(port()->isOpen());
    QVERIFY(!form()->pushButtonUpData->isEnabled());
}

void PortPanelTest::openPortOpensWithoutTouchingTheSwitch() {
    PtyPair pty;
    QVERIFY(pty.isValid());
    selectEntry(w(), pty.entryText());
    QVERIFY(SerialProbe::OpenPort(w()));
    QVERIFY(port()->isOpen());
    QVERIFY(!form()->pushButtonUpData->isEnabled());
    QCOMPARE(form()->pushButtonSerialSwitch->text(), openText);
    QCOMPARE(SerialProbe::portOpen(w()), false);

    // Opened through the switch, OpenPort leaves the port as it is and says it is open.
    SerialProbe::portOpen(w()) = true;
    QVERIFY(SerialProbe::OpenPort(w()));
    QVERIFY(port()->isOpen());
}

void PortPanelTest::openPortReportsAFailedOpen() {
    if (QFileInfo::exists(QStringLiteral("/dev/pts/999")))
        QSKIP("the terminal number is in use by another process");
    selectEntry(w(), QStringLiteral("/dev/pts/999(test)"));
    QVERIFY(!SerialProbe::OpenPort(w()));
    QVERIFY(!port()->isOpen());
    verifyClosedRow();
}

// The setting slots: each row starts from a value the slot would have to change, so a slot
// that does nothing fails the listed rows, and one that acts on any index fails the others.
void PortPanelTest::eachSettingSlotFollowsItsTable_data() {
    addSettingTableRows();
}

namespace {

// A setting slot of the window, two values to start from, and how the port sets and reads it
// (the baud rate in both directions at once; -2 when they differ).
struct SettingSlot {
    void (*slot)(Serial &, int);
    int starts[2];
    bool (*set)(QSerialPort &, int);
    int (*get)(const QSerialPort &);
};

SettingSlot settingSlot(const QString &setting) {
    if (setting == QLatin1String("baud rate"))
        return {SerialProbe::SetBaudRate,
                {115200, 1200},
                [](QSerialPort &p, int v) { return p.setBaudRate(v, QSerialPort::AllDirections); },
                [](const QSerialPort &p) {
                    const int in = p.baudRate(QSerialPort::Input);
                    return in == p.baudRate(QSerialPort::Output) ? in : -2;
                }};
    if (setting == QLatin1String("data bits"))
        return {SerialProbe::SetDataBit,
                {8, 5},
                [](QSerialPort &p, int v) { return p.setDataBits(QSerialPort::DataBits(v)); },
                [](const QSerialPort &p) { return int(p.dataBits()); }};
    if (setting == QLatin1String("parity"))
        return {SerialProbe::SetCheckBit,
                {QSerialPort::NoParity, QSerialPort::MarkParity},
                [](QSerialPort &p, int v) { return p.setParity(QSerialPort::Parity(v)); },
                [](const QSerialPort &p) { return int(p.parity()); }};
    return {SerialProbe::SetStopBit,
            {QSerialPort::OneStop, QSerialPort::TwoStop},
            [](QSerialPort &p, int v) { return p.setStopBits(QSerialPort::StopBits(v)); },
            [](const QSerialPort &p) { return int(p.stopBits()); }};
}

} // namespace

void PortPanelTest::eachSettingSlotFollowsItsTable() {
    QFETCH(QString, setting);
    QFETCH(int, index);
    QFETCH(int, value);
    const SettingSlot s = settingSlot(setting);
    for (int start : s.starts) {
        if (start == value)
            continue;
        QVERIFY(s.set(*port(), start));
        s.slot(w(), index);
        QCOMPARE(s.get(*port()), value >= 0 ? value : start);
    }
}

void PortPanelTest::settingsChangedWhileOpenReachTheLineAtOnce() {
    WatchedPty watched;
    QVERIFY(watched.isValid());
    QVERIFY(openOnPty(w(), watched.pty));

    // A pseudo-terminal forces 8 data bits and no parity on its line (and Qt refuses a data
    // bit change on it), so the line shows speed and stop bits; parity is read from the port.
    SerialProbe::SetBaudRate(w(), 6);
    SerialProbe::SetStopBit(w(), 1);
    SerialProbe::SetCheckBit(w(), 1);
    termios tio = watched.line.now();
    QCOMPARE(cfgetospeed(&tio), speed_t(B57600));
    QCOMPARE(cfgetispeed(&tio), speed_t(B57600));
    QCOMPARE(tio.c_cflag & CSTOPB, tcflag_t(CSTOPB));
    QCOMPARE(port()->parity(), QSerialPort::OddParity);
    SerialProbe::SetCheckBit(w(), 2);
    QCOMPARE(port()->parity(), QSerialPort::EvenParity);

    SerialProbe::SetBaudRate(w(), 3);
    SerialProbe::SetStopBit(w(), 0);
    tio = watched.line.now();
    QCOMPARE(cfgetospeed(&tio), speed_t(B9600));
    QCOMPARE(tio.c_cflag & CSTOPB, tcflag_t(0));

    // Outside the tables: the line keeps what it has.
    SerialProbe::SetBaudRate(w(), 8);
    SerialProbe::SetBaudRate(w(), -1);
    SerialProbe::SetStopBit(w(), 2);
    tio = watched.line.now();
    QCOMPARE(cfgetospeed(&tio), speed_t(B9600));
    QCOMPARE(tio.c_cflag & CSTOPB, tcflag_t(0));
    QVERIFY(port()->isOpen());
}

void PortPanelTest::idleSlotsChangeNothing() {
    PtyPair pty;
    QVERIFY(pty.isValid());
    QVERIFY(openOnPty(w(), pty));
    SerialProbe::rxBuffer(w()) = bytes({0xE6, 0x05, 0x00});
    const QStringList entries = comboEntries(w());

    SerialProbe::invokeIdleSlots(w());

    QCOMPARE(sentBeforeNow(w(), pty), QByteArray());
    QCOMPARE(SerialProbe::rxBuffer(w()), bytes({0xE6, 0x05, 0x00}));
    QCOMPARE(comboEntries(w()), entries);
    QVERIFY(port()->isOpen());
    verifyOpenRow();
}

LASER_WINDOW_TEST_MAIN(PortPanelTest)
#include "port_panel_test.moc"
