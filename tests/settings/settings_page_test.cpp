// The system settings page: read-back and write over a pseudo-terminal CCB, the page pass,
// the time-outs and the QBH masking warning.

#include "support/table.h"
#include "support/test_main.h"
#include "support/window_fixture.h"

#include "protocol/device_state.h"
#include "protocol/system_settings.h"
#include "ui/settings_page.h"

#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <iterator>
#include <memory>

using namespace fixture;
using frames::parameterReply;
using frames::settingsWrite;
using frames::sevenBytes;

namespace {

// Where each of the 23 flags sits in the seven value bytes and which check box shows it.
struct FlagPlace {
    int byte;
    int bit;
    const char *box;
};

const FlagPlace flagPlaces[] = {
    {0, 1, "checkBox_HppEnabled"},
    {0, 2, "checkBox_PgmEnabled"},
    {1, 0, "checkBox_FaultDisabledChiller"},
    {1, 1, "checkBox_FaultDisableEStop1"},
    {1, 2, "checkBox_FaultDisableEStop2"},
    {1, 3, "checkBox_FaultDisableDew"},
    {1, 4, "checkBox_FaultDisableDoorInter"},
    {1, 5, "checkBox_FaultDisablePdLeakage"},
    {1, 6, "checkBox_FaultDisablePd"},
    {2, 0, "checkBox_FaultDisableTh"},
    {2, 1, "checkBox_FaultDisableFiberInter"},
    {2, 2, "checkBox_FaultDisableFiberBreak"},
    {2, 3, "checkBox_FaultDisableDcPwr"},
    {2, 4, "checkBox_AiPort"},
    {2, 5, "checkBox_RedAuto"},
    {2, 6, "checkBox_AoPort"},
    {3, 0, "checkBox_LaserOnUsrDisabled"},
    {3, 1, "checkBox_DcFaultHiActive"},
    {3, 2, "checkBox_DoorInterLoActive"},
    {3, 3, "checkBox_DoutLoActive"},
    {3, 4, "checkBox_PgmInit"},
    {3, 5, "checkBox_RedOnBeam"},
    {3, 6, "checkBox_RedOnExternal"},
};

const QByteArray readBackFrame = QByteArray::fromHex("EF070900000028575D");

// A spread of bits over all four flag bytes, mode 2, level 30 (1500).
const QByteArray mixedValue = sevenBytes((2 << 3) | 0x02, 0x55, 0x2A, 0x49, 30);

bool bit(const QByteArray &value, const FlagPlace &place) {
    return (quint8(value.at(place.byte)) >> place.bit) & 1;
}

} // namespace

class SettingsPage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The indicator checks below tell green from gray by their pictures, which the
        // window's resources hold.
        Serial registersTheResources;
        QVERIFY(!QPixmap(green).isNull());
        QVERIFY(!QPixmap(gray).isNull());
        QVERIFY(QPixmap(green).toImage() != QPixmap(gray).toImage());
    }

    void setIsDisabledBeforeAnyReadBack() {
        PtyWindow win;
        QVERIFY(win.open());
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());
        QVERIFY(win.form()->pushButton_sysSet_readBack1->isEnabled());

        // A disabled button cannot be clicked: nothing goes out.
        win.form()->pushButton_sysSet_set1->click();
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(win.state().sysSetWriteState, quint8(0));
    }

    void readBackSendsTheReadRequestAndDisablesItself() {
        PtyWindow win;
        QVERIFY(win.open());
        BoxCloser guard;

        win.form()->pushButton_sysSet_readBack1->click();

        QCOMPARE(win.pty->read(readBackFrame.size()).toHex(' '), readBackFrame.toHex(' '));
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(win.state().sysSetReadBackState, quint8(protocol::handshakeWaiting));
        QVERIFY(!win.form()->pushButton_sysSet_readBack1->isEnabled());
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());
        QCOMPARE(guard.count(), 0);
    }

    void answeredReadBackEnablesBothButtonsOnTheNextTick() {
        PtyWindow win;
        QVERIFY(win.open());
        win.form()->pushButton_sysSet_readBack1->click();
        QCOMPARE(win.pty->read(readBackFrame.size()), readBackFrame);

        QVERIFY(win.pty->write(parameterReply(40, mixedValue)));
        QTRY_COMPARE(win.state().sysSetReadBackState, quint8(protocol::handshakeAnswered));
        // The reply itself touches no widget; the tick does.
        QVERIFY(!win.form()->pushButton_sysSet_readBack1->isEnabled());
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());

        SerialProbe::ticks(win.w(), 1);

        QVERIFY(win.form()->pushButton_sysSet_readBack1->isEnabled());
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());
        QCOMPARE(win.state().sysSetReadBackState, quint8(protocol::handshakeIdle));
    }

    void answeredReadBackFillsThePageOnTheNextPass() {
        PtyWindow win;
        QVERIFY(win.open());
        win.showSettingsPage();
        QCOMPARE(win.form()->stackedWidget->currentIndex(), 1);
        QVERIFY(readBack(win, mixedValue));

        // Widgets follow at the refresh, not when the reply arrives.
        QVERIFY(!win.box("checkBox_FaultDisabledChiller")->isChecked());
        win.ticksToRefresh();

        for (const FlagPlace &place : flagPlaces) {
            const bool set = bit(mixedValue, place);
            QVERIFY2(win.box(place.box)->isChecked() == set, place.box);
            QVERIFY2(shows(win.indicator(place.box), green) == set, place.box);
        }
        QCOMPARE(win.form()->spinBox_PdLeakageLevel->value(), 1500);
        QCOMPARE(win.form()->comboBox_OPModeUsr->currentIndex(), 2);
    }

    void settingsWidgetsWaitWhileTheStatusPageIsShown() {
        PtyWindow win;
        QVERIFY(win.open());
        QCOMPARE(win.form()->stackedWidget->currentIndex(), 0);
        QVERIFY(readBack(win, mixedValue));
        win.ticksToRefresh();
        QVERIFY(!win.box("checkBox_FaultDisabledChiller")->isChecked());
        QCOMPARE(win.form()->spinBox_PdLeakageLevel->value(), 0);

        win.showSettingsPage();
        win.ticksToRefresh();

        QVERIFY(win.box("checkBox_FaultDisabledChiller")->isChecked());
        QCOMPARE(win.form()->spinBox_PdLeakageLevel->value(), 1500);
    }

    void eachFlagBitShowsInItsOwnRowOnly_data() {
        fixture::columns<int>("row");
        for (int i = 0; i < int(std::size(flagPlaces)); ++i)
            QTest::newRow(flagPlaces[i].box) << i;
    }
    void eachFlagBitShowsInItsOwnRowOnly() {
        QFETCH(int, row);
        const FlagPlace &place = flagPlaces[row];
        PtyWindow win;
        SettingsPageCopies &shown = SerialProbe::settingsShown(win.w());
        // The two editable boxes start unchecked like the others.
        for (const FlagPlace &p : flagPlaces)
            QVERIFY2(!win.box(p.box)->isChecked(), p.box);

        QByteArray value(7, '\0');
        value[place.byte] = char(1 << place.bit);
        win.state().settings = protocol::decodeSystemSettings(value.constData());
        settingsPagePass(*win.form(), win.state(), shown);

        for (const FlagPlace &p : flagPlaces) {
            const bool mine = &p == &place;
            QVERIFY2(win.box(p.box)->isChecked() == mine, p.box);
            QVERIFY2(shows(win.indicator(p.box), green) == mine, p.box);
        }

        win.state().settings = protocol::SystemSettings();
        settingsPagePass(*win.form(), win.state(), shown);

        QVERIFY(!win.box(place.box)->isChecked());
        QVERIFY(shows(win.indicator(place.box), gray));
    }

    void readBackValueIsWrittenBackAsReceived_data() {
        fixture::columns<QByteArray, QByteArray>("reply", "written");
        QTest::newRow("mixed") << mixedValue << mixedValue;
        QTest::newRow("every field set")
            << sevenBytes(0x1E, 0x7F, 0x7F, 0x7F, 0x7F) << sevenBytes(0x1E, 0x7F, 0x7F, 0x7F, 0x7F);
        // Unused bits of byte 0 and bytes 5 and 6 are not carried back.
        QTest::newRow("unused bits dropped")
            << sevenBytes(0x61 | (1 << 3), 0x01, 0x00, 0x00, 0x02, 0x11, 0x22)
            << sevenBytes(1 << 3, 0x01, 0x00, 0x00, 0x02);
        QTest::newRow("all clear") << QByteArray(7, '\0') << QByteArray(7, '\0');
    }
    void readBackValueIsWrittenBackAsReceived() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, written);
        PtyWindow win;
        QVERIFY(settingsShown(win, reply));
        BoxCloser guard;

        win.form()->pushButton_sysSet_set1->click();

        const QByteArray expected = settingsWrite(written);
        QCOMPARE(win.pty->read(expected.size()).toHex(' '), expected.toHex(' '));
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(win.state().sysSetWriteState, quint8(protocol::handshakeWaiting));
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());
        QCOMPARE(guard.count(), 0);
    }

    void setSendsTheStoredValueWithTheTwoEditableFlags() {
        PtyWindow win;
        QVERIFY(win.open());
        win.showSettingsPage();
        // redOnBeam set, QBH mask clear.
        const QByteArray reply = sevenBytes(0x02, 0x03, 0x04, 0x20, 5);
        QVERIFY(readBack(win, reply));
        win.ticksToRefresh();
        QVERIFY(win.form()->checkBox_RedOnBeam->isChecked());
        QVERIFY(!win.form()->checkBox_FaultDisableFiberInter->isChecked());

        win.form()->checkBox_RedOnBeam->click();
        {
            BoxCloser yes(QMessageBox::Yes);
            win.form()->checkBox_FaultDisableFiberInter->click();
            QCOMPARE(yes.count(), 1);
        }
        // Spin box and combo box only display: changing them changes nothing that is sent.
        win.form()->spinBox_PdLeakageLevel->setValue(4000);
        win.form()->comboBox_OPModeUsr->setCurrentIndex(1);
        win.form()->pushButton_sysSet_set1->click();

        const QByteArray expected = settingsWrite(sevenBytes(0x02, 0x03, 0x04 | 0x02, 0x00, 5));
        QCOMPARE(win.pty->read(expected.size()).toHex(' '), expected.toHex(' '));
        QVERIFY(!win.state().settings.redOnBeam);
        QVERIFY(win.state().settings.faultDisableFiberInter);

        // The next pass shows the two flags before the CCB has answered.
        win.ticksToRefresh();
        QVERIFY(shows(win.form()->label_FaultDisableFiberInter, green));
        QVERIFY(shows(win.form()->label_RedOnBeam, gray));

        // The CCB answers with what it now holds; the next tick gives "设定" back.
        QVERIFY(win.pty->write(parameterReply(40, sevenBytes(0x02, 0x03, 0x06, 0x00, 5))));
        QTRY_COMPARE(win.state().sysSetWriteState, quint8(protocol::handshakeAnswered));
        SerialProbe::ticks(win.w(), 1);
        QCOMPARE(win.state().sysSetWriteState, quint8(protocol::handshakeIdle));
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());
    }

    void unansweredReadBackTimesOutAfter800Ticks() {
        PtyWindow win;
        QVERIFY(win.open());
        BoxCloser closer;
        win.form()->pushButton_sysSet_readBack1->click();
        QCOMPARE(win.pty->read(readBackFrame.size()), readBackFrame);

        SerialProbe::ticks(win.w(), 799);
        QCOMPARE(closer.count(), 0);
        QCOMPARE(win.state().sysSetReadBackState, quint8(protocol::handshakeWaiting));
        QVERIFY(!win.form()->pushButton_sysSet_readBack1->isEnabled());

        SerialProbe::ticks(win.w(), 1);

        QCOMPARE(closer.count(), 1);
        QCOMPARE(closer.box().title, QStringLiteral("注意"));
        QCOMPARE(closer.box().text, QStringLiteral("激光器未连接！"));
        QCOMPARE(win.state().sysSetReadBackState, quint8(protocol::handshakeIdle));
        QVERIFY(win.form()->pushButton_sysSet_readBack1->isEnabled());
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());

        // Shown once: later ticks stay quiet.
        SerialProbe::ticks(win.w(), 900);
        QCOMPARE(closer.count(), 1);
    }

    void unansweredWriteTimesOutAndLocksSetUntilTheNextAnsweredReadBack() {
        PtyWindow win;
        QVERIFY(win.open());
        QVERIFY(readBack(win, mixedValue));
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());
        BoxCloser closer;

        win.form()->pushButton_sysSet_set1->click();
        QCOMPARE(win.pty->read(16).size(), 16);
        SerialProbe::ticks(win.w(), 799);
        QCOMPARE(closer.count(), 0);
        QCOMPARE(win.state().sysSetWriteState, quint8(protocol::handshakeWaiting));

        SerialProbe::ticks(win.w(), 1);

        QCOMPARE(closer.count(), 1);
        QCOMPARE(closer.box().title, QStringLiteral("注意"));
        QCOMPARE(closer.box().text, QStringLiteral("激光器未连接！"));
        QCOMPARE(win.state().sysSetWriteState, quint8(protocol::handshakeIdle));
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());
        QVERIFY(win.form()->pushButton_sysSet_readBack1->isEnabled());

        QVERIFY(readBack(win, mixedValue));
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());
    }

    void readBackWithThePortClosedShowsTheSerialErrorBox() {
        PtyWindow win;
        win.form()->comboBoxCOM->addItem(win.pty->entryText());
        win.form()->comboBoxCOM->setCurrentIndex(win.form()->comboBoxCOM->count() - 1);
        BoxCloser closer;

        win.form()->pushButton_sysSet_readBack1->click();

        QCOMPARE(closer.count(), 1);
        QCOMPARE(closer.box().title, QStringLiteral("串口错误"));
        QCOMPARE(closer.box().text, QStringLiteral("请检查串口线缆和设置！"));
        QCOMPARE(closer.box().icon, QMessageBox::Critical);
        QCOMPARE(win.state().sysSetReadBackState, quint8(protocol::handshakeIdle));
        QVERIFY(win.form()->pushButton_sysSet_readBack1->isEnabled());
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
    }

    void buttonsAskThePortOpenFlagNotThePort_data() {
        fixture::column<QString>("button", {{"read-back", "pushButton_sysSet_readBack1"},
                                            {"set", "pushButton_sysSet_set1"}});
    }
    void buttonsAskThePortOpenFlagNotThePort() {
        QFETCH(QString, button);
        PtyWindow win;
        QVERIFY(win.open());
        QVERIFY(readBack(win, mixedValue));
        const protocol::SystemSettings before = win.state().settings;
        win.form()->checkBox_RedOnBeam->setChecked(!before.redOnBeam);
        // The port itself could still write; only the flag says the link is down.
        SerialProbe::portOpen(win.w()) = false;
        BoxCloser closer;

        win.w().findChild<QPushButton *>(button)->click();

        QCOMPARE(closer.count(), 1);
        QCOMPARE(closer.box().title, QStringLiteral("串口错误"));
        QCOMPARE(closer.box().text, QStringLiteral("请检查串口线缆和设置！"));
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(win.state().sysSetReadBackState, quint8(0));
        QCOMPARE(win.state().sysSetWriteState, quint8(0));
        QVERIFY(win.state().settings == before);
        QVERIFY(win.form()->pushButton_sysSet_readBack1->isEnabled());
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());
    }

    void setAfterTheUserClosedThePortShowsTheSerialErrorBox() {
        PtyWindow win;
        QVERIFY(win.open());
        QVERIFY(readBack(win, mixedValue));
        win.form()->pushButtonSerialSwitch->click();
        QVERIFY(!SerialProbe::portOpen(win.w()));
        BoxCloser closer;

        win.form()->pushButton_sysSet_set1->click();

        QCOMPARE(closer.count(), 1);
        QCOMPARE(closer.box().title, QStringLiteral("串口错误"));
        QCOMPARE(closer.box().text, QStringLiteral("请检查串口线缆和设置！"));
        QCOMPARE(win.state().sysSetWriteState, quint8(0));
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
    }

    void resetClearsThePageAndDisablesSet() {
        PtyWindow win;
        const QByteArray everything = sevenBytes(0x1E, 0x7F, 0x7F, 0x7F, 0x7F);
        QVERIFY(settingsShown(win, everything));
        for (const FlagPlace &p : flagPlaces)
            QVERIFY2(win.box(p.box)->isChecked(), p.box);
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());

        SerialProbe::resetDeviceState(win.w());
        win.ticksToRefresh();

        for (const FlagPlace &p : flagPlaces) {
            QVERIFY2(!win.box(p.box)->isChecked(), p.box);
            QVERIFY2(shows(win.indicator(p.box), gray), p.box);
        }
        QCOMPARE(win.form()->spinBox_PdLeakageLevel->value(), 0);
        QCOMPARE(win.form()->comboBox_OPModeUsr->currentIndex(), 0);
        // The zeroed value is not what the CCB holds: it must not be written.
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());
        QVERIFY(win.form()->pushButton_sysSet_readBack1->isEnabled());
        win.form()->pushButton_sysSet_set1->click();
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
    }

    void setNeedsAFreshReadBackAfterTheLinkWasDown_data() {
        fixture::column<bool>("linkLost", {{"closed by the user", false}, {"lost", true}});
    }
    void setNeedsAFreshReadBackAfterTheLinkWasDown() {
        QFETCH(bool, linkLost);
        PtyWindow win;
        QVERIFY(settingsShown(win, mixedValue));
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());

        if (linkLost) {
            BoxCloser closer;
            SerialProbe::ticks(win.w(), 16000);
            QCOMPARE(closer.count(), 1);
        } else {
            win.form()->pushButtonSerialSwitch->click();
            SerialProbe::ticks(win.w(), 400);
        }
        QVERIFY(!SerialProbe::portOpen(win.w()));
        win.form()->pushButtonSerialSwitch->click();
        QVERIFY(SerialProbe::portOpen(win.w()));

        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());
        win.form()->pushButton_sysSet_set1->click();
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(win.state().sysSetWriteState, quint8(protocol::handshakeIdle));

        // A fresh answered read-back gives "设定" back, and the write sends what was read.
        QVERIFY(readBack(win, mixedValue));
        win.ticksToRefresh();
        QVERIFY(win.form()->pushButton_sysSet_set1->isEnabled());
        win.form()->pushButton_sysSet_set1->click();
        const QByteArray expected = settingsWrite(mixedValue);
        QCOMPARE(win.pty->read(expected.size()).toHex(' '), expected.toHex(' '));
    }

    void qbhWarningCancelLeavesTheBoxUncheckedAndSendsNothing_data() {
        // Closing the box gives the same answer as Cancel.
        fixture::column<bool>("closeWindow", {{"cancel", false}, {"closed", true}});
    }
    void qbhWarningCancelLeavesTheBoxUncheckedAndSendsNothing() {
        QFETCH(bool, closeWindow);
        PtyWindow win;
        // Every flag but the QBH mask set, so that the write below shows only that bit clear.
        QVERIFY(settingsShown(win, sevenBytes(0x1E, 0x7F, 0x7D, 0x7F, 0x7F)));
        QSignalSpy clicks(win.form()->checkBox_FaultDisableFiberInter, &QCheckBox::clicked);
        BoxCloser closer(closeWindow ? QMessageBox::NoButton : QMessageBox::Cancel);

        win.form()->checkBox_FaultDisableFiberInter->click();

        const SeenBox box = closer.box();
        QCOMPARE(closer.count(), 1);
        QCOMPARE(box.title, QStringLiteral("警告"));
        QCOMPARE(box.text, QStringLiteral("屏蔽QBH警报可能造成人身伤害、激光器或集成系统损坏<br>"
                                          "且不属于激光器保修项目，请确认是否屏蔽？"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY(!win.form()->checkBox_FaultDisableFiberInter->isChecked());
        // Unchecking again goes through setCheckState, which does not click.
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QVERIFY(!win.state().settings.faultDisableFiberInter);

        win.form()->pushButton_sysSet_set1->click();
        const QByteArray written = win.pty->read(16);
        QCOMPARE(written.size(), 16);
        QCOMPARE(written.toHex(' '),
                 settingsWrite(sevenBytes(0x1E, 0x7F, 0x7D, 0x7F, 0x7F)).toHex(' '));
    }

    void qbhWarningYesKeepsTheBoxCheckedAndTheNextWriteSetsBit1() {
        PtyWindow win;
        QVERIFY(win.open());
        QVERIFY(readBack(win, QByteArray(7, '\0')));
        BoxCloser closer(QMessageBox::Yes);

        win.form()->checkBox_FaultDisableFiberInter->click();

        QCOMPARE(closer.count(), 1);
        QCOMPARE(closer.box().title, QStringLiteral("警告"));
        QVERIFY(win.form()->checkBox_FaultDisableFiberInter->isChecked());
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());

        win.form()->pushButton_sysSet_set1->click();

        const QByteArray expected = settingsWrite(sevenBytes(0, 0, 0x02, 0, 0));
        QCOMPARE(win.pty->read(expected.size()).toHex(' '), expected.toHex(' '));
    }

    void uncheckingTheQbhBoxAsksNothing() {
        PtyWindow win;
        {
            BoxCloser yes(QMessageBox::Yes);
            win.form()->checkBox_FaultDisableFiberInter->click();
            QCOMPARE(yes.count(), 1);
        }
        BoxCloser guard;

        win.form()->checkBox_FaultDisableFiberInter->click();

        QCOMPARE(guard.count(), 0);
        QVERIFY(!win.form()->checkBox_FaultDisableFiberInter->isChecked());
    }

    void boxTextsFollowTheLanguageButTheQbhTitleDoesNot() {
        PtyWindow win;
        const QString english = QStringLiteral("english");
        SerialProbe::tianslations(win.w(), &english);
        const char *qbhText = "屏蔽QBH警报可能造成人身伤害、激光器或集成系统损坏<br>"
                              "且不属于激光器保修项目，请确认是否屏蔽？";
        const QString translatedQbh = QCoreApplication::translate("Serial", qbhText);
        // The English catalogue must be in force for this test to say anything.
        QVERIFY(translatedQbh != QString::fromUtf8(qbhText));

        {
            BoxCloser cancel(QMessageBox::Cancel);
            win.form()->checkBox_FaultDisableFiberInter->click();
            QCOMPARE(cancel.count(), 1);
            QCOMPARE(cancel.box().title, QStringLiteral("警告"));
            QCOMPARE(cancel.box().text, translatedQbh);
        }
        {
            BoxCloser ok;
            win.form()->pushButton_sysSet_readBack1->click();
            QCOMPARE(ok.count(), 1);
            QCOMPARE(ok.box().title, QCoreApplication::translate("Serial", "串口错误"));
            QCOMPARE(ok.box().text,
                     QCoreApplication::translate("Serial", "请检查串口线缆和设置！"));
            QVERIFY(ok.box().title != QStringLiteral("串口错误"));
        }
        const QString chinese = QStringLiteral("chinese");
        SerialProbe::tianslations(win.w(), &chinese);
    }

    void settingsPassNeverRaisesTheQbhWarning() {
        PtyWindow win;
        QVERIFY(win.open());
        win.showSettingsPage();
        BoxCloser guard;
        QVERIFY(readBack(win, sevenBytes(0, 0, 0x02, 0, 0)));

        win.ticksToRefresh();

        QVERIFY(win.form()->checkBox_FaultDisableFiberInter->isChecked());
        QCOMPARE(guard.count(), 0);
    }

    void levelAboveTheSpinBoxRangeIsClampedOnScreenAndWrittenBackAsReceived() {
        PtyWindow win;
        QVERIFY(win.open());
        win.showSettingsPage();
        QVERIFY(readBack(win, sevenBytes(0, 0, 0, 0, 100)));
        QCOMPARE(win.state().settings.pdLeakageLevel, 5000);

        win.ticksToRefresh();
        QCOMPARE(win.form()->spinBox_PdLeakageLevel->value(), 4050);
        QCOMPARE(SerialProbe::settingsShown(win.w()).pdLeakageLevel, 5000);

        win.form()->pushButton_sysSet_set1->click();
        const QByteArray expected = settingsWrite(sevenBytes(0, 0, 0, 0, 100));
        QCOMPARE(win.pty->read(expected.size()).toHex(' '), expected.toHex(' '));
    }

    void levelChangeWithinRangeIsShown() {
        PtyWindow win;
        QVERIFY(settingsShown(win, sevenBytes(0, 0, 0, 0, 81)));
        QCOMPARE(win.form()->spinBox_PdLeakageLevel->value(), 4050);

        QVERIFY(readBack(win, sevenBytes(0, 0, 0, 0, 1)));
        win.ticksToRefresh();
        QCOMPARE(win.form()->spinBox_PdLeakageLevel->value(), 50);
    }

    void modeWithoutAnItemShowsNoItemAndIsWrittenBack() {
        PtyWindow win;
        QVERIFY(settingsShown(win, sevenBytes(3 << 3, 0, 0, 0, 0)));
        QCOMPARE(win.state().settings.opModeUsr, 3);
        QCOMPARE(win.form()->comboBox_OPModeUsr->currentIndex(), -1);
        QCOMPARE(win.form()->comboBox_OPModeUsr->count(), 3);
        win.ticksToRefresh();
        QCOMPARE(win.form()->comboBox_OPModeUsr->currentIndex(), -1);

        win.form()->pushButton_sysSet_set1->click();
        const QByteArray expected = settingsWrite(sevenBytes(3 << 3, 0, 0, 0, 0));
        QCOMPARE(win.pty->read(expected.size()).toHex(' '), expected.toHex(' '));
    }

    void modeIsComparedWithTheComboBoxOnEveryPass() {
        PtyWindow win;
        win.showSettingsPage();
        win.state().settings.opModeUsr = 1;
        win.ticksToRefresh();
        QCOMPARE(win.form()->comboBox_OPModeUsr->currentIndex(), 1);

        // Nothing in the state changed, yet the widget is put back.
        win.form()->comboBox_OPModeUsr->setCurrentIndex(2);
        win.ticksToRefresh();
        QCOMPARE(win.form()->comboBox_OPModeUsr->currentIndex(), 1);
    }

    void userChangedBoxSurvivesAnUnchangedReadBackAndFollowsAChangedOne() {
        PtyWindow win;
        QVERIFY(win.open());
        win.showSettingsPage();
        QCheckBox *box = win.form()->checkBox_RedOnBeam;
        QLabel *indicator = win.form()->label_RedOnBeam;
        const QByteArray beamOn = sevenBytes(0, 0, 0, 0x20, 0);
        const QByteArray beamOff = QByteArray(7, '\0');

        QVERIFY(readBack(win, beamOn));
        win.ticksToRefresh();
        QVERIFY(box->isChecked());

        box->click();
        QVERIFY(!box->isChecked());
        QVERIFY(readBack(win, beamOn));
        win.ticksToRefresh();
        QVERIFY(!box->isChecked());
        QVERIFY(shows(indicator, green));

        QVERIFY(readBack(win, beamOff));
        win.ticksToRefresh();
        QVERIFY(!box->isChecked());
        QVERIFY(shows(indicator, gray));

        box->click();
        QVERIFY(box->isChecked());
        QVERIFY(readBack(win, beamOff));
        win.ticksToRefresh();
        QVERIFY(box->isChecked());

        // The CCB's value changes to set: the box is set, whatever it showed.
        box->click();
        QVERIFY(readBack(win, beamOn));
        win.ticksToRefresh();
        QVERIFY(box->isChecked());
        QVERIFY(shows(indicator, green));
    }

private:
    // The window open, on the settings page, showing `value` after an answered read-back.
    static bool settingsShown(PtyWindow &win, const QByteArray &value) {
        if (!win.open())
            return false;
        win.showSettingsPage();
        if (!readBack(win, value))
            return false;
        win.ticksToRefresh();
        return true;
    }

    // Clicks "读回", checks the request on the wire, answers as the CCB and runs the tick that
    // completes the handshake.
    static bool readBack(PtyWindow &win, const QByteArray &value) {
        win.form()->pushButton_sysSet_readBack1->click();
        const QByteArray sent = win.pty->read(readBackFrame.size());
        if (sent != readBackFrame) {
            qWarning("read-back sent %s", sent.toHex(' ').constData());
            return false;
        }
        if (!win.pty->write(parameterReply(40, value)))
            return false;
        if (!QTest::qWaitFor(
                [&] { return win.state().sysSetReadBackState == protocol::handshakeAnswered; },
                3000)) {
            qWarning("no parameter-40 reply was taken in");
            return false;
        }
        SerialProbe::ticks(win.w(), 1);
        return win.state().sysSetReadBackState == protocol::handshakeIdle &&
               win.form()->pushButton_sysSet_readBack1->isEnabled();
    }
};

LASER_WINDOW_TEST_MAIN(SettingsPage)
#include "settings_page_test.moc"
