// The window as it stands after construction: pages, texts, enabled states, timers, members,
// menus, resources and the page-switching actions.
#include "support/modal.h"
#include "support/serial_probe.h"
#include "support/work_dir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>

#include <memory>

class WindowConstructionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WorkDir> work;
    std::unique_ptr<Serial> window;

    SerialForm &form() { return *SerialProbe::form(*window); }

    // Widgets the user cannot operate at start; everything else named in the form is enabled.
    static QSet<QString> expectedDisabled() {
        QSet<QString> names{QStringLiteral("tableWidget"), QStringLiteral("tableWidget_6"),
                            QStringLiteral("spinBox_PdLeakageLevel"),
                            QStringLiteral("comboBox_OPModeUsr"),
                            QStringLiteral("pushButton_sysSet_set1")};
        for (const char *box : {"FaultDisabledChiller",
                                "FaultDisableDcPwr",
                                "FaultDisableEStop1",
                                "RedAuto",
                                "FaultDisableEStop2",
                                "FaultDisableDew",
                                "FaultDisableDoorInter",
                                "FaultDisableFiberBreak",
                                "FaultDisableTh",
                                "RedOnExternal",
                                "FaultDisablePdLeakage",
                                "FaultDisablePd",
                                "HppEnabled",
                                "PgmEnabled",
                                "LaserOnUsrDisabled",
                                "DoorInterLoActive",
                                "DoutLoActive",
                                "DcFaultHiActive",
                                "PgmInit",
                                "AiPort",
                                "AoPort"})
            names << QStringLiteral("checkBox_") + QLatin1String(box);
        return names;
    }

private slots:
    void init() {
        work = std::make_unique<WorkDir>();
        window = std::make_unique<Serial>();
    }
    void cleanup() {
        window.reset();
        work.reset();
    }

    void windowStartsOnTheStatusPageWithItsTitle() {
        QCOMPARE(window->objectName(), QStringLiteral("Serial"));
        QCOMPARE(window->windowTitle(), QStringLiteral("LASER SYSTEM_V0.3.10"));
        QCOMPARE(form().stackedWidget->count(), 2);
        QCOMPARE(form().stackedWidget->currentIndex(), 0);
        QCOMPARE(form().stackedWidget->currentWidget(), form().page_master);
        QCOMPARE(form().stackedWidget->widget(1), form().page_SysSet);
        QCOMPARE(window->size(), QSize(1400, 850));
        QVERIFY(!window->windowIcon().isNull());
    }

    void exactlyTheListedWidgetsAreDisabled() {
        const QSet<QString> expected = expectedDisabled();
        QSet<QString> disabled;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
                continue;
            if (w->testAttribute(Qt::WA_ForceDisabled))
                disabled << name;
        }
        QCOMPARE(disabled, expected);
        QVERIFY(form().spinBox_PdLeakageLevel->isReadOnly());
        QVERIFY(form().checkBox_RedOnBeam->isEnabled());
        QVERIFY(form().checkBox_FaultDisableFiberInter->isEnabled());
        QVERIFY(form().pushButton_sysSet_readBack1->isEnabled());
    }

    void operatingModeItemsAreAddedInOrder() {
        const QComboBox *modes = form().comboBox_OPModeUsr;
        QCOMPARE(modes->count(), 3);
        QCOMPARE(modes->itemText(0), QString::fromUtf8("自动模式(依外部接线)"));
        QCOMPARE(modes->itemText(1), QString::fromUtf8("强制外控"));
        QCOMPARE(modes->itemText(2), QString::fromUtf8("强制内控"));
        QVERIFY(!modes->isEditable());
    }

    void tickTimerRunsAndReceiveTimerIsIdle() {
        QTimer *tick = SerialProbe::tickTimer(*window);
        QTimer *rx = SerialProbe::rxTimer(*window);
        QVERIFY(tick && rx);
        QVERIFY(tick->isActive());
        QCOMPARE(tick->interval(), 1);
        QVERIFY(!tick->isSingleShot());
        QVERIFY(!rx->isActive());
        QCOMPARE(rx->interval(), 200);
        QVERIFY(!rx->isSingleShot());
        QCOMPARE(tick->parent(), window.get());
        QCOMPARE(rx->parent(), window.get());
    }

    void membersHoldTheirStartValues() {
        QCOMPARE(SerialProbe::portOpen(*window), false);
        QCOMPARE(SerialProbe::firstPortSetup(*window), false);
        QCOMPARE(SerialProbe::linkSilenceCount(*window), 0);
        QCOMPARE(SerialProbe::replyTimeoutTicks(*window), quint16(800));
        QCOMPARE(SerialProbe::crcOk(*window), quint8(1));
        QCOMPARE(SerialProbe::crcFail(*window), quint8(0));
        QVERIFY(SerialProbe::rxBuffer(*window).isEmpty());
        QVERIFY(SerialProbe::port(*window)->parent() == nullptr);
        QCOMPARE(SerialProbe::language(*window), QStringLiteral("chinese"));
    }

    void menusKeepTheirOrderWithLanguageAndHelpAfterThem() {
        const QList<QAction *> menus = form().menuBar->actions();
        // The form's four menus, with the diagnostics and service menus (made in code) before
        // help.
        QCOMPARE(menus.size(), 6);
        QCOMPARE(menus.at(3)->text(), QString::fromUtf8("诊断"));
        QCOMPARE(menus.at(4)->text(), QString::fromUtf8("维护"));
        QCOMPARE(menus.at(5)->menu(), form().menu_Help);
        QCOMPARE(menus.at(0)->menu(), form().menu_masterWindow);
        QCOMPARE(menus.at(1)->menu(), form().menu_SysSet);
        QCOMPARE(menus.at(0)->text(), QString::fromUtf8("使用者界面"));
        QCOMPARE(menus.at(1)->text(), QString::fromUtf8("设置"));
        QVERIFY(form().menu_masterWindow->actions().contains(form().actionMasterWindow));
        QVERIFY(form().menu_SysSet->actions().contains(form().actionSys_set));
        QVERIFY(menus.at(2)->menu()->actions().contains(form().actionChinese));
        QVERIFY(menus.at(2)->menu()->actions().contains(form().actionEnglish));
        QVERIFY(menus.at(5)->menu()->actions().contains(form().actionAbout));
        QCOMPARE(form().actionChinese->text(), QString::fromUtf8("中文"));
        QCOMPARE(form().actionEnglish->text(), QStringLiteral("English"));
        QCOMPARE(form().actionAbout->text(), QString::fromUtf8("关于..."));
    }

    void pageActionsSwitchPagesAndRepeatingOneChangesNothing() {
        form().actionSys_set->trigger();
        QCOMPARE(form().stackedWidget->currentIndex(), 1);
        form().actionSys_set->trigger();
        QCOMPARE(form().stackedWidget->currentIndex(), 1);
        form().actionMasterWindow->trigger();
        QCOMPARE(form().stackedWidget->currentIndex(), 0);
        form().actionMasterWindow->trigger();
        QCOMPARE(form().stackedWidget->currentIndex(), 0);
    }

    void indicatorsStartWithTheGrayPicture() {
        const QImage gray = QPixmap(QStringLiteral(":/gray.png")).toImage();
        QVERIFY(!gray.isNull());
        QCOMPARE(gray.size(), QSize(16, 16));
        QCOMPARE(QPixmap(QStringLiteral(":/002.png")).toImage(), gray);
        // The four lamps are different pictures.
        QSet<QByteArray> distinct;
        for (const char *path : {":/red.png", ":/green.png", ":/orange.png", ":/gray.png"}) {
            const QImage image = QPixmap(QLatin1String(path)).toImage();
            QCOMPARE(image.size(), QSize(16, 16));
            distinct << QByteArray(reinterpret_cast<const char *>(image.constBits()),
                                   int(image.sizeInBytes()));
        }
        QCOMPARE(distinct.size(), 4);

        const QList<QLabel *> indicators{form().label_RedOn,
                                         form().label_DCOn,
                                         form().label_LaserReady,
                                         form().label_BeamOn,
                                         form().label_driverTemp_fault,
                                         form().label_Fault,
                                         form().label_PDFault,
                                         form().label_outEstop2,
                                         form().label_DoorInterLock,
                                         form().label_FaultChiller,
                                         form().label_TemperatureFault,
                                         form().label_WaterInHiFault,
                                         form().label_WaterOutHiFault,
                                         form().label_driverOC_fault,
                                         form().label_QBH_FiberInterFault,
                                         form().label_FiberBreakFault,
                                         form().label_PwmIn,
                                         form().label_DcOnDin,
                                         form().label_EStop2Din,
                                         form().label_LaserOnDin,
                                         form().label_DcOnDOut,
                                         form().label_FaultCnc,
                                         form().label_FaultDisableFiberInter,
                                         form().label_RedOnBeam,
                                         form().label_FaultDisabledChiller};
        for (QLabel *label : indicators) {
            QVERIFY2(label->text().isEmpty(), qPrintable(label->objectName()));
            QVERIFY2(label->pixmap(Qt::ReturnByValue).toImage() == gray,
                     qPrintable(label->objectName()));
        }
    }

    void formCaptionsAreTheChineseTexts() {
        QCOMPARE(form().pushButtonSerialSwitch->text(), QString::fromUtf8("打开串口"));
        QCOMPARE(form().pushButtonUpData->text(), QString::fromUtf8("刷新串口"));
        QCOMPARE(form().pushButton_redon->text(), QString::fromUtf8("开 启"));
        QCOMPARE(form().pushButton_redoff->text(), QString::fromUtf8("关 闭"));
        QCOMPARE(form().pushButton_sysSet_readBack1->text(), QString::fromUtf8("读回"));
        QCOMPARE(form().pushButton_sysSet_set1->text(), QString::fromUtf8("设定"));
        QCOMPARE(form().groupBoxSysStatus->title(), QString::fromUtf8("系统状态"));
        QCOMPARE(form().groupBox_2->title(), QString::fromUtf8("中央控制板(CCB)参数"));
        for (QLabel *value :
             {form().label_TempWaterIn, form().label_TempWaterOut, form().label_TempDewPoint,
              form().label_CCBVersion, form().label_DBVersion, form().label_AI_1, form().label_Freq,
              form().label_Duty, form().label_ProductType, form().label_SerialNumber,
              form().label_SystemDateTime})
            QVERIFY2(value->text().isEmpty(), qPrintable(value->objectName()));
    }

    void settingsCellsFollowTheGrid() {
        // 7 rows x 4 columns, row 4 and the last cell of row 6 empty: 23 cells.
        QGridLayout *grid = form().gridLayout;
        QCOMPARE(grid->count(), 23);
        for (int column = 0; column < 4; ++column)
            QVERIFY(!grid->itemAtPosition(4, column));
        QVERIFY(!grid->itemAtPosition(6, 3));
        QCOMPARE(grid->itemAtPosition(0, 0)->widget(), form().widget_122);
        QCOMPARE(grid->itemAtPosition(2, 0)->widget(), form().widget_134);
        QCOMPARE(grid->itemAtPosition(6, 2)->widget(), form().widget_145);
        QVERIFY(form().widget_134->isAncestorOf(form().checkBox_FaultDisableFiberInter));
        QVERIFY(form().widget_148->isAncestorOf(form().checkBox_RedOnBeam));
        QCOMPARE(form().spinBox_PdLeakageLevel->maximum(), 4050);
        QCOMPARE(form().spinBox_PdLeakageLevel->singleStep(), 50);
    }

    void aboutBoxShowsItsUntranslatedTitle() {
        BoxCloser closer;
        form().actionAbout->trigger();
        QVERIFY(closer.waitForBox());
        QCOMPARE(closer.box().title, QStringLiteral("About"));
        QVERIFY(closer.box().text.contains(QStringLiteral("LASER SYSTEM_V0.3.10")));
    }
};

QTEST_MAIN(WindowConstructionTest)
#include "window_construction_test.moc"
