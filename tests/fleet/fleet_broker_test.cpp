// The fleet window against a real mosquitto on a loopback port, fed by the project's own plant
// link: lasers appear with their fields, alarms reach the row and the list and clear, a killed
// host goes offline through its will, bad messages are counted, the plant's ACL lets the fleet
// read and nothing more, and the program ends cleanly on SIGTERM and SIGINT.
#include "fleet/alarm_list.h"
#include "fleet/bad_actor_list.h"
#include "fleet/fleet_window.h"
#include "fleet/laser_table.h"
#include "plant/fleet_link.h"
#include "plant/payloads.h"
#include "plant/plant_link.h"
#include "support/broker.h"
#include "support/stop_signals.h"
#include "support/wait.h"
#include "support/work_dir.h"

#include <QLabel>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

QString writeIni(const QString &name, const QByteArray &text) {
    QDir().mkpath(QStringLiteral("config"));
    const QString path = QStringLiteral("config/") + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    return path;
}

QByteArray iniFor(const Broker &broker, const QByteArray &extra = QByteArray()) {
    return "[mqtt]\nurl = " + broker.url().toUtf8() + "\n" + extra;
}

// A host's plant link, publishing as `id`.
std::unique_ptr<plant::PlantLink> host(const Broker &broker, const QByteArray &id,
                                       const QByteArray &login = QByteArray()) {
    return std::make_unique<plant::PlantLink>(
        writeIni(QStringLiteral("host-") + QString::fromUtf8(id) + QStringLiteral(".ini"),
                 iniFor(broker, "laser_id = " + id + "\n" + login)),
        QStringLiteral("pc"), QStringLiteral("ttyUSB0"));
}

// The fleet window on its own link, and what one of its rows shows.
struct Fleet {
    plant::FleetLink link;
    fleet::FleetWindow window;
    explicit Fleet(const QString &ini) : link(ini, QStringLiteral("test")), window(&link) {}

    QString cell(const QString &id, int column) const {
        fleet::LaserTable *t = window.laserTable();
        const int row = t->rowOf(id);
        return row < 0 ? QString() : t->index(row, column).data().toString();
    }
    bool waitForCell(const QString &id, int column, const QString &start, int ms = 10000) {
        return fixture::waitUntil([&] { return cell(id, column).startsWith(start); }, ms);
    }
    QString line() const {
        return window.findChild<QLabel *>(QStringLiteral("brokerLine"))->text();
    }
};

protocol::DeviceState hostState() {
    protocol::DeviceState s;
    s.tempWaterIn = 24;
    s.tempWaterOut = 27;
    s.dewPointTemp = 12.5f;
    s.dcOn = true;
    s.productType = QStringLiteral("FL-SIM-1000");
    return s;
}

} // namespace

class FleetBrokerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WorkDir> work;

private slots:
    void initTestCase() {
        SKIP_WITHOUT_BROKER();
        work = WorkDir::chinese();
    }

    void aLaserOfThePlantLinkAppearsWithItsFieldsAndItsAlarmComesAndGoes() {
        Broker broker;
        QVERIFY(broker.start());
        auto bay3 = host(broker, "bay3");
        protocol::DeviceState state = hostState();
        bay3->updateStatus(state, {QStringLiteral("ttyUSB0"), true, 1796662420180});

        Fleet f(writeIni(QStringLiteral("fleet.ini"), iniFor(broker)));
        QVERIFY(f.waitForCell(QStringLiteral("bay3"), fleet::LaserTable::State,
                              QString::fromUtf8("在线")));
        QCOMPARE(f.line(), QString::fromUtf8("工厂链路: 已连接 127.0.0.1:%1").arg(broker.port));
        QCOMPARE(f.cell(QStringLiteral("bay3"), fleet::LaserTable::Port),
                 QStringLiteral("ttyUSB0"));
        QCOMPARE(f.cell(QStringLiteral("bay3"), fleet::LaserTable::WaterIn), QStringLiteral("24"));
        QCOMPARE(f.cell(QStringLiteral("bay3"), fleet::LaserTable::DewPoint),
                 QStringLiteral("12.5"));
        QCOMPARE(f.cell(QStringLiteral("bay3"), fleet::LaserTable::DcOn), QString::fromUtf8("开"));

        // The alarm waits for an acknowledgement at the laser; its host's summary names it.
        state.chillerFault = true;
        bay3->updateStatus(state, {QStringLiteral("ttyUSB0"), true, 1796662421180},
                           plant::noReadings(), {QStringLiteral("chillerFault")});
        plant::AlarmSummary summary;
        summary.periods[plant::LastWeek].alarms = {
            {QStringLiteral("chillerFault"), 4, 60000, 1, 2}};
        bay3->publishSummary(summary);
        QVERIFY(f.waitForCell(QStringLiteral("bay3"), fleet::LaserTable::Alarms,
                              QString::fromUtf8("水冷机警报, 主机上 1 未确认")));
        fleet::BadActorList *actors = f.window.badActorList();
        actors->setSpan(plant::LastWeek);
        QTRY_COMPARE(actors->rowCount(), 1);
        QCOMPARE(actors->index(0, fleet::BadActorList::Alarm).data().toString(),
                 QString::fromUtf8("水冷机警报"));
        QCOMPARE(actors->index(0, fleet::BadActorList::FirstOuts).data().toString(), "2");
        QCOMPARE(f.cell(QStringLiteral("bay3"), fleet::LaserTable::State),
                 QString::fromUtf8("报警"));
        fleet::AlarmList *list = f.window.alarmList();
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->index(0, fleet::AlarmList::LaserId).data().toString(),
                 QStringLiteral("bay3"));
        QCOMPARE(list->index(0, fleet::AlarmList::Alarm).data().toString(),
                 QString::fromUtf8("水冷机警报"));

        state.chillerFault = false;
        bay3->updateStatus(state, {QStringLiteral("ttyUSB0"), true, 1796662422180});
        QVERIFY(fixture::waitUntil(
            [&] {
                return list->index(0, fleet::AlarmList::Cleared)
                    .data()
                    .toString()
                    .startsWith(QString::fromUtf8("已清除"));
            },
            10000));
        QCOMPARE(f.cell(QStringLiteral("bay3"), fleet::LaserTable::State),
                 QString::fromUtf8("在线"));
        QCOMPARE(list->rowCount(), 1);
    }

    void aKilledHostGoesOfflineThroughItsLastWill() {
        Broker broker;
        QVERIFY(broker.start());
        Fleet f(writeIni(QStringLiteral("fleet.ini"), iniFor(broker)));
        QProcess helper;
        helper.start(QStringLiteral(PLANT_HELPER),
                     {writeIni(QStringLiteral("helper.ini"), iniFor(broker, "laser_id = bay7\n"))});
        QVERIFY(helper.waitForStarted());
        QVERIFY(f.waitForCell(QStringLiteral("bay7"), fleet::LaserTable::State,
                              QString::fromUtf8("在线")));
        helper.kill();
        QVERIFY(helper.waitForFinished());
        QVERIFY(f.waitForCell(QStringLiteral("bay7"), fleet::LaserTable::State,
                              QString::fromUtf8("离线 自 ")));
    }

    void badMessagesAreCountedAndIgnored() {
        Broker broker;
        QVERIFY(broker.start());
        Fleet f(writeIni(QStringLiteral("fleet.ini"), iniFor(broker)));
        QVERIFY(fixture::waitUntil([&] { return f.line().contains(QString::fromUtf8("已连接")); },
                                   10000));
        mqtt::async_client writer("tcp://127.0.0.1:" + std::to_string(broker.port), "bad-writer");
        writer.connect()->wait_for(std::chrono::seconds(5));
        const auto send = [&](const std::string &topic, const std::string &payload) {
            writer.publish(topic, payload.data(), payload.size(), 1, false)
                ->wait_for(std::chrono::seconds(5));
        };
        send("laser/x1/status", "{not json");
        // Over the 64 KiB the fleet reads, within the packet size it tells the broker it takes.
        send("laser/x2/status", std::string(64 * 1024 + 100, '{'));
        send("laser/x\xE2\x80\xAEy/online", "true"); // a direction override
        send("laser/x3/events", R"({"at":"soon","category":"alarm","name":"n","value":"on"})");
        send("laser/x4/online", "maybe");
        // Behind them, one good message: once it is in, the bad ones have been seen.
        send("laser/marker/online", "true");
        QVERIFY(f.waitForCell(QStringLiteral("marker"), fleet::LaserTable::State,
                              QString::fromUtf8("在线")));
        const fleet::Fleet &s = f.window.state();
        QCOMPARE(s.lasers().size(), size_t(1));
        QCOMPARE(s.rejectedTotal(), quint64(5));
        QCOMPARE(s.rejected()[size_t(plant::Rejection::TooLarge)], quint64(1));
        QCOMPARE(s.rejected()[size_t(plant::Rejection::OddLaserId)], quint64(1));
        QCOMPARE(s.rejected()[size_t(plant::Rejection::NotJson)], quint64(2));
        QCOMPARE(s.rejected()[size_t(plant::Rejection::WrongType)], quint64(1));
        QVERIFY(f.window.findChild<QLabel *>(QStringLiteral("keptLine"))
                    ->text()
                    .startsWith(QString::fromUtf8("已忽略 5 条消息")));
        writer.disconnect()->wait_for(std::chrono::seconds(2));
    }

    void aLaserWhoseRetainedTopicsAreDeletedLeavesTheTable() {
        Broker broker;
        QVERIFY(broker.start());
        Fleet f(writeIni(QStringLiteral("fleet.ini"), iniFor(broker)));
        QVERIFY(fixture::waitUntil([&] { return f.line().contains(QString::fromUtf8("已连接")); },
                                   10000));
        mqtt::async_client writer("tcp://127.0.0.1:" + std::to_string(broker.port), "cleaner");
        writer.connect()->wait_for(std::chrono::seconds(5));
        const auto send = [&](const std::string &topic, const QByteArray &payload) {
            writer.publish(topic, payload.constData(), size_t(payload.size()), 1, true)
                ->wait_for(std::chrono::seconds(5));
        };
        send("laser/junk/online", "true");
        // Its host's clock a minute behind: a live status is as old as its arrival, though the
        // broker passes its retain flag on (only the first of a topic may be its stored copy).
        for (int i = 0; i < 2; ++i)
            send("laser/junk/status",
                 plant::statusPayload(plant::statusObject(hostState(), {}), QStringLiteral("junk"),
                                      QDateTime::currentMSecsSinceEpoch() - 60000));
        QVERIFY(f.waitForCell(QStringLiteral("junk"), fleet::LaserTable::State,
                              QString::fromUtf8("在线")));
        // Empty and not retained: it deletes nothing on the broker, nor here; counted.
        writer.publish("laser/junk/status", "", 0, 1, false)->wait_for(std::chrono::seconds(5));
        QTRY_COMPARE(f.window.state().rejected()[size_t(plant::Rejection::EmptyPayload)], 1u);
        // How a retained message is deleted: an empty one in its place.
        send("laser/junk/status", QByteArray());
        send("laser/junk/online", QByteArray());
        QVERIFY(fixture::waitUntil(
            [&] { return f.window.laserTable()->rowOf(QStringLiteral("junk")) < 0; }, 10000));
        QCOMPARE(f.window.state().lasers().size(), size_t(0));
        QCOMPARE(f.window.state().rejectedTotal(), quint64(1));
        writer.disconnect()->wait_for(std::chrono::seconds(2));
    }

    // Two hosts under one id (a cloned PC), frames coming in on both: the row and each host's
    // line say it.
    void twoHostsUnderOneIdAreSaidInTheRowAndInEachHostsLine() {
        Broker broker;
        QVERIFY(broker.start());
        Fleet f(writeIni(QStringLiteral("fleet.ini"), iniFor(broker)));
        const auto first = host(broker, "bay5"), second = host(broker, "bay5");
        const QString other = QString::fromUtf8("另一台主机也在以此激光器 ID 发布");
        QVERIFY(fixture::waitUntil(
            [&] {
                for (const auto &h : {first.get(), second.get()})
                    h->updateStatus(hostState(), {{}, true, QDateTime::currentMSecsSinceEpoch()});
                return f.cell(QStringLiteral("bay5"), fleet::LaserTable::State)
                           .endsWith(QString::fromUtf8("（两台主机使用此 ID）")) &&
                       first->stateLine().contains(other) && second->stateLine().contains(other);
            },
            15000));
    }

    void underThePlantsAclTheFleetReadsEveryLaserAndAWrongPasswordIsSaid() {
        // The README's example: each host writes under its own id only, the fleet only reads.
        Broker broker({{QStringLiteral("bay3"), QStringLiteral("host-secret")},
                       {QStringLiteral("fleet"), QStringLiteral("fleet-secret")}},
                      "pattern readwrite laser/%u/#\nuser fleet\ntopic read laser/#\n");
        QVERIFY(broker.start());
        auto bay3 = host(broker, "bay3", "username = bay3\npassword = host-secret\n");
        bay3->updateStatus(hostState(), {QStringLiteral("ttyUSB0"), true, 1796662420180});
        // The host's name is no licence to write under another laser's id.
        auto impostor = host(broker, "bay9", "username = bay3\npassword = host-secret\n");
        impostor->updateStatus(hostState(), {});
        {
            Fleet wrong(writeIni(QStringLiteral("fleet.ini"),
                                 iniFor(broker, "username = fleet\npassword = wrong\n")));
            QVERIFY(fixture::waitUntil(
                [&] { return wrong.line().contains(QString::fromUtf8("拒绝登录")); }, 10000));
        }
        Fleet f(writeIni(QStringLiteral("fleet.ini"),
                         iniFor(broker, "username = fleet\npassword = fleet-secret\n")));
        QVERIFY(f.waitForCell(QStringLiteral("bay3"), fleet::LaserTable::Port,
                              QStringLiteral("ttyUSB0")));
        QCOMPARE(f.window.laserTable()->rowOf(QStringLiteral("bay9")), -1);
    }

    void theProgramEndsCleanlyOnAStopSignal_data() { addStopSignalRows(); }
    void theProgramEndsCleanlyOnAStopSignal() {
        QFETCH(int, signal);
        Broker broker;
        QVERIFY(broker.start());
        writeIni(QStringLiteral("plant.ini"), iniFor(broker));
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(LASER_FLEET_BIN), {});
        QVERIFY(program.waitForStarted());
        QByteArray log;
        QVERIFY(fixture::waitUntil(
            [&] {
                log += broker.log();
                return log.contains("laser-fleet-");
            },
            10000));
        ::kill(pid_t(program.processId()), signal);
        QVERIFY(program.waitForFinished(5000));
        // Ended by that signal after its clean end, as the shell expects (143, 130).
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QCOMPARE(program.exitCode(), signal);
        // It said goodbye rather than dropping the connection.
        QVERIFY(fixture::waitUntil(
            [&] {
                log += broker.log();
                return log.contains(" disconnected.");
            },
            5000));
        QFile::remove(QStringLiteral("config/plant.ini"));
    }
};

QTEST_MAIN(FleetBrokerTest)
#include "fleet_broker_test.moc"
