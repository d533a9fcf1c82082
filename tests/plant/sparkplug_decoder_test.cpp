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

QJsonObject metric(const QJsonObject &payload, const QString &name) {
    for (const QJsonValue m : payload.value(QLatin1String("metrics")).toArray())
        if (m.toObject().value(QLatin1String("name")).toString() == name)
            return m.toObject();
    return {};
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
                " in tests/plant/sparkplug_decoder "
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
        QCOMPARE(p.size(), 5);
        const QStringList types{QStringLiteral("NDEATH"), QStringLiteral("NBIRTH"),
                                QStringLiteral("DBIRTH"), QStringLiteral("DDATA"),
                                QStringLiteral("DDEATH")};
        for (int i = 0; i < 5; ++i) {
            QVERIFY(sent[size_t(i)].topic.contains('/' + types[i].toUtf8() + "/cutter-7"));
            QCOMPARE(p[i].value(QLatin1String("timestamp")).toDouble(),
                     double(at + (i > 2 ? (i - 2) * 200 : 0)));
            // NDEATH has no seq; then 0, 1, 2, 3.
            QCOMPARE(p[i].value(QLatin1String("seq")).toInt(-1), i - 1);
        }

        // The will's bdSeq is the NBIRTH's, beside the rebirth control.
        const QJsonObject bdSeq = metric(p[0], QStringLiteral("bdSeq"));
        QCOMPARE(bdSeq.value(QLatin1String("type")).toString(), QStringLiteral("Int64"));
        QCOMPARE(bdSeq.value(QLatin1String("value")).toInt(), 7);
        QCOMPARE(metric(p[1], QStringLiteral("bdSeq")).value(QLatin1String("value")).toInt(), 7);
        QCOMPARE(metric(p[1], QLatin1String(rebirthMetric)).value(QLatin1String("value")),
                 QJsonValue(false));

        // DBIRTH: every metric, by name and alias, of its type, with its value and unit.
        const QJsonArray born = p[2].value(QLatin1String("metrics")).toArray();
        QCOMPARE(size_t(born.size()), laserMetrics().size());
        for (int i = 0; i < born.size(); ++i) {
            const QJsonObject m = born[i].toObject();
            const MetricDefinition &d = laserMetrics()[size_t(i)];
            QCOMPARE(m.value(QLatin1String("name")).toString(), d.name);
            QCOMPARE(m.value(QLatin1String("alias")).toInt(), int(EdgeNode::firstDeviceAlias) + i);
            QCOMPARE(m.value(QLatin1String("properties"))
                         .toObject()
                         .value(QLatin1String("engUnit"))
                         .toObject()
                         .value(QLatin1String("value"))
                         .toString(),
                     d.unit);
        }
        const std::pair<const char *, QJsonValue> values[] = {
            {"Alarms/chiller_fault", true},
            {"Alarms/water_temperature", false},
            {"Alarms/module1.qbh_fault", true},
            {"Alarms/module0.qbh_fault", false},
            {"States/dcOn", true},
            {"States/laserReady", false},
            {"Temperatures/water_in", 24.37},
            {"Temperatures/water_out", QJsonValue::Null},
            {"Temperatures/dew_point", 12.3},
            {"Inputs/analog_in_1", 3.25},
            {"Inputs/pwm_duty", 50},
            {"Inputs/pwm_frequency", 16000},
            {"Product/type", "FL-SIM-1000"},
            {"Product/serial_number", "SIM00000042"},
            {"Versions/driver_board", "D2.3.1"},
            {"Versions/ccb", ""},
            {"Link/port", "ttyUSB0"},
            {"Link/open", true}};
        for (const auto &[name, value] : values) {
            const QJsonValue got = metric(p[2], QLatin1String(name)).value(QLatin1String("value"));
            QVERIFY2(value.isDouble() ? std::abs(got.toDouble() - value.toDouble()) < 1e-5
                                      : got == value,
                     name);
        }
        QCOMPARE(
            metric(p[2], QStringLiteral("Inputs/pwm_duty")).value(QLatin1String("type")).toString(),
            QStringLiteral("UInt8"));

        // DDATA: only what changed, by alias.
        const QJsonArray data = p[3].value(QLatin1String("metrics")).toArray();
        QCOMPARE(data.size(), 2);
        QCOMPARE(
            data[0].toObject().value(QLatin1String("alias")),
            metric(p[2], QStringLiteral("Alarms/chiller_fault")).value(QLatin1String("alias")));
        QCOMPARE(data[0].toObject().value(QLatin1String("value")), QJsonValue(false));
        QVERIFY(!data[1].toObject().contains(QLatin1String("name")));
        QCOMPARE(
            data[1].toObject().value(QLatin1String("alias")),
            metric(p[2], QStringLiteral("Temperatures/water_out")).value(QLatin1String("alias")));
        QVERIFY(std::abs(data[1].toObject().value(QLatin1String("value")).toDouble() - 27.05) <
                1e-5);
        QVERIFY(p[4].value(QLatin1String("metrics")).toArray().isEmpty());
    }
};

QTEST_GUILESS_MAIN(SparkplugDecoderTest)
#include "sparkplug_decoder_test.moc"
