// The messages' JSON and the bounded buffer that holds them while the broker is away.
#include "events/flag_watch.h"
#include "plant/out_buffer.h"
#include "plant/payloads.h"
#include "plant/publisher.h"
#include "plant/sparkplug_metrics.h"
#include "protocol/describe.h"
#include "support/english.h"
#include "support/table.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <cmath>

namespace {
QJsonObject sub(const QJsonObject &o, const char *key) {
    return o.value(QLatin1String(key)).toObject();
}
plant::Message message(int n) {
    return plant::Message{"t", QByteArray::number(n), 1, false};
}

// The JSON block of the plant link's page that follows the line starting with `title`.
QJsonObject documentedExample(const QByteArray &title) {
    QFile file(QStringLiteral(LASER_SOURCE_DIR "/docs/plant-link.md"));
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    const QByteArray text = file.readAll();
    const int at = text.indexOf("\n" + title);
    const int open = text.indexOf("```json\n", at);
    const int close = text.indexOf("\n```", open + 8);
    if (at < 0 || open < 0 || close < 0)
        return QJsonObject();
    return QJsonDocument::fromJson(text.mid(open + 8, close - open - 8)).object();
}

QByteArray sorted(const QJsonObject &o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
} // namespace

class PlantPayloadTest : public QObject {
    Q_OBJECT

    EnglishCatalogue english;

private slots:
    void initTestCase() { QVERIFY(english.isLoaded()); }

    void statusCarriesWhatTheStatusPageShows() {
        protocol::DeviceState s;
        s.extEStop = true;
        s.dcOn = true;
        s.tempWaterIn = -3;
        s.tempWaterOut = 31;
        s.dewPointTemp = 12.3f;
        s.analogIn1 = 1234;
        s.pwmDuty = 200;
        s.pwmFreq = -1; // shown as an unsigned number
        s.ccbVersion = QStringLiteral("V2.1");
        s.driverBoardVersion[0][0] = QStringLiteral("D1.0");
        s.productType = QStringLiteral("FL-3000");
        s.displayModule = 1;
        s.moduleStatus[1].waterInHiFault = true;
        s.moduleStatus[1].waterOutHiFault = true;
        s.moduleStatus[2].beamOn = true;
        s.driverChannel[2][7].overTemp4 = true;

        const QJsonObject o =
            plant::statusObject(s, {QStringLiteral("ttyUSB0"), true, 1700000000000});
        QCOMPARE(sub(o, "alarms").value(QStringLiteral("external_estop")), QJsonValue(true));
        QCOMPARE(sub(o, "alarms").value(QStringLiteral("door_interlock")), QJsonValue(false));
        QCOMPARE(sub(o, "alarms").value(QStringLiteral("water_temperature")), QJsonValue(true));
        QCOMPARE(sub(o, "alarms").value(QStringLiteral("driver_over_temperature")),
                 QJsonValue(true));
        QCOMPARE(sub(o, "alarms").value(QStringLiteral("driver_over_current")), QJsonValue(false));
        QCOMPARE(sub(o, "states").value(QStringLiteral("dc_on")), QJsonValue(true));
        QCOMPARE(o.value(QStringLiteral("shown_module")).toInt(), 1);
        QCOMPARE(o.value(QStringLiteral("modules"))
                     .toArray()
                     .at(2)
                     .toObject()
                     .value(QStringLiteral("beam_on")),
                 QJsonValue(true));
        QCOMPARE(sub(o, "temperatures").value(QStringLiteral("water_in")).toInt(), -3);
        QCOMPARE(sub(o, "temperatures").value(QStringLiteral("water_out")).toInt(), 31);
        // Not the six digits of the label, nor the float widened: the shortest decimal.
        QCOMPARE(sub(o, "temperatures").value(QStringLiteral("dew_point")).toDouble(), 12.3);
        QCOMPARE(sub(o, "inputs").value(QStringLiteral("analog_in_1")).toDouble(), 12.34);
        QCOMPARE(sub(o, "inputs").value(QStringLiteral("pwm_duty")).toInt(), 200);
        QCOMPARE(sub(o, "inputs").value(QStringLiteral("pwm_frequency")).toDouble(), 4294967295.0);
        QCOMPARE(sub(o, "versions").value(QStringLiteral("ccb")).toString(),
                 QStringLiteral("V2.1"));
        QCOMPARE(sub(o, "versions").value(QStringLiteral("driver_board")).toString(),
                 QStringLiteral("D1.0"));
        QCOMPARE(sub(o, "product").value(QStringLiteral("type")).toString(),
                 QStringLiteral("FL-3000"));
        QCOMPARE(sub(o, "link").value(QStringLiteral("open")), QJsonValue(true));
        QCOMPARE(sub(o, "link").value(QStringLiteral("last_frame_at")).toDouble(), 1700000000000.0);

        // The payload adds the id and time and survives a round trip.
        const QJsonObject p =
            QJsonDocument::fromJson(plant::statusPayload(o, QStringLiteral("bay3"), 42)).object();
        QCOMPARE(p.value(QStringLiteral("laser_id")).toString(), QStringLiteral("bay3"));
        QCOMPARE(p.value(QStringLiteral("at")).toInt(), 42);
        QCOMPARE(sub(p, "temperatures"), sub(o, "temperatures"));
    }

    void statusWithoutFramesOrWithAnOddModuleIndex() {
        protocol::DeviceState s;
        s.displayModule = 7;
        s.dewPointTemp = std::nanf("");
        const QJsonObject o = plant::statusObject(s, {});
        QCOMPARE(sub(o, "link").value(QStringLiteral("last_frame_at")), QJsonValue());
        QCOMPARE(sub(o, "temperatures").value(QStringLiteral("dew_point")), QJsonValue());
        QCOMPARE(sub(o, "alarms").value(QStringLiteral("water_temperature")), QJsonValue(false));
        // Equal states compare equal, so an unchanged page publishes nothing.
        QCOMPARE(plant::statusObject(s, {}), o);
        s.doorInterlock = true;
        QVERIFY(plant::statusObject(s, {}) != o);
    }

    // A Sparkplug device while its port is open, its product known and its link not lost (the
    // link-lost box open, the port not closed yet): otherwise its DDEATH goes.
    void theLaserIsADeviceOnlyWhileItsLinkIsLive() {
        protocol::DeviceState s;
        s.productType = "FL-SIM-1000";
        const auto present = [&s](const plant::LinkInfo &link) {
            return plant::sparkplug::laserDevice(s, link, plant::noReadings()).present;
        };
        QVERIFY(present({"ttyUSB0", true, 1}));
        QVERIFY(!present({"ttyUSB0", true, 1, true}) && !present({"ttyUSB0", false, 1}));
    }

    void eventsAndSamplesAreCompactJson() {
        const events::Event e{1700000000123, QStringLiteral("alarm"), QStringLiteral("门禁"),
                              QStringLiteral("raised"), QStringLiteral("a \"quoted\" detail")};
        QCOMPARE(plant::eventPayload(e),
                 QByteArray("{\"at\":1700000000123,\"category\":\"alarm\",\"detail\":\"a "
                            "\\\"quoted\\\" detail\",\"name\":\"") +
                     QStringLiteral("门禁").toUtf8() + QByteArray("\",\"value\":\"raised\"}"));
        const events::Sample s{5, std::nan(""), -1.25, 9.5};
        QCOMPARE(plant::samplePayload(s),
                 QByteArray("{\"at\":5,\"dew_point\":9.5,\"water_in\":null,\"water_out\":-1.25}"));
    }

    void theBufferDropsTheOldestAtItsBoundAndCountsThem() {
        plant::OutBuffer buffer(3);
        for (int i = 1; i <= 5; ++i)
            buffer.push(message(i));
        QCOMPARE(buffer.size(), 3);
        QCOMPARE(buffer.dropped(), quint64(2));
        QCOMPARE(buffer.takeNext().second.payload, QByteArray("3"));
        QCOMPARE(buffer.takeNext().second.payload, QByteArray("4"));
        // Full again with two in flight: the oldest in flight goes first.
        buffer.push(message(6));
        QCOMPARE(buffer.dropped(), quint64(3));
        buffer.requeueInFlight();
        QStringList order;
        while (buffer.hasWaiting())
            order << QString::fromLatin1(buffer.takeNext().second.payload);
        QCOMPARE(order, (QStringList{"4", "5", "6"}));
    }

    void messagesInFlightGoBackAheadInOrderWhenTheConnectionDrops() {
        plant::OutBuffer buffer(10);
        for (int i = 1; i <= 4; ++i)
            buffer.push(message(i));
        const quint64 first = buffer.takeNext().first;
        const quint64 second = buffer.takeNext().first;
        buffer.takeNext();
        buffer.confirm(second); // acknowledged out of order: only that one leaves
        QCOMPARE(buffer.size(), 3);
        QCOMPARE(buffer.inFlightCount(), 2);
        buffer.requeueInFlight();
        buffer.confirm(first); // a late answer for a message sent again later is ignored
        QCOMPARE(buffer.size(), 3);
        QStringList order;
        while (buffer.hasWaiting())
            order << QString::fromLatin1(buffer.takeNext().second.payload);
        QCOMPARE(order, (QStringList{"1", "3", "4"}));
        QCOMPARE(buffer.dropped(), quint64(0));
    }

    void samplesPastTheirExpiryLeaveTheBufferCountedAndTheRestKeepTheirOrder() {
        plant::OutBuffer buffer(10);
        plant::Message sample = message(2);
        sample.expiresAt = 5000;
        buffer.push(message(1));
        buffer.push(sample);
        buffer.push(message(3));
        buffer.dropExpired(4999);
        QCOMPARE(buffer.size(), 3);
        buffer.dropExpired(5000);
        QCOMPARE(buffer.expired(), quint64(1));
        QCOMPARE(buffer.takeNext().second.payload, QByteArray("1"));
        QCOMPARE(buffer.takeNext().second.payload, QByteArray("3"));
    }

    void samplesThatExpiredWhileTheBrokerWasAwayMakeRoomBeforeAnEventIsDropped() {
        plant::OutBuffer buffer(2);
        plant::Message sample = message(1);
        sample.expiresAt = 5000;
        buffer.push(sample, 1000);
        buffer.push(message(2), 2000);
        buffer.push(message(3), 5000);
        QCOMPARE(buffer.dropped(), quint64(0));
        QCOMPARE(buffer.expired(), quint64(1));
        QCOMPARE(buffer.takeNext().second.payload, QByteArray("2"));
        QCOMPARE(buffer.takeNext().second.payload, QByteArray("3"));
    }

    void theRetryPausesStartAfreshOnlyAfterAConnectionThatStood() {
        plant::RetryPause pause;
        QCOMPARE(pause.next(0), 500);
        pause.connected(1000); // dropped at once: the pauses go on growing
        QCOMPARE(pause.next(1100), 1000);
        pause.connected(2000); // stood 30 s: afresh
        QCOMPARE(pause.next(32000), 500);
    }

    void theCertificatesEndIsSaidFromThirtyDaysBefore_data() {
        fixture::columns<int, int, QString>("fromDays", "toDays", "said");
        QTest::newRow("31 days left") << -1 << 31 << QString();
        QTest::newRow("30 days left")
            << -1 << 30 << "the client certificate expires on %2 (days left: 30)";
        QTest::newRow("hours left")
            << -1 << 0 << "the client certificate expires on %2 (days left: 1)";
        QTest::newRow("expired") << -9 << -1 << "the client certificate expired on %2";
        QTest::newRow("not yet valid")
            << 1 << 9 << "the client certificate is valid only from %1 (by this PC's clock)";
    }
    void theCertificatesEndIsSaidFromThirtyDaysBefore() {
        QFETCH(int, fromDays);
        QFETCH(int, toDays);
        QFETCH(QString, said);
        const QDateTime now(QDate(2031, 3, 1), QTime(12, 0), Qt::UTC);
        plant::ClientCertificate c{QStringLiteral("bay3"), now.addDays(fromDays),
                                   toDays ? now.addDays(toDays) : now.addSecs(3600)};
        const auto local = [](const QDateTime &t) {
            return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        };
        QCOMPARE(plant::certificateNotice(c, now),
                 said.replace(QStringLiteral("%1"), local(c.notBefore))
                     .replace(QStringLiteral("%2"), local(c.notAfter)));
        // The Link tab names it and its dates below the state line, always.
        plant::Report r;
        r.server = QStringLiteral("b:8883");
        r.certificate = c;
        QCOMPARE(plant::linkTabText(r),
                 QStringLiteral("Plant link off: \nClient certificate bay3: valid from %1 to %2")
                     .arg(local(c.notBefore), local(c.notAfter)));
    }

    void theStateLineSaysStateErrorAndCounts() {
        plant::Report r;
        r.server = QStringLiteral("b:1883");
        r.state = plant::LinkState::Connected;
        QCOMPARE(plant::stateLine(r), QStringLiteral("Plant link: connected to b:1883"));
        r.state = plant::LinkState::Reconnecting;
        r.lastError = QStringLiteral("connection lost");
        r.buffered = 12;
        r.dropped = 3;
        QCOMPARE(plant::stateLine(r), QStringLiteral("Plant link: reconnecting to b:1883 "
                                                     "(connection lost); 12 buffered; 3 dropped"));
        r.state = plant::LinkState::Off;
        r.lastError = QStringLiteral("f: url is missing");
        QCOMPARE(plant::stateLine(r), QStringLiteral("Plant link off: f: url is missing"));
        r.state = plant::LinkState::Connected;
        r.buffered = 0;
        r.dropped = 0;
        r.expired = 2;
        r.refused = 4;
        r.refusedWhy = QStringLiteral("not authorised");
        QCOMPARE(plant::stateLine(r),
                 QStringLiteral("Plant link: connected to b:1883; 2 expired unsent; 4 refused by "
                                "the broker (not authorised)"));
        r.expired = r.refused = 0;
        r.notice = plant::passwordInClearNotice();
        QCOMPARE(plant::stateLine(r), QStringLiteral("Plant link: connected to b:1883; the "
                                                     "password travels unencrypted (the url is "
                                                     "not mqtts://)"));
    }

    // The plant link's page shows what a plant subscriber receives; built here from a known state,
    // the program's messages must be those, field for field.
    void theReadmeExamplesAreWhatTheProgramSends() {
        protocol::DeviceState s;
        s.chillerFault = true;
        s.dcOn = true;
        s.tempWaterIn = 24;
        s.tempWaterOut = 27;
        s.dewPointTemp = 12.3f;
        s.dinPwm = s.dinDcOn = s.doutDcOn = true;
        s.analogIn1 = 325;
        s.pwmDuty = 50;
        s.pwmFreq = 20000;
        s.ccbVersion = QStringLiteral("V1.0.7");
        s.driverBoardVersion[0][0] = QStringLiteral("D2.3.1");
        s.productType = QStringLiteral("FL-SIM-1000");
        s.serialNumber = QStringLiteral("SIM00000042");
        s.ccbDateTime = QStringLiteral("2026-12-7 16:53");
        const events::Sample sample{1796662421000, 24.37, 27.05,
                                    protocol::floatAsDecimal(s.dewPointTemp)};

        const QJsonObject status =
            QJsonDocument::fromJson(
                plant::statusPayload(
                    plant::statusObject(s, {QStringLiteral("ttyUSB0"), true, 1796662420180}, sample,
                                        {QStringLiteral("chillerFault")}),
                    QStringLiteral("cutter-7"), 1796662420295, QStringLiteral("3f9a6c2e81d04b57")))
                .object();
        QCOMPARE(sorted(status), sorted(documentedExample("`laser/cutter-7/status`")));

        // The chiller's row, as the history writes it when the flag comes.
        events::FlagWatch flags;
        std::vector<events::Event> rows;
        flags.frameApplied(0xE6, s, 1796662421000, rows);
        QCOMPARE(rows.size(), size_t(2)); // the chiller alarm and DC on
        const events::StoredEvent stored{4711, rows.at(0), false};
        QCOMPARE(sorted(QJsonDocument::fromJson(plant::eventPayload(stored)).object()),
                 sorted(documentedExample("`laser/cutter-7/events`")));

        QCOMPARE(sorted(QJsonDocument::fromJson(plant::samplePayload(sample)).object()),
                 sorted(documentedExample("`laser/cutter-7/samples`")));
        // And on the wire the dew point is written short.
        QVERIFY(plant::samplePayload(sample).contains("\"dew_point\":12.3,"));
    }
};

QTEST_GUILESS_MAIN(PlantPayloadTest)
#include "plant_payload_test.moc"
