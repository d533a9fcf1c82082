// The tick carried out on the window: settings request watches, the reset after a user close
// and the link watchdog, end to end over a pseudo-terminal CCB where bytes matter.
#include "support/table.h"
#include "support/test_main.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <ctime>

using namespace fixture;

namespace {

const QString noAnswerTitle = QStringLiteral("注意");
const QString noAnswerText = QStringLiteral("激光器未连接！");
const QString linkLostTitle = QStringLiteral("串口错误");
const QString linkLostText = QStringLiteral("请检查串口线缆和设置！");

// Fills fields that every reset clears, so a reset shows.
void fillResettable(protocol::DeviceState &s) {
    s.dcOn = true;
    s.productType = QStringLiteral("FL-1000");
    s.tempWaterIn = 25;
    s.driverChannel[2][7].overCurrent2 = true;
    s.settings.redAuto = true;
}

// The two settings requests, as rows of a data-driven case.
void requestRows() {
    fixture::column<bool>("write", {{"read-back", false}, {"write", true}});
}

// CPU time of the whole process, all threads.
qint64 processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool looksReset(const protocol::DeviceState &s) {
    return !s.dcOn && s.productType.isEmpty() && s.tempWaterIn == 0 &&
           !s.driverChannel[2][7].overCurrent2 && !s.settings.redAuto;
}

} // namespace

class SupervisionWindowTest : public QObject {
    Q_OBJECT

private slots:

    // settings request watches
    void readBackTimesOutOnThe800thTickNotThe799th();
    void writeTimeoutDisablesTheSetButton();
    void answeredReadBackEnablesBothButtons();
    void answeredWriteEnablesOnlyTheSetButton();
    void resetGivesBackTheReadBackButtonOfACancelledReadBack();
    void resetLeavesTheSetButtonOfACancelledWriteDisabled();
    void aRequestSentRightAfterAnAnswerWaitsTheFull800Ticks_data();
    void aRequestSentRightAfterAnAnswerWaitsTheFull800Ticks();

    // reset after a user close
    void userCloseResetsTheStateAfterMoreThan100AndAtMost300Ticks_data();
    void userCloseResetsTheStateAfterMoreThan100AndAtMost300Ticks();

    // link watchdog
    void linkIsLostAtThe16thSilentPeriod();
    void atMostOneLinkLostBoxWhileItStaysOpen();
    void reopeningRightAfterALinkLossStartsAFreshCount();
    void anyCompleteFrameKeepsTheLinkAlive_data();
    void anyCompleteFrameKeepsTheLinkAlive();
    void linkLossCancelsAPendingRequestWithoutTimeoutBox_data();
    void linkLossCancelsAPendingRequestWithoutTimeoutBox();
    void shownModulesPdFaultSurvivesTheReset();
    void bytesInLampImageOut();

    // a device that goes away while the port is open
    void pulledAdapterIsReportedAtOnceWithoutSpinning();
    void otherPortErrorsChangeNothing_data();
    void otherPortErrorsChangeNothing();
    void aLostDeviceAddsNoBoxToAnOpenLinkLostBox();
};

void SupervisionWindowTest::readBackTimesOutOnThe800thTickNotThe799th() {
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    QCOMPARE(SerialProbe::replyTimeoutTicks(*w), quint16(800));
    SerialProbe::ticks(*w, 333); // the wait need not start on a period
    // As the read-back command leaves it.
    stateOf(*w).sysSetReadBackState = protocol::handshakeWaiting;
    f.pushButton_sysSet_readBack1->setEnabled(false);

    BoxCloser closer;
    SerialProbe::ticks(*w, 799);
    QCOMPARE(closer.count(), 0);
    QVERIFY(!f.pushButton_sysSet_readBack1->isEnabled());
    QCOMPARE(stateOf(*w).sysSetReadBackState, quint8(protocol::handshakeWaiting));

    SerialProbe::ticks(*w, 1);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.box().title, noAnswerTitle);
    QCOMPARE(closer.box().text, noAnswerText);
    QCOMPARE(closer.box().icon, QMessageBox::Information);
    QVERIFY(f.pushButton_sysSet_readBack1->isEnabled());
    QVERIFY(!f.pushButton_sysSet_set1->isEnabled());
    QCOMPARE(stateOf(*w).sysSetReadBackState, quint8(protocol::handshakeIdle));

    SerialProbe::ticks(*w, 2000);
    QCOMPARE(closer.count(), 1);
}

void SupervisionWindowTest::writeTimeoutDisablesTheSetButton() {
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    f.pushButton_sysSet_set1->setEnabled(true);
    stateOf(*w).sysSetWriteState = protocol::handshakeWaiting;

    BoxCloser closer;
    SerialProbe::ticks(*w, 799);
    QCOMPARE(closer.count(), 0);
    SerialProbe::ticks(*w, 1);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.box().title, noAnswerTitle);
    QCOMPARE(closer.box().text, noAnswerText);
    QVERIFY(!f.pushButton_sysSet_set1->isEnabled());
    QVERIFY(f.pushButton_sysSet_readBack1->isEnabled());
    QCOMPARE(stateOf(*w).sysSetWriteState, quint8(protocol::handshakeIdle));

    // Locked until an answered read-back.
    SerialProbe::ticks(*w, 1000);
    QVERIFY(!f.pushButton_sysSet_set1->isEnabled());
    stateOf(*w).sysSetReadBackState = protocol::handshakeAnswered;
    SerialProbe::ticks(*w, 1);
    QVERIFY(f.pushButton_sysSet_set1->isEnabled());
}

void SupervisionWindowTest::answeredReadBackEnablesBothButtons() {
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    f.pushButton_sysSet_readBack1->setEnabled(false);
    QVERIFY(!f.pushButton_sysSet_set1->isEnabled()); // as the window starts
    stateOf(*w).sysSetReadBackState = protocol::handshakeAnswered;

    SerialProbe::ticks(*w, 1);
    QVERIFY(f.pushButton_sysSet_readBack1->isEnabled());
    QVERIFY(f.pushButton_sysSet_set1->isEnabled());
    QCOMPARE(stateOf(*w).sysSetReadBackState, quint8(protocol::handshakeIdle));
}

void SupervisionWindowTest::answeredWriteEnablesOnlyTheSetButton() {
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    f.pushButton_sysSet_readBack1->setEnabled(false);
    stateOf(*w).sysSetWriteState = protocol::handshakeAnswered;

    SerialProbe::ticks(*w, 1);
    QVERIFY(f.pushButton_sysSet_set1->isEnabled());
    QVERIFY(!f.pushButton_sysSet_readBack1->isEnabled());
    QCOMPARE(stateOf(*w).sysSetWriteState, quint8(protocol::handshakeIdle));
}

void SupervisionWindowTest::resetGivesBackTheReadBackButtonOfACancelledReadBack() {
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    stateOf(*w).sysSetReadBackState = protocol::handshakeWaiting;
    f.pushButton_sysSet_readBack1->setEnabled(false);

    SerialProbe::resetDeviceState(*w);
    QCOMPARE(stateOf(*w).sysSetReadBackState, quint8(protocol::handshakeIdle));
    QVERIFY(f.pushButton_sysSet_readBack1->isEnabled());
    QVERIFY(!f.pushButton_sysSet_set1->isEnabled());

    // Without a read-back to cancel, the reset leaves the button alone.
    f.pushButton_sysSet_readBack1->setEnabled(false);
    SerialProbe::resetDeviceState(*w);
    QVERIFY(!f.pushButton_sysSet_readBack1->isEnabled());
}

void SupervisionWindowTest::resetLeavesTheSetButtonOfACancelledWriteDisabled() {
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    stateOf(*w).sysSetWriteState = protocol::handshakeWaiting;
    SerialProbe::resetDeviceState(*w);
    QCOMPARE(stateOf(*w).sysSetWriteState, quint8(protocol::handshakeIdle));
    QVERIFY(!f.pushButton_sysSet_set1->isEnabled());

    // And no time-out follows for the cancelled write.
    BoxCloser closer;
    SerialProbe::ticks(*w, 2000);
    QCOMPARE(closer.count(), 0);
}

void SupervisionWindowTest::aRequestSentRightAfterAnAnswerWaitsTheFull800Ticks_data() {
    requestRows();
}

void SupervisionWindowTest::aRequestSentRightAfterAnAnswerWaitsTheFull800Ticks() {
    QFETCH(bool, write);
    PtyWindow win;
    QVERIFY(win.open());
    SerialForm &f = formOf(win.w());
    QPushButton *button = write ? f.pushButton_sysSet_set1 : f.pushButton_sysSet_readBack1;
    quint8 &handshake =
        write ? stateOf(win.w()).sysSetWriteState : stateOf(win.w()).sysSetReadBackState;
    f.pushButton_sysSet_set1->setEnabled(true);

    BoxCloser closer;
    button->click();
    QCOMPARE(handshake, quint8(protocol::handshakeWaiting));
    SerialProbe::ticks(win.w(), 500);
    // The answer, as the parser leaves it; the next tick takes it.
    handshake = protocol::handshakeAnswered;
    SerialProbe::ticks(win.w(), 1);
    QVERIFY(button->isEnabled());

    // Sent again before another tick: the wait starts from zero, not from 500.
    button->click();
    QCOMPARE(handshake, quint8(protocol::handshakeWaiting));
    SerialProbe::ticks(win.w(), 799);
    QCOMPARE(closer.count(), 0);
    SerialProbe::ticks(win.w(), 1);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.box().text, noAnswerText);
}

void SupervisionWindowTest::userCloseResetsTheStateAfterMoreThan100AndAtMost300Ticks_data() {
    fixture::columns<int, bool>("closeAfter", "reopen");
    for (int closeAfter : {0, 99, 100, 199, 200, 201, 399, 777}) {
        QTest::addRow("closed after tick %d", closeAfter) << closeAfter << false;
        QTest::addRow("closed after tick %d, reopened", closeAfter) << closeAfter << true;
    }
}

void SupervisionWindowTest::userCloseResetsTheStateAfterMoreThan100AndAtMost300Ticks() {
    QFETCH(int, closeAfter);
    QFETCH(bool, reopen);

    PtyWindow win;
    QVERIFY(win.open());
    SerialProbe::ticks(win.w(), closeAfter);
    fillResettable(stateOf(win.w()));

    formOf(win.w()).pushButtonSerialSwitch->click();
    QVERIFY(!SerialProbe::portOpen(win.w()));
    int delay = 0;
    while (!looksReset(stateOf(win.w())) && delay < 400) {
        SerialProbe::ticks(win.w(), 1);
        ++delay;
        if (reopen && delay == 50) {
            formOf(win.w()).pushButtonSerialSwitch->click();
            QVERIFY(SerialProbe::portOpen(win.w()));
        }
    }
    QVERIFY2(delay > 100 && delay <= 300, qPrintable(QString::number(delay)));

    // Once only.
    fillResettable(stateOf(win.w()));
    SerialProbe::ticks(win.w(), 1000);
    QVERIFY(stateOf(win.w()).dcOn);
}

void SupervisionWindowTest::linkIsLostAtThe16thSilentPeriod() {
    PtyWindow win;
    QVERIFY(win.open());
    SerialForm &f = formOf(win.w());
    QCOMPARE(f.pushButtonSerialSwitch->text(), QStringLiteral("关闭串口"));
    fillResettable(stateOf(win.w()));

    BoxCloser closer;
    SerialProbe::ticks(win.w(), 15999);
    QCOMPARE(closer.count(), 0);
    QCOMPARE(SerialProbe::linkSilenceCount(win.w()), 15);
    QVERIFY(SerialProbe::portOpen(win.w()));

    SerialProbe::ticks(win.w(), 1);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.box().title, linkLostTitle);
    QCOMPARE(closer.box().text, linkLostText);
    QCOMPARE(closer.box().icon, QMessageBox::Critical);
    QVERIFY(!SerialProbe::portOpen(win.w()));
    QVERIFY(!SerialProbe::port(win.w())->isOpen());
    QCOMPARE(f.pushButtonSerialSwitch->text(), QStringLiteral("打开串口"));
    QVERIFY(f.pushButtonUpData->isEnabled());
    QVERIFY(looksReset(stateOf(win.w())));
    // No stale count is left behind for the next open.
    QCOMPARE(SerialProbe::linkSilenceCount(win.w()), 0);

    // The watchdog was not closed by the user: nothing is pending.
    QVERIFY(!SerialProbe::tick(win.w()).portClosedByUser);
    QVERIFY(!SerialProbe::tick(win.w()).resetPending);
    SerialProbe::ticks(win.w(), 5000);
    QCOMPARE(closer.count(), 1);
}

void SupervisionWindowTest::atMostOneLinkLostBoxWhileItStaysOpen() {
    PtyWindow win;
    QVERIFY(win.open());
    SerialProbe::ticks(win.w(), 15999);

    // While the link-lost box is open, the tick goes on for four more watchdog periods inside
    // its event loop. Any other box that opens meanwhile is counted and closed.
    QPointer<QMessageBox> first;
    QString firstTitle;
    int others = 0;
    bool ranInside = false;
    bool portOpenInside = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || first)
            return;
        first = box;
        firstTitle = box->windowTitle();
        SerialProbe::ticks(win.w(), 4000);
        ranInside = true;
        portOpenInside = SerialProbe::portOpen(win.w());
        box->button(QMessageBox::Ok)->click();
    });
    QTimer extra;
    QObject::connect(&extra, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && first && box != first) {
            ++others;
            box->reject();
        }
    });
    driver.start(5);
    extra.start(5);

    SerialProbe::ticks(win.w(), 1);
    QVERIFY(ranInside);
    QCOMPARE(firstTitle, linkLostTitle);
    QCOMPARE(others, 0);
    // The port is closed only once the box is dismissed.
    QVERIFY(portOpenInside);
    QVERIFY(!SerialProbe::portOpen(win.w()));
    QVERIFY(!SerialProbe::port(win.w())->isOpen());
    QCOMPARE(SerialProbe::linkSilenceCount(win.w()), 0);
    QCOMPARE(tickCountOf(win.w()), quint32(20000));
}

void SupervisionWindowTest::reopeningRightAfterALinkLossStartsAFreshCount() {
    PtyWindow win;
    QVERIFY(win.open());
    BoxCloser closer;
    SerialProbe::ticks(win.w(), 16000);
    QCOMPARE(closer.count(), 1);
    QVERIFY(!SerialProbe::portOpen(win.w()));

    // The user opens the port again well before the next watchdog period.
    SerialProbe::ticks(win.w(), 100);
    formOf(win.w()).pushButtonSerialSwitch->click();
    QVERIFY(SerialProbe::portOpen(win.w()));
    QCOMPARE(SerialProbe::linkSilenceCount(win.w()), 0);

    // Sixteen fresh silent periods: 17000 .. 32000.
    ticksUntil(win.w(), 31999);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(SerialProbe::linkSilenceCount(win.w()), 15);
    SerialProbe::ticks(win.w(), 1);
    QCOMPARE(closer.count(), 2);
    QVERIFY(!SerialProbe::portOpen(win.w()));
}

void SupervisionWindowTest::anyCompleteFrameKeepsTheLinkAlive_data() {
    fixture::columns<QByteArray, bool>("bytes", "alive");
    QByteArray bad = frames::systemStatus(0, 0, frames::dcOnBit);
    bad[bad.size() - 1] = char(bad.at(bad.size() - 1) ^ 0x01);
    QTest::newRow("system status") << frames::systemStatus(0, 0, frames::dcOnBit) << true;
    QTest::newRow("wrong check bytes") << bad << true;
    QTest::newRow("known code without handler") << QByteArray::fromHex("9A03010203") << true;
    QTest::newRow("unknown code") << QByteArray::fromHex("C1020000") << true;
    QTest::newRow("temperature, no check bytes") << QByteArray::fromHex("E004141F0200") << true;
    QTest::newRow("noise after a frame")
        << frames::systemStatus(0, 0, 0) + QByteArray::fromHex("0102") << true;
    QTest::newRow("length byte with bit 7: abandoned") << QByteArray::fromHex("E68501") << false;
    QTest::newRow("noise only") << QByteArray::fromHex("0102037FFEFF") << false;
}

void SupervisionWindowTest::anyCompleteFrameKeepsTheLinkAlive() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, alive);

    PtyWindow win;
    QVERIFY(win.open());
    BoxCloser closer;
    SerialProbe::ticks(win.w(), 15500);
    QCOMPARE(SerialProbe::linkSilenceCount(win.w()), 15);

    QVERIFY(win.pty->write(bytes));
    QVERIFY(waitForReceivePass(win.w()));
    QCOMPARE(SerialProbe::linkSilenceCount(win.w()), alive ? 0 : 15);
    QCOMPARE(closer.count(), 0);

    // Sixteen silent periods after the frame: 16000 .. 31000; without one, the next period.
    const quint32 lostAt = alive ? 31000 : 16000;
    ticksUntil(win.w(), lostAt - 1);
    QCOMPARE(closer.count(), 0);
    SerialProbe::ticks(win.w(), 1);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.box().title, linkLostTitle);
}

void SupervisionWindowTest::linkLossCancelsAPendingRequestWithoutTimeoutBox_data() {
    requestRows();
}

void SupervisionWindowTest::linkLossCancelsAPendingRequestWithoutTimeoutBox() {
    QFETCH(bool, write);

    PtyWindow win;
    SerialForm &f = formOf(win.w());
    QVERIFY(win.open());
    BoxCloser closer;
    SerialProbe::ticks(win.w(), 15500);

    // The request goes out on the wire 500 ticks before the link is declared lost; its
    // time-out would come 300 ticks after that.
    if (write) {
        f.pushButton_sysSet_set1->setEnabled(true);
        f.pushButton_sysSet_set1->click();
        QCOMPARE(stateOf(win.w()).sysSetWriteState, quint8(protocol::handshakeWaiting));
        QVERIFY(!f.pushButton_sysSet_set1->isEnabled());
    } else {
        f.pushButton_sysSet_readBack1->click();
        QCOMPARE(stateOf(win.w()).sysSetReadBackState, quint8(protocol::handshakeWaiting));
        QVERIFY(!f.pushButton_sysSet_readBack1->isEnabled());
    }
    QVERIFY(!win.pty->read(1).isEmpty());

    SerialProbe::ticks(win.w(), 500);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.box().title, linkLostTitle);
    QCOMPARE(stateOf(win.w()).sysSetReadBackState, quint8(protocol::handshakeIdle));
    QCOMPARE(stateOf(win.w()).sysSetWriteState, quint8(protocol::handshakeIdle));
    // The read-back button comes back; the set button keeps its rule.
    QVERIFY(f.pushButton_sysSet_readBack1->isEnabled());
    QVERIFY(!f.pushButton_sysSet_set1->isEnabled());

    SerialProbe::ticks(win.w(), 2000);
    QCOMPARE(closer.count(), 1);
}

void SupervisionWindowTest::shownModulesPdFaultSurvivesTheReset() {
    PtyWindow win;
    SerialForm &f = formOf(win.w());
    QVERIFY(win.open());

    using frames::Module;
    QVERIFY(win.pty->write(frames::moduleStatus(0, Module::pdFault | Module::beamOn |
                                                       Module::waterInHi | Module::waterOutHi) +
                           frames::systemStatus(0, 0, frames::dcOnBit)));
    QTRY_VERIFY(stateOf(win.w()).moduleStatus[0].pdFault && stateOf(win.w()).dcOn);
    nextPass(win.w());
    QCOMPARE(wrongLamps({{f.label_PDFault, red},
                         {f.label_BeamOn, orange},
                         {f.label_WaterInHiFault, red},
                         {f.label_TemperatureFault, red},
                         {f.label_DCOn, green}}),
             QStringList());

    // The user closes the port; the reset comes within 300 ticks and the pass after it shows
    // the cleared state.
    f.pushButtonSerialSwitch->click();
    SerialProbe::ticks(win.w(), 400);
    QVERIFY(!stateOf(win.w()).dcOn);
    QVERIFY(stateOf(win.w()).moduleStatus[0].pdFault);
    QCOMPARE(wrongLamps({{f.label_PDFault, red},
                         {f.label_BeamOn, gray},
                         {f.label_WaterInHiFault, gray},
                         {f.label_WaterOutHiFault, gray},
                         {f.label_TemperatureFault, gray},
                         {f.label_DCOn, gray}}),
             QStringList());
}

void SupervisionWindowTest::bytesInLampImageOut() {
    PtyWindow win;
    SerialForm &f = formOf(win.w());
    QVERIFY(win.open());

    // Module 2 reports a QBH fault and becomes the shown module: the QBH label belongs to
    // module 0 and is left alone.
    const unsigned qbh = frames::Module::qbh;
    const qint64 qbhKey = markUntouched(f.label_QBH_FiberInterFault);
    QVERIFY(win.pty->write(frames::moduleStatus(2, qbh)));
    QTRY_COMPARE(stateOf(win.w()).displayModule, qint8(2));
    nextPass(win.w());
    QCOMPARE(keyOf(f.label_QBH_FiberInterFault), qbhKey);

    QVERIFY(win.pty->write(frames::moduleStatus(0, qbh)));
    QTRY_COMPARE(stateOf(win.w()).displayModule, qint8(0));
    nextPass(win.w());
    QVERIFY(shows(f.label_QBH_FiberInterFault, red));

    // A frame with wrong check bytes is dropped: the lamp keeps its image.
    QByteArray bad = frames::systemStatus(0, 0, frames::dcOnBit);
    bad[bad.size() - 2] = char(bad.at(bad.size() - 2) ^ 0x10);
    QVERIFY(win.pty->write(bad));
    QVERIFY(waitForReceivePass(win.w()));
    QVERIFY(SerialProbe::rxBuffer(win.w()).isEmpty());
    nextPass(win.w());
    QVERIFY(shows(f.label_DCOn, gray));

    QVERIFY(win.pty->write(frames::systemStatus(0, 0, frames::dcOnBit)));
    QTRY_VERIFY(stateOf(win.w()).dcOn);
    nextPass(win.w());
    QVERIFY(shows(f.label_DCOn, green));
}

void SupervisionWindowTest::pulledAdapterIsReportedAtOnceWithoutSpinning() {
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(pty->isValid());
    auto w = quietWindow();
    SerialForm &f = formOf(*w);
    QVERIFY(openOnPty(*w, *pty));
    QVERIFY(pty->write(frames::systemStatus(0, 0, frames::dcOnBit)));
    QVERIFY(waitForReceivePass(*w));
    fillResettable(stateOf(*w));

    // The far end goes away. Over the next two seconds the process stays nearly idle: a port
    // left open on a hung-up line wakes the event loop without end.
    BoxCloser closer;
    QElapsedTimer wall;
    wall.start();
    const qint64 cpuBefore = processCpuMs();
    pty->closeMaster();
    // A real event loop, as the program runs: a waiting helper that sleeps between its
    // rounds would hide the spinning.
    runEventLoopFor(1000);
    QVERIFY2(closer.count() > 0, "no box within a second of the hang-up");
    runEventLoopFor(1000);
    const qint64 cpu = processCpuMs() - cpuBefore;
    QVERIFY2(cpu * 10 < wall.elapsed(),
             qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpu).arg(wall.elapsed())));

    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.box().title, linkLostTitle);
    QCOMPARE(closer.box().text, linkLostText);
    QCOMPARE(closer.box().icon, QMessageBox::Critical);
    QVERIFY(!SerialProbe::portOpen(*w));
    QVERIFY(!SerialProbe::port(*w)->isOpen());
    QVERIFY(looksReset(stateOf(*w)));
    QCOMPARE(f.pushButtonSerialSwitch->text(), QStringLiteral("打开串口"));

    // Twenty seconds of ticks: the watchdog has nothing left to report.
    SerialProbe::ticks(*w, 20000);
    QCOMPARE(closer.count(), 1);

    // The user lists the ports again and opens another one, which shows frames.
    QVERIFY(f.pushButtonUpData->isEnabled());
    f.pushButtonUpData->click();
    QCOMPARE(f.comboBoxCOM->findText(pty->entryText()), -1);
    PtyPair other;
    QVERIFY(other.isValid());
    QVERIFY(openOnPty(*w, other));
    QVERIFY(other.write(frames::systemStatus(0, 0, frames::dcOnBit)));
    QVERIFY(waitForReceivePass(*w));
    nextPass(*w);
    QVERIFY(shows(f.label_DCOn, green));
    QCOMPARE(closer.count(), 1);
}

void SupervisionWindowTest::otherPortErrorsChangeNothing_data() {
    fixture::columns<int>("error");
    QTest::newRow("write") << int(QSerialPort::WriteError);
    QTest::newRow("time-out") << int(QSerialPort::TimeoutError);
    QTest::newRow("not open") << int(QSerialPort::NotOpenError);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTest::newRow("framing") << int(QSerialPort::FramingError); // gone in Qt 6
#endif
    QTest::newRow("unknown") << int(QSerialPort::UnknownError);
}

void SupervisionWindowTest::otherPortErrorsChangeNothing() {
    QFETCH(int, error);
    PtyWindow win;
    QVERIFY(win.open());
    fillResettable(stateOf(win.w()));

    BoxCloser closer;
    emit SerialProbe::port(win.w())->errorOccurred(QSerialPort::SerialPortError(error));
    SerialProbe::ticks(win.w(), 1000);
    QCOMPARE(closer.count(), 0);
    QVERIFY(SerialProbe::portOpen(win.w()));
    QVERIFY(SerialProbe::port(win.w())->isOpen());
    QVERIFY(stateOf(win.w()).dcOn);

    // The line still works.
    QVERIFY(win.pty->write(frames::systemStatus(0, 0, 0)));
    QVERIFY(waitForReceivePass(win.w()));
    QVERIFY(!stateOf(win.w()).dcOn);
}

void SupervisionWindowTest::aLostDeviceAddsNoBoxToAnOpenLinkLostBox() {
    PtyWindow win;
    QVERIFY(win.open());
    fillResettable(stateOf(win.w()));
    SerialProbe::ticks(win.w(), 15999);

    // While the watchdog's box is open the device goes away: the port closes at once, and no
    // second box opens, then or in the periods that follow.
    QPointer<QMessageBox> first;
    int boxes = 0;
    bool portOpenAfterLoss = true;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == first)
            return;
        ++boxes;
        if (first) {
            box->reject();
            return;
        }
        first = box;
        emit SerialProbe::port(win.w())->errorOccurred(QSerialPort::ResourceError);
        portOpenAfterLoss = SerialProbe::port(win.w())->isOpen();
        SerialProbe::ticks(win.w(), 3000);
        box->button(QMessageBox::Ok)->click();
    });
    driver.start(5);

    SerialProbe::ticks(win.w(), 1);
    QVERIFY(first.isNull() || !first->isVisible());
    QCOMPARE(boxes, 1);
    QVERIFY(!portOpenAfterLoss);
    QVERIFY(!SerialProbe::portOpen(win.w()));
    QVERIFY(looksReset(stateOf(win.w())));
    SerialProbe::ticks(win.w(), 20000);
    QCOMPARE(boxes, 1);
}

LASER_WINDOW_TEST_MAIN(SupervisionWindowTest)
#include "supervision_window_test.moc"
