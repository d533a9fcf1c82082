// The laser's Sparkplug messages as the Sparkplug project's own decoder reads them: a decoder we
// did not write, run under node (tests/plant/sparkplug_decoder/decode.js says how it prints).
#include "plant/plant_link.h"
#include "plant/sparkplug_metrics.h"
#include "support/broker.h"
#include "support/english.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cmath>

using namespace plant::sparkplug;

namespace {

// Each message's payload as decode.js prints it; empty when the decoder failed.
template <typename Message> QStringList decoded(const std::vector<Message> &messages) {
    qputenv("NODE_PATH", SPARKPLUG_DECODER "/node_modules");
    QProcess decoder;
    decoder.start(QStandardPaths::findExecutable("node"),
                  {LASER_SOURCE_DIR "/tests/plant/sparkplug_decoder/decode.js"});
    for (const Message &m : messages)
        decoder.write(m.payload.toHex() + '\n');
    decoder.closeWriteChannel();
    if (!decoder.waitForFinished(30000) || decoder.exitCode() != 0)
        return {};
    return QString(decoder.readAllStandardOutput()).split('\n');
}

// What arrived from the node, as "NBIRTH 0: bdSeq:Int64=3, ..." (a DBIRTH's metrics left out),
// the commands the test sent itself left out.
QStringList arrived(std::vector<Subscriber::Received> all) {
    const auto command = [](const auto &m) { return m.topic.contains("CMD/"); };
    all.erase(std::remove_if(all.begin(), all.end(), command), all.end());
    QStringList lines = decoded(all).mid(0, int(all.size()));
    for (int i = 0; i < lines.size(); ++i)
        lines[i] = all[size_t(i)].topic.section('/', 2, 2) + ' ' + lines[i].section(' ', 1, 1) +
                   (all[size_t(i)].topic.contains("DBIRTH") ? "" : ':' + lines[i].section(':', 1));
    return lines;
}

} // namespace

class SparkplugDecoderTest : public QObject {
    Q_OBJECT

    EnglishCatalogue english;

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("node").isEmpty() ||
            !QFile::exists(SPARKPLUG_DECODER "/node_modules/sparkplug-payload")) {
            const char *why = "no node, or no Sparkplug decoder in " SPARKPLUG_DECODER
                              " (tools/test-all.sh installs it there)";
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(why);
            QSKIP(why);
        }
    }
    void theProjectsOwnDecoderReadsEveryMessage() {
        protocol::DeviceState s;
        s.productType = "FL-SIM-1000";
        s.chillerFault = s.moduleStatus[1].qbhFault = s.driverChannel[2][7].overTemp4 = true;
        s.pwmDuty = 50;
        s.pwmFreq = 16000;
        plant::LinkInfo link{"ttyUSB0", true, 1796662420180};
        events::Sample readings{0, 24.37, std::nan(""), 12.3};
        const qint64 at = 1796662420295;
        EdgeNode edge({"hall2", "cutter-7", "laser", ""}, laserMetrics(), 7);
        std::vector<Outgoing> sent{edge.will(at)};
        edge.refresh(laserDevice(s, link, readings), at);
        for (const Outgoing &o : edge.connected(at).publish)
            sent.push_back(o);
        s.chillerFault = false;
        readings.waterOut = 27.05;
        sent.push_back(edge.refresh(laserDevice(s, link, readings), at + 200).publish.at(0));
        sent.push_back(edge.late("Alarms/doorInterlock", true, at - 60000, at + 300).publish.at(0));
        link.open = false;
        sent.push_back(edge.refresh(laserDevice(s, link, readings), at + 400).publish.at(0));

        const QStringList lines = decoded(sent);
        const QString t = QString::number(at) + ": ";
        QCOMPARE(
            lines.mid(0, 2),
            (QStringList{"seq - at " + t + "bdSeq:Int64=7",
                         "seq 0 at " + t + "bdSeq:Int64=7, Node Control/Rebirth:Boolean=false"}));
        // DBIRTH: every metric by name, typed, with its value and unit.
        const QStringList born = lines.value(2).section(": ", 1).split(", ");
        QVERIFY(lines[2].startsWith("seq 1 at " + t) && born.size() == int(laserMetrics().size()));
        for (const char *m :
             {"Alarms/chillerFault:Boolean=true", "Alarms/module1.qbhFault:Boolean=true",
              "Alarms/board2.channel7.overTemp4:Boolean=true", "States/dcOn:Boolean=false",
              "Lamps/driver_over_temperature:Boolean=true", "Temperatures/water_in:Float=24.37 °C",
              "Temperatures/water_out:Float=null °C", "Inputs/pwm_duty:UInt8=50",
              "Inputs/pwm_frequency:UInt32=16000", R"(Product/type:String="FL-SIM-1000")"})
            QVERIFY2(born.contains(m), m);
        // DDATA: only what changed, by alias alone; a late edge at its own time.
        QCOMPARE(
            lines.mid(3),
            (QStringList{QStringLiteral("seq 2 at %1: #Alarms/chillerFault:Boolean=false, "
                                        "#Lamps/chiller_fault:Boolean=false, "
                                        "#Temperatures/water_out:Float=27.05")
                             .arg(at + 200),
                         QStringLiteral("seq 3 at %1: #Alarms/doorInterlock:Boolean=true @%2 late")
                             .arg(at + 300)
                             .arg(at - 60000),
                         QStringLiteral("seq 4 at %1: ").arg(at + 400), ""}));
    }

    // Through the plant link and a real mosquitto: the node "laser" (host "laser", no port), so
    // that its node and device topics all end in "/laser"; the killed helper is "helper-tty".
    void aRealBrokerCarriesTheNodesLifeAsTheDecoderReadsIt() {
        Broker broker;
        QVERIFY(broker.start());
        QTemporaryDir dir;
        const QString ini = dir.filePath("plant.ini");
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.write("[mqtt]\nurl = " + broker.url().toUtf8() +
                           "\nformat = sparkplug\ngroup_id = g\n") > 0);
        file.close();

        // Killed, the helper's will is its NDEATH, of its NBIRTH's bdSeq; the next start counts on.
        Subscriber helperSub(broker.port, "spBv1.0/g/+/helper-tty");
        for (int run = 0; run < 2; ++run) {
            QProcess helper;
            helper.start(PLANT_HELPER, {ini});
            QCOMPARE(helperSub.collect("helper-tty", 2 * run + 1, 15000).size(),
                     size_t(2 * run + 1));
            helper.kill();
            QVERIFY(helper.waitForFinished());
        }
        QCOMPARE(arrived(helperSub.collect("helper-tty", 4, 15000)),
                 (QStringList{"NBIRTH 0: bdSeq:Int64=0, Node Control/Rebirth:Boolean=false",
                              "NDEATH -: bdSeq:Int64=0",
                              "NBIRTH 0: bdSeq:Int64=1, Node Control/Rebirth:Boolean=false",
                              "NDEATH -: bdSeq:Int64=1"}));

        Subscriber sub(broker.port, "spBv1.0/g/+/laser/#");
        plant::PlantLink link(ini, "laser", QString());
        QTRY_COMPARE_WITH_TIMEOUT(link.report().sparkplug.births, quint64(1), 15000);
        protocol::DeviceState s;
        s.productType = "FL-SIM-1000";
        const auto pass = [&](bool open) { link.updateStatus(s, {"ttyUSB0", open, 1}); };
        pass(true);
        QTest::qWait(300);
        s.chillerFault = true;
        pass(true);
        QTest::qWait(1100); // births at most once a second
        mqtt::async_client host(("tcp://127.0.0.1:" + QString::number(broker.port)).toStdString(),
                                "host");
        host.connect()->wait();
        // By alias: 1 is the rebirth, 99 none of the node's.
        const QByteArray rebirth("\x12\x04\x10\x01\x70\x01", 6),
            write("\x12\x04\x10\x63\x70\x01", 6);
        for (const auto &[topic, payload] :
             {std::pair("NCMD/laser", rebirth), std::pair("NCMD/laser", write),
              std::pair("DCMD/laser/laser", write)})
            host.publish("spBv1.0/g/" + std::string(topic), payload.constData(),
                         size_t(payload.size()), 1, false)
                ->wait();
        QTRY_COMPARE(link.report().sparkplug.refused, quint64(2));
        pass(false); // the port closed
        QTest::qWait(300);
        link.stop();
        QCOMPARE(
            arrived(sub.collect("laser", 10, 15000)),
            (QStringList{
                "NBIRTH 0: bdSeq:Int64=0, Node Control/Rebirth:Boolean=false", "DBIRTH 1",
                "DDATA 2: #Alarms/chillerFault:Boolean=true, #Lamps/chiller_fault:Boolean=true",
                "NBIRTH 0: bdSeq:Int64=0, Node Control/Rebirth:Boolean=false", "DBIRTH 1",
                "DDEATH 2: ", "NDEATH -: bdSeq:Int64=0"}));
        QVERIFY(link.stateLine().contains("births 2, refused commands 2"));
    }
};

QTEST_GUILESS_MAIN(SparkplugDecoderTest)
#include "sparkplug_decoder_test.moc"
