// Reading what lasers publish: the host's own payloads read back field by field, and every kind
// of bad message counted under its reason.
#include "events/alarm_names.h"
#include "plant/fleet_messages.h"
#include "plant/payloads.h"
#include "support/plant_ids.h"
#include "support/table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <cmath>

using plant::Rejection;
Q_DECLARE_METATYPE(plant::Rejection)

namespace {

QByteArray hostStatus(const protocol::DeviceState &state, const QString &id = "bay3") {
    return plant::statusPayload(
        plant::statusObject(state, {QStringLiteral("ttyUSB0"), true, 1796662420180}), id,
        1796662420295);
}

// The host's status with one field replaced (a JSON pointer of two levels at most).
QByteArray edited(const char *section, const char *field, const QJsonValue &value) {
    QJsonObject o = QJsonDocument::fromJson(hostStatus({})).object();
    if (!field) {
        if (value.isUndefined())
            o.remove(QLatin1String(section));
        else
            o.insert(QLatin1String(section), value);
    } else {
        QJsonObject inner = o.value(QLatin1String(section)).toObject();
        if (value.isUndefined())
            inner.remove(QString::fromUtf8(field));
        else
            inner.insert(QString::fromUtf8(field), value);
        o.insert(QLatin1String(section), inner);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

plant::ParseResult parse(const QByteArray &topic, const QByteArray &payload) {
    return plant::parseFleetMessage(QStringLiteral("laser"), topic, payload, false);
}

// The host's status with `count` unknown alarm keys, all set to `raised`.
QByteArray stuffed(int count, bool raised) {
    QJsonObject o = QJsonDocument::fromJson(hostStatus({})).object();
    QJsonObject alarms = o.value(QLatin1String("alarms")).toObject();
    for (int k = 0; k < count; ++k)
        alarms.insert(QString::number(k), raised);
    o.insert(QLatin1String("alarms"), alarms);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// A host's summary as large as a host makes one: 25 alarms of 64-character keys in each period.
plant::AlarmSummary largestSummary() {
    events::PeriodFigures f;
    f.to = 1796662800000;
    f.from = f.to - 24 * 3600 * 1000;
    for (qint64 n = 25; n > 0; f.rises += n--)
        f.alarms.push_back({QStringLiteral("board%1.").arg(n).leftJustified(64, 'x'), n, n * 1000,
                            n * 2000, n / 5, n / 7});
    plant::AlarmSummary s;
    s.at = 1796662420295;
    s.instance = QStringLiteral("3f9a6c2e81d04b57");
    s.periods = {plant::summaryPeriod(f), plant::summaryPeriod(f)};
    return s;
}

// That summary with `from` replaced by `to` throughout.
QByteArray summaryWith(const QByteArray &from, const QByteArray &to) {
    return plant::summaryPayload(largestSummary(), "bay3").replace(from, to);
}

// What the fleet keeps of a message, in one line.
QString summary(const plant::ParseResult &r) {
    const plant::FleetMessage &m = r.message;
    if (r.rejection != Rejection::None)
        return QStringLiteral("refused");
    if (m.cleared)
        return QStringLiteral("cleared");
    if (m.kind == plant::Kind::Event)
        return QStringLiteral("%1|%2|%3").arg(m.event.name, m.event.detail).arg(m.event.at);
    const plant::LaserStatus &s = m.status;
    return QStringLiteral("%1|+%2|%3|%4|%5")
        .arg(s.alarmKeys().join(QLatin1Char(',')))
        .arg(s.alarmsIgnored)
        .arg(s.port)
        .arg(s.waterIn)
        .arg(s.at);
}

} // namespace

class FleetMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void theHostsStatusIsReadBackFieldByField() {
        protocol::DeviceState s;
        s.chillerFault = true;
        s.dcOn = true;
        s.tempWaterIn = 24;
        s.tempWaterOut = -3;
        s.dewPointTemp = 12.3f;
        s.moduleStatus[1].pdFault = true;
        s.moduleStatus[2].beamOn = true;
        s.driverChannel[1][3].overCurrent2 = true;

        const plant::ParseResult r = plant::parseFleetMessage(
            QStringLiteral("laser"), "laser/bay3/status", hostStatus(s), true);
        QCOMPARE(r.rejection, Rejection::None);
        const plant::LaserStatus &st = r.message.status;
        QCOMPARE(r.message.kind, plant::Kind::Status);
        QCOMPARE(r.message.laserId, QStringLiteral("bay3"));
        QVERIFY(r.message.retained);
        QCOMPARE(st.at, qint64(1796662420295));
        QCOMPARE(st.alarmKeys(),
                 (QStringList{"chiller_fault", "driver_over_current", "module1.pd_fault"}));
        QVERIFY(st.dcOn);
        QVERIFY(!st.laserReady);
        QVERIFY(st.beamOn);
        QCOMPARE(st.waterIn, 24.0);
        QCOMPARE(st.waterOut, -3.0);
        // The dew point travels as the shortest decimal of the CCB's float.
        QCOMPARE(st.dewPoint, 12.3);
        QCOMPARE(st.port, QStringLiteral("ttyUSB0"));
        QVERIFY(st.portOpen);
        QCOMPARE(st.lastFrameAt, qint64(1796662420180));
        QCOMPARE(st.payload, hostStatus(s));
    }

    void numbersAreReadWhateverTheirPrecisionAndNullIsNoValue_data() {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("whole degrees") << QJsonValue(24) << 24.0;
        QTest::newRow("hundredths") << QJsonValue(24.37) << 24.37;
        QTest::newRow("a float widened") << QJsonValue(12.300000190734863) << 12.300000190734863;
        QTest::newRow("below zero") << QJsonValue(-0.05) << -0.05;
        QTest::newRow("null") << QJsonValue(QJsonValue::Null) << std::nan("");
    }
    void numbersAreReadWhateverTheirPrecisionAndNullIsNoValue() {
        QFETCH(QJsonValue, value);
        QFETCH(double, expected);
        const plant::ParseResult r =
            parse("laser/bay3/status", edited("temperatures", "dew_point", value));
        QCOMPARE(r.rejection, Rejection::None);
        if (std::isnan(expected))
            QVERIFY(std::isnan(r.message.status.dewPoint));
        else
            QCOMPARE(r.message.status.dewPoint, expected);
    }

    void badMessagesAreRefusedWithTheirReason_data() {
        QTest::addColumn<QByteArray>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Rejection>("reason");
        const QByteArray good = hostStatus({});
        QTest::newRow("not json") << QByteArray("laser/bay3/status") << QByteArray("{nope")
                                  << Rejection::NotJson;
        QTest::newRow("an array") << QByteArray("laser/bay3/status") << QByteArray("[1,2]")
                                  << Rejection::NotJson;
        QTest::newRow("a name given twice")
            << QByteArray("laser/bay3/status")
            << QByteArray(good).replace("{\"alarms\":", "{\"link\":{},\"alarms\":")
            << Rejection::NotJson;
        QTest::newRow("an empty event")
            << QByteArray("laser/bay3/events") << QByteArray() << Rejection::EmptyPayload;
        QTest::newRow("over 64 KiB")
            << QByteArray("laser/bay3/status")
            << QByteArray(good).append(QByteArray(plant::maxPayloadBytes, ' '))
            << Rejection::TooLarge;
        QTest::newRow("no alarms")
            << QByteArray("laser/bay3/status") << edited("alarms", nullptr, QJsonValue::Undefined)
            << Rejection::MissingField;
        QTest::newRow("an alarm missing")
            << QByteArray("laser/bay3/status")
            << edited("alarms", "chiller_fault", QJsonValue::Undefined) << Rejection::MissingField;
        QTest::newRow("an alarm as text")
            << QByteArray("laser/bay3/status")
            << edited("alarms", "chiller_fault", QStringLiteral("yes")) << Rejection::WrongType;
        QTest::newRow("a temperature as text")
            << QByteArray("laser/bay3/status")
            << edited("temperatures", "water_in", QStringLiteral("24")) << Rejection::WrongType;
        QTest::newRow("a time before 1970")
            << QByteArray("laser/bay3/status") << edited("at", nullptr, -5) << Rejection::WrongType;
        QTest::newRow("modules not a list")
            << QByteArray("laser/bay3/status") << edited("modules", nullptr, 3)
            << Rejection::WrongType;
        QTest::newRow("another laser's id")
            << QByteArray("laser/bay4/status") << good << Rejection::IdMismatch;
        QTest::newRow("online not a flag")
            << QByteArray("laser/bay3/online") << QByteArray("yes") << Rejection::NotJson;
        QTest::newRow("event without a name")
            << QByteArray("laser/bay3/events")
            << QByteArray(R"({"at":1,"category":"alarm","value":"on"})") << Rejection::MissingField;
        QTest::newRow("event time as text")
            << QByteArray("laser/bay3/events")
            << QByteArray(R"({"at":"1","category":"a","name":"n","value":"on"})")
            << Rejection::WrongType;
        const QByteArray summary("laser/bay3/alarm_summary"), key("board24.");
        QTest::newRow("a summary of a newer version")
            << summary << summaryWith("\"version\":1", "\"version\":2") << Rejection::NewerVersion;
        QTest::newRow("a summary over 16 KiB")
            << summary << summaryWith("\"at\"", "\"x\":\"" + QByteArray(16384, 'x') + "\",\"at\"")
            << Rejection::SummaryTooLarge;
        QTest::newRow("another laser's summary") << QByteArray("laser/bay4/alarm_summary")
                                                 << summaryWith("", "") << Rejection::IdMismatch;
        QTest::newRow("rises of 1e300")
            << summary << summaryWith("\"rises\":25}", "\"rises\":1e300}") << Rejection::WrongType;
        QTest::newRow("a key with a direction override") << summary
                                                         << summaryWith(key, "board\xE2\x80\xAE"
                                                                             "4.")
                                                         << Rejection::WrongType;
        QTest::newRow("an alarm given twice")
            << summary << summaryWith(key, "board25.") << Rejection::WrongType;
        QTest::newRow("21 alarms")
            << summary
            << summaryWith("\"alarms\":[", "\"alarms\":[{\"key\":\"x\",\"rises\":1,"
                                           "\"active_ms\":0,\"chatters\":0,\"first_outs\":0},")
            << Rejection::WrongType;
        QTest::newRow("an unacknowledged key with a newline")
            << QByteArray("laser/bay3/status")
            << edited("unacknowledged", nullptr, QJsonArray{"door\nInterlock"})
              << Rejection::WrongType;
        QTest::newRow("event late as text")
            << QByteArray("laser/bay3/events")
            << QByteArray(R"({"at":1,"category":"a","name":"n","value":"on","late":"yes"})")
            << Rejection::WrongType;
        QTest::newRow("an unacknowledged key listed twice")
            << QByteArray("laser/bay3/status")
            << edited("unacknowledged", nullptr, QJsonArray{"doorInterlock", "doorInterlock"})
            << Rejection::WrongType;
        QTest::newRow("unknown kind")
            << QByteArray("laser/bay3/samples") << good << Rejection::BadTopic;
        QTest::newRow("an extra level")
            << QByteArray("laser/bay/3/status") << good << Rejection::BadTopic;
        QTest::newRow("another prefix")
            << QByteArray("lasers/bay3/status") << good << Rejection::BadTopic;
        QTest::newRow("a control character") << QByteArray("laser/bay\x01"
                                                           "3/online")
                                             << QByteArray("true") << Rejection::OddLaserId;
        QTest::newRow("a direction override") << QByteArray("laser/bay\xE2\x80\xAE"
                                                            "3/online")
                                              << QByteArray("true") << Rejection::OddLaserId;
        QTest::newRow("broken utf-8")
            << QByteArray("laser/bay\xFF/online") << QByteArray("true") << Rejection::OddLaserId;
        // Each reads as "bay3" or breaks the row: a line separator, an Arabic letter mark, a
        // soft hyphen, a tag character.
        for (const char *hidden : {"\xE2\x80\xA8", "\xD8\x9C", "\xC2\xAD", "\xF3\xA0\x81\x81"})
            QTest::newRow(QByteArray("hidden ").append(QByteArray(hidden).toHex()).constData())
                << QByteArray("laser/bay") + hidden + "3/online" << QByteArray("true")
                << Rejection::OddLaserId;
        QTest::newRow("an empty id")
            << QByteArray("laser//online") << QByteArray("true") << Rejection::OddLaserId;
        QTest::newRow("a long id")
            << QByteArray("laser/" + QByteArray(plant::maxLaserIdLength + 1, 'x') + "/online")
            << QByteArray("true") << Rejection::OddLaserId;
    }
    void badMessagesAreRefusedWithTheirReason() {
        QFETCH(QByteArray, topic);
        QFETCH(QByteArray, payload);
        QFETCH(Rejection, reason);
        QCOMPARE(parse(topic, payload).rejection, reason);
    }

    // What one faulty or hostile host may write: refused with its reason, or kept within bounds
    // and with every hidden character visible.
    void hostilePayloadsAreBoundedAndShownAsWhatTheyAre_data() {
        fixture::columns<QByteArray, QByteArray, Rejection, QString>("topic", "payload", "reason",
                                                                     "kept");
        const QByteArray status("laser/bay3/status");
        const QByteArray events("laser/bay3/events");
        const QString ok = QStringLiteral("|+0|ttyUSB0|0|1796662420295");
        const auto event = [](const char *name, const char *detail, const char *at) {
            return QByteArray("{\"at\":") + at + ",\"category\":\"alarm\",\"name\":\"" + name +
                   "\",\"value\":\"on\",\"detail\":\"" + detail + "\"}";
        };
        QTest::newRow("5,000 unknown alarms raised")
            << status << stuffed(5000, true) << Rejection::None
            << QStringLiteral("0,1,10,100,1000,1001,1002,1003|+4992|ttyUSB0|0|1796662420295");
        QTest::newRow("5,000 unknown keys, none raised")
            << status << stuffed(5000, false) << Rejection::None << ok;
        QTest::newRow("an unknown key with a direction override")
            << status << edited("alarms", "x\u202ey", true) << Rejection::WrongType << "refused";
        QTest::newRow("an unknown key with an Arabic letter mark")
            << status << edited("alarms", "x\u061cy", true) << Rejection::WrongType << "refused";
        QTest::newRow("a port reversed by U+202E")
            << status << edited("link", "port", QString::fromUtf8("\u202e0BSUytt"))
            << Rejection::None << QStringLiteral("|+0|<U+202E>0BSUytt|0|1796662420295");
        QTest::newRow("a port with a newline, BEL, ESC and a line separator")
            << status << edited("link", "port", QString::fromUtf8("a\nb\x07\x1b\u2028"))
            << Rejection::None
            << QStringLiteral("|+0|a<U+000A>b<U+0007><U+001B><U+2028>|0|1796662420295");
        QTest::newRow("a port of 10,000 characters")
            << status << edited("link", "port", QString(10000, QLatin1Char('p'))) << Rejection::None
            << QStringLiteral("|+0|%1|0|1796662420295").arg(QString(plant::maxPortText, 'p'));
        QTest::newRow("a temperature of 1.7e308")
            << status << edited("temperatures", "water_in", 1.7e308) << Rejection::None
            << QStringLiteral("|+0|ttyUSB0|inf|1796662420295");
        QTest::newRow("a temperature below absolute zero")
            << status << edited("temperatures", "water_in", -300) << Rejection::None
            << QStringLiteral("|+0|ttyUSB0|inf|1796662420295");
        QTest::newRow("at 1e300") << status << edited("at", nullptr, 1e300) << Rejection::WrongType
                                  << "refused";
        QTest::newRow("last frame at 1e19")
            << status << edited("link", "last_frame_at", 1e19) << Rejection::WrongType << "refused";
        QTest::newRow("at after the year 9999")
            << status << edited("at", nullptr, 253402300800000.0) << Rejection::WrongType
            << "refused";
        QTest::newRow("at -0") << status << edited("at", nullptr, -0.0) << Rejection::None
                               << QStringLiteral("|+0|ttyUSB0|0|0");
        QTest::newRow("made at 1e300, a field only shown")
            << status << edited("product", "made_at", 1e300) << Rejection::None << ok;
        QTest::newRow("an empty status: its retained topic deleted")
            << status << QByteArray() << Rejection::None << "cleared";
        QTest::newRow("an empty online flag")
            << QByteArray("laser/bay3/online") << QByteArray() << Rejection::None << "cleared";
        QTest::newRow("an event with hidden characters, cut")
            << events << event("a\\u202eb", "\\u0000\\u200b\\u2029", "5") << Rejection::None
            << QStringLiteral("a<U+202E>b|<U+0000><U+200B><U+2029>|5");
        QTest::newRow("an event at 1e300")
            << events << event("n", "", "1e300") << Rejection::WrongType << "refused";
    }
    void hostilePayloadsAreBoundedAndShownAsWhatTheyAre() {
        QFETCH(QByteArray, topic);
        QFETCH(QByteArray, payload);
        QFETCH(Rejection, reason);
        QFETCH(QString, kept);
        QVERIFY(payload.size() <= plant::maxPayloadBytes);
        const plant::ParseResult r = parse(topic, payload);
        QCOMPARE(int(r.rejection), int(reason));
        QCOMPARE(summary(r), kept);
    }

    // The one rule for an id: the same table as the host's settings.
    void aLaserIdTheHostWouldRefuseIsRefused_data() { addPlantIdRows(); }
    void aLaserIdTheHostWouldRefuseIsRefused() {
        QFETCH(QString, id);
        QFETCH(bool, valid);
        const plant::ParseResult r = parse("laser/" + id.toUtf8() + "/online", "true");
        QCOMPARE(r.rejection == Rejection::None, valid);
        if (valid)
            QCOMPARE(r.message.laserId, id);
    }

    void aPayloadOverTheLimitIsRefusedFromItsSizeAlone() {
        // The subscriber copies nothing of it; the size it reports is enough.
        const plant::ParseResult r = plant::parseFleetMessage(
            QStringLiteral("laser"), "laser/bay3/status", QByteArray(), true, 100 * 1024 * 1024);
        QCOMPARE(r.rejection, Rejection::TooLarge);
    }

    void onlineEventsAndANewerPublishersAlarmsAreRead() {
        QCOMPARE(parse("laser/bay3/online", "false").rejection, Rejection::None);
        QVERIFY(!parse("laser/bay3/online", "false").message.online);
        QVERIFY(parse("laser/bay3/online", "true").message.online);

        const plant::ParseResult e =
            parse("laser/bay3/events",
                  R"({"at":1796662421000,"category":"alarm","name":"chillerFault","value":"on"})");
        QCOMPARE(e.rejection, Rejection::None);
        QCOMPARE(e.message.event.name, QStringLiteral("chillerFault"));
        QCOMPARE(e.message.event.at, qint64(1796662421000));
        // What is kept for the whole run has a bound, whatever a publisher writes.
        const QByteArray longText(5000, 'x');
        const QByteArray cutEvent = "{\"at\":1,\"category\":\"alarm\",\"name\":\"" + longText +
                                    "\",\"value\":\"on\",\"detail\":\"" + longText + "\"}";
        const plant::ParseResult cut = parse("laser/bay3/events", cutEvent);
        QCOMPARE(cut.message.event.name.size(), plant::maxEventText);
        QCOMPARE(cut.message.event.detail.size(), plant::maxEventDetail);

        const plant::ParseResult s =
            parse("laser/bay3/status", edited("alarms", "gas_pressure", true));
        QCOMPARE(s.rejection, Rejection::None);
        QCOMPARE(s.message.status.alarmKeys(), QStringList{"gas_pressure"});
        QCOMPARE(events::alarmCaption(QStringLiteral("gas_pressure")),
                 QStringLiteral("gas_pressure"));
    }

    // The largest summary a host makes, read back whole: 20 alarms a period, the other 5 summed.
    void theHostsAlarmSummaryIsReadBackWithinItsBounds() {
        const QByteArray payload = plant::summaryPayload(largestSummary(), "bay3");
        QVERIFY2(payload.size() < plant::maxSummaryBytes / 2, QByteArray::number(payload.size()));
        const plant::ParseResult r = parse("laser/bay3/alarm_summary", payload);
        QCOMPARE(plant::summaryPayload(r.message.summary, "bay3"), payload);
        QCOMPARE(r.message.summary.periods[plant::LastWeek].otherRises, 15);
    }

    void alarmKeysGetTheStatusPageCaptions() {
        QCOMPARE(events::alarmCaption(QStringLiteral("chiller_fault")),
                 QString::fromUtf8("水冷机警报"));
        QCOMPARE(events::alarmCaption(QStringLiteral("module2.qbh_fault")),
                 QString::fromUtf8("QBH报警（模块2）"));
        QCOMPARE(events::alarmCaption(QStringLiteral("moduleX.qbh_fault")),
                 QStringLiteral("moduleX.qbh_fault"));
    }
};

QTEST_GUILESS_MAIN(FleetMessagesTest)
#include "fleet_messages_test.moc"
