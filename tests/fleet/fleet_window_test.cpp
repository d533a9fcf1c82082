// The fleet window offscreen, fed batches directly: the filter, the selected laser in full, the
// alarm list's acknowledgement, the language, and the line that counts what was not kept.
#include "fleet/alarm_list.h"
#include "fleet/fleet_window.h"
#include "fleet/laser_details.h"
#include "fleet/laser_table.h"
#include "plant/payloads.h"
#include "support/work_dir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>

#include <memory>
#include <sys/stat.h>

namespace {

plant::FleetMessage statusOf(const QString &id, const protocol::DeviceState &s) {
    plant::ParseResult r = plant::parseFleetMessage(
        QStringLiteral("laser"), "laser/" + id.toUtf8() + "/status",
        plant::statusPayload(plant::statusObject(s, {QStringLiteral("ttyUSB1"), true, 0}), id,
                             QDateTime::currentMSecsSinceEpoch()),
        false);
    return r.message;
}

plant::FleetBatch batchOf(std::initializer_list<plant::FleetMessage> messages) {
    plant::FleetBatch b;
    for (const plant::FleetMessage &m : messages)
        b.messages << m;
    return b;
}

plant::FleetMessage eventOf(const QString &id, qint64 at, const QString &name) {
    plant::FleetMessage m;
    m.kind = plant::Kind::Event;
    m.laserId = id;
    m.event = events::Event{at, QStringLiteral("alarm"), name, QStringLiteral("on"), QString()};
    return m;
}

QStringList column(QAbstractItemModel *model, int c) {
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, c).data().toString();
    return out;
}

} // namespace

class FleetWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WorkDir> work;
    std::unique_ptr<fleet::FleetWindow> window;

private slots:
    void init() {
        work = WorkDir::chinese();
        window = std::make_unique<fleet::FleetWindow>(nullptr);
        protocol::DeviceState alarm;
        alarm.doorInterlock = true;
        window->take(batchOf({statusOf(QStringLiteral("cutter-1"), {}),
                              statusOf(QStringLiteral("cutter-2"), alarm),
                              statusOf(QStringLiteral("welder-1"), {})}));
    }
    void cleanup() {
        // The filter box's clear button fades in and out for 160 ms with an animation of no
        // parent, which deletes itself only once it has run to its end.
        QTest::qWait(200);
        window.reset();
        work.reset();
    }

    void theFilterNarrowsTheRowsAndTheSelectionStaysOnItsLaser() {
        auto *view = window->findChild<QTableView *>(QStringLiteral("laserView"));
        QCOMPARE(column(view->model(), fleet::LaserTable::LaserId),
                 (QStringList{"cutter-2", "cutter-1", "welder-1"}));
        view->selectRow(1);
        window->findChild<QLineEdit *>(QStringLiteral("filterBox"))->setText(QStringLiteral("CUT"));
        QCOMPARE(column(view->model(), fleet::LaserTable::LaserId),
                 (QStringList{"cutter-2", "cutter-1"}));
        // An alarm moves cutter-1 to the top; the selection goes with it.
        window->findChild<QLineEdit *>(QStringLiteral("filterBox"))->clear();
        view->selectRow(view->model()->rowCount() - 1);
        protocol::DeviceState s;
        s.moduleStatus[0].qbhFault = true;
        window->take(batchOf({statusOf(QStringLiteral("welder-1"), s)}));
        QCOMPARE(view->currentIndex().row(), 0);
        QCOMPARE(view->currentIndex().data(fleet::LaserTable::LaserIdRole).toString(),
                 QStringLiteral("welder-1"));
        QCOMPARE(view->model()->index(0, fleet::LaserTable::Alarms).data().toString(),
                 QString::fromUtf8("QBH报警（模块0）"));
    }

    void theSelectedLaserShowsItsWholeStatusAndItsEventsNewestFirst() {
        window->take(
            batchOf({eventOf(QStringLiteral("cutter-1"), 1000, QStringLiteral("first")),
                     eventOf(QStringLiteral("cutter-1"), 2000, QStringLiteral("second"))}));
        auto *view = window->findChild<QTableView *>(QStringLiteral("laserView"));
        view->selectRow(window->laserTable()->rowOf(QStringLiteral("cutter-1")));
        QTreeWidget *events = window->details()->eventTree();
        QCOMPARE(events->topLevelItemCount(), 2);
        QCOMPARE(events->topLevelItem(0)->text(2), QStringLiteral("second"));

        QTreeWidget *status = window->details()->statusTree();
        const auto product = status->findItems(QString::fromUtf8("产品信息"), Qt::MatchExactly);
        QCOMPARE(product.size(), 1);
        const auto port =
            status->findItems(QString::fromUtf8("端口号"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(port.size(), 1);
        QCOMPARE(port[0]->text(1), QStringLiteral("ttyUSB1"));
        // Every section of the payload is there, the modules one by one.
        QCOMPARE(status->findItems(QString::fromUtf8("模块2"), Qt::MatchRecursive).size(), 1);
    }

    void theSelectedLaserShowsBrokerTextsAsWhatTheyAreAndEventsInTheOperatorsWords() {
        QJsonObject o = QJsonDocument::fromJson(
                            plant::statusPayload(plant::statusObject({}, {}), "odd", 1796662420295))
                            .object();
        QJsonObject product = o.value(QLatin1String("product")).toObject();
        product.insert(QStringLiteral("serial_number"), QString::fromUtf8("\u202e123-NS"));
        product.insert(QStringLiteral("made_at"), 1e300);
        product.insert(QStringLiteral("two\nlines"), true);
        o.insert(QLatin1String("product"), product);
        o.insert(QStringLiteral("extras"), QJsonArray{1, 2});
        const plant::ParseResult r =
            plant::parseFleetMessage(QStringLiteral("laser"), "laser/odd/status",
                                     QJsonDocument(o).toJson(QJsonDocument::Compact), false);
        QCOMPARE(r.rejection, plant::Rejection::None);
        plant::FleetMessage words =
            eventOf(QStringLiteral("odd"), 1000, QStringLiteral("chillerFault"));
        window->take(batchOf({r.message, words}));
        window->findChild<QTableView *>(QStringLiteral("laserView"))
            ->selectRow(window->laserTable()->rowOf(QStringLiteral("odd")));

        QTreeWidget *status = window->details()->statusTree();
        const auto item = [&](const QString &caption) {
            const auto found = status->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
            return found.size() == 1 ? found[0]->text(1)
                                     : QStringLiteral("(%1 found)").arg(found.size());
        };
        QCOMPARE(item(QString::fromUtf8("销售序号")), QStringLiteral("<U+202E>123-NS"));
        QCOMPARE(item(QStringLiteral("made_at")), QString::fromUtf8("无效"));
        QCOMPARE(item(QStringLiteral("two<U+000A>lines")), QString::fromUtf8("开"));
        // A list other than the modules is shown by place, not as modules.
        QCOMPARE(item(QStringLiteral("[1]")), QStringLiteral("2"));
        QCOMPARE(status->findItems(QString::fromUtf8("模块0"), Qt::MatchRecursive).size(), 1);

        QTreeWidgetItem *event = window->details()->eventTree()->topLevelItem(0);
        QCOMPARE(event->text(1), QString::fromUtf8("报警"));
        QCOMPARE(event->text(2), QString::fromUtf8("水冷机警报"));
        QCOMPARE(event->text(3), QString::fromUtf8("出现"));

        // The title follows the row when the laser goes offline.
        plant::FleetMessage gone;
        gone.laserId = QStringLiteral("odd");
        window->take(batchOf({gone}));
        QVERIFY(window->findChild<QLabel *>(QStringLiteral("detailsTitle"))
                    ->text()
                    .startsWith(QString::fromUtf8("odd — 离线 自 ")));
    }

    void acknowledgingMarksTheLineAndTheCountFalls() {
        auto *list = window->findChild<QTableView *>(QStringLiteral("alarmView"));
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("alarmTitle"))->text(),
                 QString::fromUtf8("报警列表（1 条未确认）"));
        list->selectRow(0);
        window->findChild<QPushButton *>(QStringLiteral("acknowledge"))->click();
        QCOMPARE(list->model()->index(0, fleet::AlarmList::Acknowledged).data().toString(),
                 QString::fromUtf8("已确认"));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("alarmTitle"))->text(),
                 QString::fromUtf8("报警列表（0 条未确认）"));
    }

    void aBadActorLineChosenByEnterSelectsItsLaser() {
        plant::FleetMessage m;
        m.kind = plant::Kind::Summary;
        m.laserId = QStringLiteral("welder-1");
        m.summary.periods[plant::LastDay].alarms = {{QStringLiteral("doorInterlock"), 3, 0, 0, 1}};
        window->take(batchOf({m}));
        auto *bad = window->findChild<QTableView *>(QStringLiteral("badActorView"));
        QCOMPARE(bad->accessibleName(), QString::fromUtf8("全厂频发报警（各主机报警统计）"));
        bad->setCurrentIndex(bad->model()->index(0, 0));
        QTest::keyClick(bad, Qt::Key_Return);
        auto *lasers = window->findChild<QTableView *>(QStringLiteral("laserView"));
        QCOMPARE(lasers->currentIndex().data(fleet::LaserTable::LaserIdRole).toString(),
                 QStringLiteral("welder-1"));
    }

    void englishTranslatesTheStatusPageCaptionsAndTheFleetsWordsAndIsKept() {
        window->applyLanguage(QStringLiteral("english"));
        fleet::LaserTable *t = window->laserTable();
        QCOMPARE(t->headerData(fleet::LaserTable::WaterIn, Qt::Horizontal).toString(),
                 QString::fromUtf8("T3 temp. (°C)"));
        QCOMPARE(t->headerData(fleet::LaserTable::State, Qt::Horizontal).toString(),
                 QStringLiteral("State"));
        QCOMPARE(t->index(0, fleet::LaserTable::Alarms).data().toString(),
                 QStringLiteral("Door interlock"));
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("Laser fleet - 3 lasers")));
        QCOMPARE(WorkDir::readPreference(), QByteArray("language = english"));
        window->applyLanguage(QStringLiteral("chinese"));
        QCOMPARE(t->index(0, fleet::LaserTable::Alarms).data().toString(),
                 QString::fromUtf8("连锁机门"));
    }

    // A pipe where the language file belongs is not opened (that would wait for a writer): the
    // window opens in Chinese.
    void aPipeAsTheLanguageFileOpensTheWindowInChinese() {
        window.reset();
        QVERIFY(QFile::remove(QStringLiteral("config/language.gl")));
        QCOMPARE(::mkfifo("config/language.gl", 0600), 0);
        window = std::make_unique<fleet::FleetWindow>(nullptr);
        QCOMPARE(
            window->laserTable()->headerData(fleet::LaserTable::State, Qt::Horizontal).toString(),
            QString::fromUtf8("状态"));
    }

    void theKeptLineSaysWhatWasNotKept() {
        plant::FleetBatch batch;
        batch.rejected[size_t(plant::Rejection::TooLarge)] = 2;
        batch.rejected[size_t(plant::Rejection::IdMismatch)] = 1;
        batch.overrun = 4;
        window->take(batch);
        const QLabel *kept = window->findChild<QLabel *>(QStringLiteral("keptLine"));
        QCOMPARE(kept->text(),
                 QString::fromUtf8("已忽略 3 条消息（大于64 KiB 2，laser_id与主题不符 1）; "
                                   "来不及处理：4 条消息丢弃"));
        // What the window's edge cuts off the line can still be read, a reason a line.
        QCOMPARE(kept->toolTip(),
                 QString::fromUtf8("已忽略 3 条消息（大于64 KiB 2，laser_id与主题不符 1）\n"
                                   "来不及处理：4 条消息丢弃"));
    }
};

QTEST_MAIN(FleetWindowTest)
#include "fleet_window_test.moc"
