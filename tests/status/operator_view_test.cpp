// The window for every operator: what a screen reader reads in the status page, the lamp shapes
// chosen under 语言 and kept in config/view.gl, the keyboard's ways in, and the tray's view of a
// lost link.
#include "preference/language_preference.h"
#include "support/test_main.h"
#include "support/window_fixture.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/operator_view.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>

using namespace fixture;

namespace {

OperatorView &viewOf(Serial &w) {
    return *w.findChild<OperatorView *>(QStringLiteral("operatorView"));
}

bool showsShape(const QLabel *label, looks::Lamp lamp) {
    return pixmapOf(label).toImage() == looks::drawShape(lamp, 16).toImage();
}

} // namespace

class OperatorViewTest : public QObject {
    Q_OBJECT

private slots:
    void lampsAndValuesReadTheirStateToAScreenReaderInTheLanguageShown() {
        auto w = quietWindow();
        SerialForm &f = formOf(*w);
        QCOMPARE(f.label_DoorInterLock->accessibleName(), QString::fromUtf8("连锁机门"));
        QCOMPARE(f.label_DcOnDin->accessibleName(), QString::fromUtf8("数字量输入：直流开启"));
        QCOMPARE(f.label_TempWaterIn->accessibleName(), QString::fromUtf8("T3温度(C)"));
        // A settings box has no text: its caption names it.
        QCOMPARE(QAccessible::queryAccessibleInterface(f.checkBox_FaultDisableDew)
                     ->text(QAccessible::Name),
                 QString::fromUtf8("屏蔽露点警报"));
        // No frame yet: no data, never normal, off or 0 °C, as grey and 0 may read.
        nextPass(*w);
        QCOMPARE(f.label_DoorInterLock->accessibleDescription(), QString::fromUtf8("无数据"));
        QCOMPARE(f.label_TempWaterIn->accessibleDescription(), QString::fromUtf8("无数据"));
        QCOMPARE(f.label_FaultDisableDew->accessibleDescription(), QString::fromUtf8("无数据"));
        viewOf(*w).linkChanged(alarms::Link::Live);
        stateOf(*w).doorInterlock = true;
        stateOf(*w).moduleStatus[0].beamOn = true;
        stateOf(*w).tempWaterIn = -5;
        stateOf(*w).serialNumber = QString::fromLatin1("SN\r\x1b\x85\xad"
                                                       "42");
        nextPass(*w);
        QCOMPARE(f.label_SerialNumber->accessibleDescription(),
                 QString::fromUtf8("SN\ufffd\ufffd\ufffd\ufffd"
                                   "42"));
        QCOMPARE(f.label_DoorInterLock->accessibleDescription(), QString::fromUtf8("报警"));
        QCOMPARE(f.label_BeamOn->accessibleDescription(), QString::fromUtf8("开"));
        QCOMPARE(f.label_DCOn->accessibleDescription(), QString::fromUtf8("关"));
        QCOMPARE(f.label_TempWaterIn->accessibleDescription(), QString::fromUtf8("-5 °C"));

        stateOf(*w).doorInterlock = false;
        nextPass(*w);
        QCOMPARE(f.label_DoorInterLock->accessibleDescription(), QString::fromUtf8("正常"));
        // The settings page's lamps after a read-back (which enables 设定), as the status page's.
        stateOf(*w).settings.faultDisableDew = true;
        f.pushButton_sysSet_set1->setEnabled(true);
        f.actionSys_set->trigger();
        nextPass(*w);
        QCOMPARE(f.label_FaultDisableDew->accessibleName(), QString::fromUtf8("屏蔽露点警报"));
        QCOMPARE(f.label_FaultDisableDew->accessibleDescription(), QString::fromUtf8("开"));
        f.actionMasterWindow->trigger();

        SerialProbe::tianslations(*w, &preference::english);
        QCOMPARE(f.label_DoorInterLock->accessibleName(), QStringLiteral("Door interlock"));
        QCOMPARE(f.label_DoorInterLock->accessibleDescription(), QStringLiteral("Normal"));
        SerialProbe::tianslations(*w, &preference::chinese);
    }

    void theShapesChoiceRedrawsEveryLampAndIsKeptForTheNextStart() {
        QFile::remove(preference::viewFilePath());
        {
            auto w = quietWindow();
            SerialForm &f = formOf(*w);
            QVERIFY(!viewOf(*w).shapesAction()->isChecked()); // the specified look by default
            QVERIFY(f.menu_Language->actions().contains(viewOf(*w).shapesAction()));
            stateOf(*w).doorInterlock = true;
            nextPass(*w);
            viewOf(*w).shapesAction()->trigger();
            QVERIFY(showsShape(f.label_DoorInterLock, looks::Lamp::Alarm));
            QVERIFY(showsShape(f.label_DCOn, looks::Lamp::Off));
            QVERIFY(showsShape(f.label_FaultDisableDew, looks::Lamp::Off));
            stateOf(*w).doorInterlock = false;
            nextPass(*w);
            QVERIFY(showsShape(f.label_DoorInterLock, looks::Lamp::Off));
        }
        QFile file(preference::viewFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArrayLiteral("notifications = on\nlamp_shapes = on\n"));
        auto w = quietWindow();
        QVERIFY(showsShape(formOf(*w).label_RedOn, looks::Lamp::Off));
        // A folder in the file's place: the box says so, and the choice holds for the run.
        QVERIFY(QFile::remove(preference::viewFilePath()));
        QVERIFY(QDir().mkdir(preference::viewFilePath()));
        BoxCloser closer;
        viewOf(*w).shapesAction()->trigger();
        QCOMPARE(closer.box().title, QString::fromUtf8("保存选择"));
        QVERIFY(shows(formOf(*w).label_RedOn, gray));
        QVERIFY(QDir().rmdir(preference::viewFilePath()));
    }

    void theKeyboardReachesTheButtonsThePagesAndTheMenus() {
        auto w = quietWindow();
        SerialForm &f = formOf(*w);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        // Tab from the port list through the port panel to the red-light buttons.
        const auto tabsThrough = [](const QList<QWidget *> &order) {
            order.first()->setFocus();
            for (QWidget *next : order.mid(1)) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                if (QApplication::focusWidget() != next)
                    return next->objectName();
            }
            return QString();
        };
        // ... and round to the port list, with no stop of no name between.
        QCOMPARE(tabsThrough({f.comboBoxCOM, f.pushButtonUpData, f.pushButtonSerialSwitch,
                              f.pushButton_redon, f.pushButton_redoff, f.comboBoxCOM}),
                 QString());
        // On the settings page, the boxes (enabled by a read-back) row by row, then the rest.
        f.actionSys_set->trigger();
        for (QCheckBox *box : f.page_SysSet->findChildren<QCheckBox *>())
            box->setEnabled(true);
        f.comboBox_OPModeUsr->setEnabled(true);
        QCOMPARE(tabsThrough({f.checkBox_FaultDisabledChiller, f.checkBox_FaultDisableDcPwr,
                              f.checkBox_FaultDisableEStop1, f.checkBox_RedAuto,
                              f.checkBox_FaultDisableEStop2}),
                 QString());
        QCOMPARE(tabsThrough({f.checkBox_AoPort, f.comboBox_OPModeUsr,
                              f.pushButton_sysSet_readBack1, f.checkBox_FaultDisabledChiller}),
                 QString());
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(f.stackedWidget->currentIndex(), 1);
        QTest::keyClick(w.get(), Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(f.stackedWidget->currentIndex(), 0);
        for (const auto &key : {std::make_pair(Qt::Key_L, f.menu_Language),
                                std::make_pair(Qt::Key_F10, f.menu_masterWindow)}) {
            QTest::keyClick(w.get(), key.first,
                            key.first == Qt::Key_L ? Qt::AltModifier : Qt::NoModifier);
            QTRY_VERIFY(key.second->isVisible());
            QTest::keyClick(key.second, Qt::Key_Escape);
            QTest::keyClick(w.get(), Qt::Key_Escape); // and the menu bar
            QTRY_VERIFY(!QApplication::activePopupWidget());
        }
        // The diagnostics window: Ctrl+number picks a tab, Esc closes it.
        auto *d = w->findChild<diagnostics::Diagnostics *>();
        d->showWindow();
        QApplication::setActiveWindow(d->window()); // offscreen, the closed menu stays active
        QVERIFY(QTest::qWaitForWindowActive(d->window()));
        QTest::keyClick(d->window(), Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(d->window()->tabs()->currentIndex(),
                 int(diagnostics::DiagnosticsWindow::LinkIndex));
        // Esc with a list open closes the list, not the window.
        QTest::keyClick(d->window(), Qt::Key_2, Qt::ControlModifier);
        QComboBox *list = d->window()->tabs()->currentWidget()->findChild<QComboBox *>();
        list->showPopup();
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget()->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(d->window()->isVisible());
        QTest::keyClick(d->window(), Qt::Key_Escape);
        QVERIFY(!d->window()->isVisible());
    }

    void anAlarmAndThenALostLinkShowInTheTraysStateAndTheStatusBar() {
        PtyWindow win;
        QVERIFY(win.open());
        win.ticksToRefresh();
        QCOMPARE(viewOf(win.w()).decisions().state(), attention::LinkState::Waiting);
        QVERIFY(win.send(frames::systemStatus(0x10, 0, 0))); // the door interlock
        win.ticksToRefresh();
        QCOMPARE(viewOf(win.w()).decisions().alarms(), QStringList{"doorInterlock"});
        const QLabel *count = win.w().findChild<QLabel *>(QStringLiteral("activeAlarmCount"));
        QVERIFY(waitUntil([&] { return count->accessibleDescription() == "1"; }, 3000));
        QCOMPARE(count->accessibleName(), QString::fromUtf8("当前报警数"));
        BoxCloser closer;
        SerialProbe::ticks(win.w(), 16000);
        QCOMPARE(closer.count(), 1);
        QCOMPARE(viewOf(win.w()).decisions().state(), attention::LinkState::Lost);
    }
};

LASER_WINDOW_TEST_MAIN(OperatorViewTest)
#include "operator_view_test.moc"
