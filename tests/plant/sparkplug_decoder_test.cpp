// The laser's Sparkplug messages as the Sparkplug project's own decoder reads them: a decoder we
// did not write, run under node (tests/plant/sparkplug_decoder/decode.js says how it prints).
#include "plant/sparkplug_metrics.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cmath>

using namespace plant::sparkplug;

class SparkplugDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void theProjectsOwnDecoderReadsEveryMessage() {
        const QString node = QStandardPaths::findExecutable("node");
        if (node.isEmpty() || !QFile::exists(SPARKPLUG_DECODER "/node_modules/sparkplug-payload")) {
            const char *why = "no node, or no Sparkplug decoder in " SPARKPLUG_DECODER
                              " (tools/test-all.sh installs it there)";
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(why);
            QSKIP(why);
        }
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

        qputenv("NODE_PATH", SPARKPLUG_DECODER "/node_modules");
        QProcess decoder;
        decoder.start(node, {LASER_SOURCE_DIR "/tests/plant/sparkplug_decoder/decode.js"});
        for (const Outgoing &o : sent)
            decoder.write(o.payload.toHex() + '\n');
        decoder.closeWriteChannel();
        QVERIFY(decoder.waitForFinished(30000) && decoder.exitCode() == 0);
        const QStringList lines = QString(decoder.readAllStandardOutput()).split('\n');
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
};

QTEST_GUILESS_MAIN(SparkplugDecoderTest)
#include "sparkplug_decoder_test.moc"
