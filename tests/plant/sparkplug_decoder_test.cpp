// The laser's Sparkplug messages as the Sparkplug project's own decoder reads them: a decoder
// we did not write, run under node (tests/plant/sparkplug_decoder/).
#include "plant/sparkplug_metrics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>

#include <cmath>

using namespace plant::sparkplug;

namespace {

// "name:type=value" for each metric, named by the DBIRTH's aliases where it has no name of its
// own; numbers to six digits (a Float's decimal form), then the unit, and "late" if historical.
QStringList described(const QJsonObject &payload, const QHash<int, QString> &names = {}) {
    QStringList out;
    for (const QJsonValue v : payload[QLatin1String("metrics")].toArray()) {
        const QJsonObject m = v.toObject();
        const QJsonValue value = m[QLatin1String("value")];
        const QString unit =
            m[QLatin1String("properties")][QLatin1String("engUnit")][QLatin1String("value")]
                .toString();
        out << names.value(m[QLatin1String("alias")].toInt(), m[QLatin1String("name")].toString()) +
                   ':' + m[QLatin1String("type")].toString() + '=' +
                   (value.isDouble()   ? QString::number(value.toDouble(), 'g', 6)
                    : value.isString() ? '"' + value.toString() + '"'
                    : value.isBool()   ? QLatin1String(value.toBool() ? "true" : "false")
                                       : QLatin1String("null")) +
                   (unit.isEmpty() ? QString() : ' ' + unit) +
                   (m[QLatin1String("isHistorical")].toBool() ? QStringLiteral(" late")
                                                              : QString());
    }
    return out;
}

} // namespace

class SparkplugDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void theProjectsOwnDecoderReadsEveryMessage() {
        const QString modules = QStringLiteral(SPARKPLUG_DECODER "/node_modules");
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        if (node.isEmpty() || !QFile::exists(modules + QStringLiteral("/sparkplug-payload"))) {
            const char *why =
                "the Sparkplug decoder is not installed: npm ci --prefix " SPARKPLUG_DECODER
                " with tests/plant/sparkplug_decoder/package*.json there "
                "(tools/test-all.sh does it)";
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(why);
            QSKIP(why);
        }

        protocol::DeviceState s;
        s.productType = QStringLiteral("FL-SIM-1000");
        s.serialNumber = QStringLiteral("SIM00000042");
        s.driverBoardVersion[0][0] = QStringLiteral("D2.3.1");
        s.chillerFault = s.dcOn = s.moduleStatus[1].qbhFault = true;
        s.driverChannel[2][7].overTemp4 = true;
        s.pwmDuty = 50;
        s.pwmFreq = 16000;
        s.analogIn1 = 325;
        plant::LinkInfo link{QStringLiteral("ttyUSB0"), true, 1796662420180};
        events::Sample readings{0, 24.37, std::nan(""), 12.3};
        const qint64 at = 1796662420295;

        NodeSettings settings;
        settings.groupId = QStringLiteral("hall2");
        settings.edgeNodeId = QStringLiteral("cutter-7");
        EdgeNode edge(settings, laserMetrics(), 7);
        std::vector<Outgoing> sent{edge.will(at)};
        edge.refresh(laserDevice(s, link, readings), at);
        for (const Outgoing &o : edge.connected(at).publish)
            sent.push_back(o);
        s.chillerFault = false;
        readings.waterOut = 27.05;
        sent.push_back(edge.refresh(laserDevice(s, link, readings), at + 200).publish.at(0));
        sent.push_back(edge.late(QStringLiteral("Alarms/doorInterlock"), true, at - 60000, at + 300)
                           .publish.at(0));
        link.open = false;
        sent.push_back(edge.refresh(laserDevice(s, link, readings), at + 400).publish.at(0));

        QProcess decoder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("NODE_PATH"), modules);
        decoder.setProcessEnvironment(env);
        decoder.start(
            node, {QStringLiteral(LASER_SOURCE_DIR "/tests/plant/sparkplug_decoder/decode.js")});
        for (const Outgoing &o : sent)
            decoder.write(o.payload.toHex() + '\n');
        decoder.closeWriteChannel();
        QVERIFY(decoder.waitForFinished(30000));
        QVERIFY2(decoder.exitCode() == 0, decoder.readAllStandardError().constData());
        QList<QJsonObject> p;
        for (const QByteArray &line : decoder.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                p << QJsonDocument::fromJson(line).object();
        QCOMPARE(p.size(), 6);
        const char *const kinds[] = {"NDEATH", "NBIRTH", "DBIRTH", "DDATA", "DDATA", "DDEATH"};
        const qint64 times[] = {at, at, at, at + 200, at + 300, at + 400};
        for (int i = 0; i < 6; ++i) {
            QVERIFY(sent[size_t(i)].topic.startsWith("spBv1.0/hall2/" + QByteArray(kinds[i]) +
                                                     "/cutter-7"));
            QCOMPARE(qint64(p[i][QLatin1String("timestamp")].toDouble()), times[i]);
            QCOMPARE(p[i][QLatin1String("seq")].toInt(-1), i - 1); // none on the NDEATH
        }

        // The will's bdSeq is the NBIRTH's.
        QCOMPARE(described(p[0]), QStringList{QStringLiteral("bdSeq:Int64=7")});
        QCOMPARE(described(p[1]),
                 (QStringList{QStringLiteral("bdSeq:Int64=7"),
                              QStringLiteral("Node Control/Rebirth:Boolean=false")}));

        // DBIRTH: every metric by name and alias, typed, with its value and unit.
        const QJsonArray born = p[2][QLatin1String("metrics")].toArray();
        QCOMPARE(size_t(born.size()), laserMetrics().size());
        QHash<int, QString> names;
        for (int i = 0; i < born.size(); ++i) {
            names.insert(born[i][QLatin1String("alias")].toInt(), laserMetrics()[size_t(i)].name);
            QCOMPARE(born[i][QLatin1String("name")].toString(), laserMetrics()[size_t(i)].name);
        }
        QCOMPARE(names.size(), born.size());
        const QStringList birth = described(p[2]);
        for (const char *m : {"Alarms/chillerFault:Boolean=true",
                              "Alarms/doorInterlock:Boolean=false",
                              "Alarms/module1.qbhFault:Boolean=true",
                              "Alarms/module0.qbhFault:Boolean=false",
                              "Alarms/board2.channel7.overTemp4:Boolean=true",
                              "States/dcOn:Boolean=true",
                              "States/laserReady:Boolean=false",
                              "Lamps/chiller_fault:Boolean=true",
                              "Lamps/water_temperature:Boolean=false",
                              "Lamps/driver_over_temperature:Boolean=true",
                              "Temperatures/water_in:Float=24.37 °C",
                              "Temperatures/water_out:Float=null °C",
                              "Temperatures/dew_point:Float=12.3 °C",
                              "Inputs/analog_in_1:Float=3.25",
                              "Inputs/pwm_duty:UInt8=50",
                              "Inputs/pwm_frequency:UInt32=16000",
                              "Product/type:String=\"FL-SIM-1000\"",
                              "Product/serial_number:String=\"SIM00000042\"",
                              "Versions/ccb:String=\"\"",
                              "Versions/driver_board:String=\"D2.3.1\"",
                              "Link/port:String=\"ttyUSB0\"",
                              "Link/open:Boolean=true"})
            QVERIFY2(birth.contains(QString::fromUtf8(m)), m);

        // DDATA: only what changed, by alias alone; a late one marked so, at its own time.
        QCOMPARE(described(p[3], names),
                 (QStringList{QStringLiteral("Alarms/chillerFault:Boolean=false"),
                              QStringLiteral("Lamps/chiller_fault:Boolean=false"),
                              QStringLiteral("Temperatures/water_out:Float=27.05")}));
        QVERIFY(!p.at(3)[QLatin1String("metrics")][0].toObject().contains(QLatin1String("name")));
        QCOMPARE(described(p[4], names),
                 QStringList{QStringLiteral("Alarms/doorInterlock:Boolean=true late")});
        QCOMPARE(qint64(p.at(4)[QLatin1String("metrics")][0][QLatin1String("timestamp")].toDouble()),
                 at - 60000);
        QVERIFY(described(p[5]).isEmpty());
    }
};

QTEST_GUILESS_MAIN(SparkplugDecoderTest)
#include "sparkplug_decoder_test.moc"
