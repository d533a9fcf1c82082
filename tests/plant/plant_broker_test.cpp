// The plant link against a real mosquitto on a loopback port: what a plant subscriber sees,
// the last will, a broker that goes away and comes back, and the failures an operator meets.
#include "plant/broker_connection.h"
#include "plant/fleet_link.h"
#include "plant/packet_gate.h"
#include "plant/plant_link.h"
#include "plant/subscriber.h"
#include "support/broker.h"
#include "support/english.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

QString writeIni(QTemporaryDir &dir, const QByteArray &text) {
    const QString path = dir.filePath(QStringLiteral("plant.ini"));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    return path;
}

QByteArray iniFor(const QString &url, const QByteArray &extra = QByteArray()) {
    return "[mqtt]\nurl = " + url.toUtf8() + "\nlaser_id = bay3\n" + extra;
}

events::Event alarm(qint64 at, const char *value) {
    return events::Event{at, QStringLiteral("alarm"), QStringLiteral("chiller_fault"),
                         QString::fromLatin1(value), QStringLiteral("from the CCB")};
}

QJsonObject json(const QByteArray &payload) {
    return QJsonDocument::fromJson(payload).object();
}

// The value at "object/key" of a payload's object.
QJsonValue at(const QJsonObject &object, const QString &path) {
    const QString outer = path.section(QLatin1Char('/'), 0, 0);
    return object.value(outer).toObject().value(path.section(QLatin1Char('/'), 1));
}

// What the fleet took from one laser.
long messagesFrom(const QVector<plant::FleetMessage> &seen, const char *id) {
    return std::count_if(seen.begin(), seen.end(), [id](const plant::FleetMessage &m) {
        return m.laserId == QLatin1String(id);
    });
}

} // namespace

class PlantBrokerTest : public QObject {
    Q_OBJECT

    EnglishCatalogue english;

private:
    QTemporaryDir dir;

    bool waitForState(plant::PlantLink &link, plant::LinkState state, int timeoutMs = 10000) {
        QElapsedTimer timer;
        timer.start();
        while (link.report().state != state && timer.elapsed() < timeoutMs)
            QTest::qWait(20);
        return link.report().state == state;
    }

    // A broker speaking TLS only, started, with a certificate made for `altName`; none when the
    // certificate could not be made or the broker did not start.
    static std::unique_ptr<Broker> tlsBroker(const QString &altName) {
        auto broker = std::make_unique<Broker>(QString(), QString(), altName);
        if (!broker->certificatesMade || !broker->start())
            return nullptr;
        return broker;
    }

private slots:
    void initTestCase() {
        QVERIFY(english.isLoaded());
        SKIP_WITHOUT_BROKER();
        // The TLS cases make their certificates with it.
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            QSKIP("openssl is not installed (tools/packages.sh lists it)");
    }

    void aNewSubscriberGetsTheRetainedStatusAndOnlineTrue() {
        Broker broker;
        QVERIFY(broker.start());
        plant::PlantLink link(writeIni(dir, iniFor(broker.url())), QStringLiteral("pc7"),
                              QStringLiteral("ttyUSB0"));
        QCOMPARE(link.topicBase(), QStringLiteral("laser/bay3"));
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        QCOMPARE(link.stateLine(),
                 QStringLiteral("Plant link: connected to 127.0.0.1:%1").arg(broker.port));

        protocol::DeviceState state;
        state.chillerFault = true;
        state.dewPointTemp = 12.3f;
        state.serialNumber = QStringLiteral("SN-0042");
        {
            // The marker that the status is on the broker: a subscriber from before sees it.
            Subscriber early(broker.port, "laser/bay3/status");
            link.updateStatus(state, {QStringLiteral("ttyUSB0"), true, 1700000000123});
            QCOMPARE(early.collect(QStringLiteral("status"), 1).size(), size_t(1));
        }

        // Subscribes after the fact: only retained messages can reach it.
        Subscriber late(broker.port, "laser/bay3/#");
        QVERIFY(late.connected());
        const auto online = late.collect(QStringLiteral("online"), 1);
        QCOMPARE(online.size(), size_t(1));
        QCOMPARE(online[0].payload, QByteArray("true"));
        QVERIFY(online[0].retained);
        const auto status = late.collect(QStringLiteral("status"), 1);
        QCOMPARE(status.size(), size_t(1));
        QVERIFY(status[0].retained);
        const QJsonObject s = json(status[0].payload);
        QCOMPARE(s.value(QStringLiteral("laser_id")).toString(), QStringLiteral("bay3"));
        QCOMPARE(at(s, QStringLiteral("alarms/chiller_fault")), QJsonValue(true));
        QCOMPARE(at(s, QStringLiteral("temperatures/dew_point")).toDouble(),
                 12.3); // the CCB's float as the decimal it was sent as
        QCOMPARE(at(s, QStringLiteral("product/serial_number")).toString(),
                 QStringLiteral("SN-0042"));
        QCOMPARE(at(s, QStringLiteral("link/last_frame_at")).toDouble(), 1700000000123.0);
        // The host reads its own id too: a status larger than it takes is kept from it.
        mqtt::async_client other("tcp://127.0.0.1:" + std::to_string(broker.port), "stuffer");
        other.connect()->wait_for(std::chrono::seconds(5));
        other.publish("laser/bay3/status", std::string(plant::readerPacketLimit(), 'x'))
            ->wait_for(std::chrono::seconds(5));
        QVERIFY(broker.waitForLog("Dropping too large outgoing PUBLISH for bay3-", 1));
    }

    void statusChangesArePublishedAtMostOnceASecond() {
        Broker broker;
        QVERIFY(broker.start());
        plant::PlantLink link(writeIni(dir, iniFor(broker.url())), QString(), QString());
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        Subscriber sub(broker.port, "laser/bay3/status");
        protocol::DeviceState state;
        // Five changes within a few hundred ms, then the same state again and again.
        for (int i = 0; i < 5; ++i) {
            state.tempWaterIn = 20 + i;
            link.updateStatus(state, {});
            QTest::qWait(50);
        }
        for (int i = 0; i < 10; ++i) {
            link.updateStatus(state, {});
            QTest::qWait(150);
        }
        const auto got = sub.collect(QStringLiteral("status"), 10, 1500);
        // The first change at once, the last one a second later; nothing for repeats.
        QCOMPARE(got.size(), size_t(2));
        QCOMPARE(at(json(got.back().payload), QStringLiteral("temperatures/water_in")).toInt(), 24);
    }

    void anAlarmThatComesAndGoesGivesTwoEventsInOrder() {
        Broker broker;
        QVERIFY(broker.start());
        plant::PlantLink link(writeIni(dir, iniFor(broker.url())), QString(), QString());
        Subscriber sub(broker.port, "laser/bay3/#");
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        link.publishEvent(alarm(1000, "raised"));
        link.publishEvent(alarm(2000, "cleared"));
        link.publishSample(events::Sample{3000, 21.5, 23.25, std::nan("")});

        const auto events = sub.collect(QStringLiteral("events"), 2);
        QCOMPARE(events.size(), size_t(2));
        QCOMPARE(json(events[0].payload).value(QStringLiteral("value")).toString(),
                 QStringLiteral("raised"));
        QCOMPARE(json(events[1].payload).value(QStringLiteral("value")).toString(),
                 QStringLiteral("cleared"));
        QVERIFY(!events[0].retained);
        const auto samples = sub.collect(QStringLiteral("samples"), 1);
        QCOMPARE(samples.size(), size_t(1));
        QCOMPARE(
            samples[0].payload,
            QByteArray("{\"at\":3000,\"dew_point\":null,\"water_in\":21.5,\"water_out\":23.25}"));
    }

    void eventsRaisedWhileTheBrokerIsAwayArriveInOrderWhenItIsBack() {
        Broker broker;
        QVERIFY(broker.start());
        plant::PlantLink link(writeIni(dir, iniFor(broker.url())), QString(), QString());
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        // A session that outlives the restart, so the test does not race the reconnect.
        { Subscriber early(broker.port, "laser/bay3/events", "plant-watcher"); }

        broker.stop();
        QVERIFY(waitForState(link, plant::LinkState::Reconnecting));
        link.publishEvent(alarm(1000, "raised"));
        link.publishEvent(alarm(2000, "cleared"));
        QTRY_COMPARE(link.report().buffered, 2);
        QVERIFY(link.stateLine().contains(QStringLiteral("2 buffered")));

        QVERIFY(broker.start());
        Subscriber sub(broker.port, "laser/bay3/events", "plant-watcher");
        QVERIFY(sub.connected());
        const auto events = sub.collect(QStringLiteral("events"), 2, 15000);
        QCOMPARE(events.size(), size_t(2));
        QCOMPARE(json(events[0].payload).value(QStringLiteral("value")).toString(),
                 QStringLiteral("raised"));
        QCOMPARE(json(events[1].payload).value(QStringLiteral("value")).toString(),
                 QStringLiteral("cleared"));
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        QTRY_COMPARE(link.report().buffered, 0);
        QCOMPARE(link.report().dropped, quint64(0));
    }

    void killingTheProgramMakesTheBrokerPublishOnlineFalse() {
        Broker broker;
        QVERIFY(broker.start());
        Subscriber sub(broker.port, "laser/bay3/online");
        QProcess helper;
        helper.start(QStringLiteral(PLANT_HELPER), {writeIni(dir, iniFor(broker.url()))});
        QVERIFY(helper.waitForStarted());
        auto got = sub.collect(QStringLiteral("online"), 1);
        QCOMPARE(got.size(), size_t(1));
        QCOMPARE(got[0].payload, QByteArray("true"));

        helper.kill(); // SIGKILL: no goodbye from the program itself
        QVERIFY(helper.waitForFinished());
        got = sub.collect(QStringLiteral("online"), 2);
        QCOMPARE(got.size(), size_t(2));
        QCOMPARE(got[1].payload, QByteArray("false"));

        // A later subscriber sees the will, retained.
        Subscriber late(broker.port, "laser/bay3/online");
        got = late.collect(QStringLiteral("online"), 1);
        QCOMPARE(got.size(), size_t(1));
        QCOMPARE(got[0].payload, QByteArray("false"));
        QVERIFY(got[0].retained);
    }

    void aProgramThatEndsNormallySaysItIsOffline() {
        Broker broker;
        QVERIFY(broker.start());
        Subscriber sub(broker.port, "laser/bay3/online");
        {
            plant::PlantLink link(writeIni(dir, iniFor(broker.url())), QString(), QString());
            QVERIFY(waitForState(link, plant::LinkState::Connected));
            QCOMPARE(sub.collect(QStringLiteral("online"), 1).size(), size_t(1));
        }
        const auto got = sub.collect(QStringLiteral("online"), 2);
        QCOMPARE(got.size(), size_t(2));
        QCOMPARE(got[1].payload, QByteArray("false"));
    }

    // Two hosts under one id (a cloned PC): one's goodbye does not leave the other offline.
    void theGoodbyeOfAnotherHostUnderTheIdLeavesThisOneOnline() {
        Broker broker;
        QVERIFY(broker.start());
        plant::PlantLink stays(writeIni(dir, iniFor(broker.url())), QString(), QString());
        QVERIFY(waitForState(stays, plant::LinkState::Connected));
        {
            plant::PlantLink goes(writeIni(dir, iniFor(broker.url())), QString(), QString());
            QVERIFY(waitForState(goes, plant::LinkState::Connected));
        }
        Subscriber late(broker.port, "laser/bay3/online");
        const auto last = [&late] {
            const auto got = late.collect(QStringLiteral("online"), 9, 100);
            return got.empty() ? QByteArray() : got.back().payload;
        };
        QTRY_COMPARE(last(), QByteArray("true"));
    }

    void aWrongPasswordGivesOneClearLineAndTheRightOneConnects() {
        Broker broker(QStringLiteral("plant"), QStringLiteral("right-secret"));
        QVERIFY(broker.start());
        {
            plant::PlantLink link(
                writeIni(dir, iniFor(broker.url(), "username = plant\npassword = wrong-secret\n")),
                QString(), QString());
            QSignalSpy lines(&link, &plant::PlantLink::stateLineChanged);
            QTRY_VERIFY_WITH_TIMEOUT(
                link.report().lastError.contains(QStringLiteral("refused the login")), 10000);
            QVERIFY(link.report().state != plant::LinkState::Connected);
            QVERIFY(link.stateLine().startsWith(QStringLiteral("Plant link: connecting to")));
            QVERIFY(!link.stateLine().contains(QStringLiteral("secret")));
            // Retrying does not repeat the line: the broker refuses two more attempts.
            const int refused = broker.log().count("not authorised");
            QVERIFY(broker.waitForLog("not authorised", refused + 2));
            QCOMPARE(lines.count(), 1);
        }
        plant::PlantLink link(
            writeIni(dir, iniFor(broker.url(), "username = plant\npassword = right-secret\n")),
            QString(), QString());
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        QVERIFY(!broker.log().contains("right-secret"));
    }

    void anUnreachableBrokerGivesOneClearLineAndRetries() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        plant::PlantLink link(
            writeIni(dir, iniFor(QStringLiteral("mqtt://127.0.0.1:%1").arg(port))), QString(),
            QString());
        QTRY_VERIFY_WITH_TIMEOUT(link.report().lastError.contains(QStringLiteral("cannot reach")),
                                 10000);
        QCOMPARE(link.report().state, plant::LinkState::Connecting);
        link.publishEvent(alarm(1000, "raised"));
        QTRY_COMPARE(link.report().buffered, 1);
        QCOMPARE(link.stateLine(), QStringLiteral("Plant link: connecting to 127.0.0.1:%1 (%2); 1 "
                                                  "buffered")
                                       .arg(port)
                                       .arg(link.report().lastError));
    }

    void tlsConnectsOnlyToABrokerWhoseCertificateIsTrustedForItsAddress() {
        const auto tls = tlsBroker(QStringLiteral("IP:127.0.0.1"));
        QVERIFY(tls);
        Broker &broker = *tls;
        const QString url = QStringLiteral("mqtts://127.0.0.1:%1").arg(broker.port);
        {
            // The system's authorities do not know this broker's.
            plant::PlantLink link(writeIni(dir, iniFor(url)), QString(), QString());
            QTRY_VERIFY_WITH_TIMEOUT(
                link.report().lastError.contains(QStringLiteral("certificate is not trusted")),
                10000);
            QVERIFY(link.report().state != plant::LinkState::Connected);
        }
        plant::PlantLink link(writeIni(dir, iniFor(url, "ca_file = " + broker.caFile().toUtf8())),
                              QString(), QString());
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        link.publishEvent(alarm(1000, "raised"));
        QTRY_COMPARE(link.report().buffered, 0);
    }

    void tlsRefusesACertificateMadeForAnotherName() {
        const auto tls = tlsBroker(QStringLiteral("DNS:other.example"));
        QVERIFY(tls);
        Broker &broker = *tls;
        plant::PlantLink link(
            writeIni(dir, iniFor(QStringLiteral("mqtts://127.0.0.1:%1").arg(broker.port),
                                 "ca_file = " + broker.caFile().toUtf8())),
            QString(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(link.report().lastError.contains(
                                     QStringLiteral("certificate was made for another name")),
                                 10000);
        // Refused again on the next attempt, too.
        const int attempts = broker.log().count("New connection from");
        QVERIFY(broker.waitForLog("New connection from", attempts + 1));
        QVERIFY(link.report().state != plant::LinkState::Connected);
    }

    // The deployment of docs/plant-link.md, with certificates made as it says.
    void withCertificatesAHostWritesOnlyBelowItsOwnIdAndTheRefusedAreTold() {
        Certificates certs(QStringLiteral("IP:127.0.0.1"));
        certs.issue(QStringLiteral("fleet"), QStringLiteral("fleet"));
        // The host's key encrypted, as a plant keeps it; the others as openssl writes them.
        certs.issue(QStringLiteral("bay3"), QStringLiteral("bay3"), Certificates::Plant, -1, 2, {},
                    "Qz7Xk9Wv");
        certs.issue(QStringLiteral("expired"), QStringLiteral("bay3"), Certificates::Plant, -9, -1);
        certs.issue(QStringLiteral("early"), QStringLiteral("bay3"), Certificates::Plant, 1, 9);
        certs.issue(QStringLiteral("stranger"), QStringLiteral("bay3"), Certificates::Other);
        QVERIFY(certs.made);
        QFile pass(certs.path(QStringLiteral("pass")));
        QVERIFY(pass.open(QIODevice::WriteOnly) && pass.write("Qz7Xk9Wv\r\n") == 10);
        pass.close();
        Broker broker(certs, "pattern readwrite laser/%u/#\nuser fleet\ntopic read laser/#\n");
        QVERIFY(broker.start());
        const auto ini = [&](const char *file, const QByteArray &more) {
            const QByteArray name = certs.path(QLatin1String(file)).toUtf8();
            return "[mqtt]\nurl = " + broker.tlsUrl().toUtf8() +
                   "\nca_file = " + broker.caFile().toUtf8() +
                   (*file ? "\ncert_file = " + name + ".pem\nkey_file = " + name + ".key\n"
                          : QByteArray("\n")) +
                   more;
        };

        QTemporaryDir fleetDir;
        plant::FleetLink fleet(writeIni(fleetDir, ini("fleet", "")), QStringLiteral("pc9"));
        QVector<plant::FleetMessage> seen;
        connect(&fleet, &plant::FleetLink::batchArrived, this, [&](const plant::FleetBatch &b) {
            seen += b.messages;
            fleet.batchTaken();
        });
        QTRY_VERIFY_WITH_TIMEOUT(fleet.stateLine().contains(QStringLiteral("connected to")), 10000);

        QTemporaryDir hostDir;
        plant::PlantLink host(
            writeIni(hostDir, ini("bay3", "laser_id = bay3\nkey_password_file = " +
                                              certs.path(QStringLiteral("pass")).toUtf8() + "\n")),
            QString(), QString());
        QVERIFY(waitForState(host, plant::LinkState::Connected));
        QVERIFY2(
            host.linkTabText().contains(QStringLiteral("\nClient certificate bay3: valid from")),
            qPrintable(host.linkTabText()));
        host.updateStatus(protocol::DeviceState{}, {});
        QTRY_VERIFY_WITH_TIMEOUT(messagesFrom(seen, "bay3") >= 2, 10000); // online and the status

        // Its certificate says bay3: the broker takes nothing below bay4 from it, and says so.
        QTemporaryDir otherDir;
        plant::PlantLink other(
            writeIni(otherDir, ini("bay3", "laser_id = bay4\nkey_password_file = " +
                                               certs.path(QStringLiteral("pass")).toUtf8() + "\n")),
            QString(), QString());
        other.publishEvent(alarm(1000, "raised"));
        QTRY_VERIFY_WITH_TIMEOUT(
            other.stateLine().contains(QStringLiteral("refused by the broker (not authorised)")),
            10000);
        host.publishEvent(alarm(2000, "raised")); // the marker: it comes after bay4's
        QTRY_VERIFY_WITH_TIMEOUT(messagesFrom(seen, "bay3") >= 3, 10000);
        QCOMPARE(messagesFrom(seen, "bay4"), 0);

        const std::pair<const char *, const char *> refused[] = {
            {"", "the broker requires a client certificate"},
            {"expired", "the broker refused the client certificate: expired"},
            {"early", "the broker refused the client certificate: valid only from"},
            {"stranger", "the broker does not know the authority of the client certificate"},
        };
        for (const auto &row : refused) {
            QTemporaryDir dir;
            plant::PlantLink link(writeIni(dir, ini(row.first, "")), QString(), QString());
            QTRY_VERIFY2_WITH_TIMEOUT(link.report().lastError.contains(QLatin1String(row.second)),
                                      qPrintable(row.first + (": " + link.stateLine())), 10000);
            QVERIFY(link.report().state != plant::LinkState::Connected);
        }
        QCOMPARE(messagesFrom(seen, "bay4"), 0);
    }

    // A fleet stays connected for weeks: the end of its certificate is said as it comes near.
    void aConnectedFleetSaysItsCertificatesEndOnceItIsThirtyDaysAway() {
        Certificates certs(QStringLiteral("IP:127.0.0.1"));
        Broker broker(certs, "user fleet\ntopic read laser/#\n");
        QVERIFY(broker.start());
        // Made once the broker runs, with time to connect before its last 30 days begin even on
        // a loaded machine.
        const QDateTime warnFrom = QDateTime::currentDateTimeUtc().addSecs(6);
        certs.issue(QStringLiteral("fleet"), QStringLiteral("fleet"), Certificates::Plant, -1, 31,
                    {QStringLiteral("-enddate"),
                     warnFrom.addDays(30).toString(QStringLiteral("yyyyMMddHHmmss'Z'"))});
        QVERIFY(certs.made);
        const QString name = certs.path(QStringLiteral("fleet"));
        const plant::ConfigResult loaded = plant::loadConfig(writeIni(
            dir, "[mqtt]\nurl = " + broker.tlsUrl().toUtf8() +
                     "\nca_file = " + broker.caFile().toUtf8() + "\ncert_file = " + name.toUtf8() +
                     ".pem\nkey_file = " + name.toUtf8() + ".key\n"));
        QCOMPARE(loaded.error, QString());
        plant::Subscriber fleet(loaded.config, QStringLiteral("fleet-watch"));
        plant::Report report;
        connect(&fleet, &plant::Subscriber::reportChanged, this,
                [&](const plant::Report &r) { report = r; });
        fleet.start();
        QTRY_COMPARE_WITH_TIMEOUT(report.state, plant::LinkState::Connected, 10000);
        QCOMPARE(report.notice, QString());
        QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentDateTimeUtc() > warnFrom, 8000);
        // Nothing else happens on the connection; the hourly look at the dates comes now.
        const auto timers = fleet.findChildren<QTimer *>();
        const auto hourly = std::find_if(timers.begin(), timers.end(), [](const QTimer *t) {
            return t->interval() == plant::noticeRefreshMs && t->isActive();
        });
        QVERIFY(hourly != timers.end());
        QMetaObject::invokeMethod(*hourly, "timeout");
        QTRY_VERIFY2(report.notice.contains(QStringLiteral("the client certificate expires on")),
                     qPrintable(report.notice));
        QCOMPARE(report.state, plant::LinkState::Connected);
    }

    void aBrokerThatRefusesMqtt5GetsMqtt311AndTheLineSaysSo() {
        Broker broker;
        QVERIFY(broker.start());
        Mqtt311Front front(broker.port);
        Subscriber sub(broker.port, "laser/bay3/events");
        plant::PlantLink link(writeIni(dir, iniFor(front.url())), QString(), QString());
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        QCOMPARE(front.refused, 1);
        QVERIFY2(
            link.stateLine().endsWith(QStringLiteral("; the broker refused MQTT 5: using 3.1.1")),
            qPrintable(link.stateLine()));
        link.publishEvent(alarm(1000, "raised"));
        QCOMPARE(sub.collect(QStringLiteral("events"), 1).size(), size_t(1));
    }

    void samplesCarryAnExpiryAndTheFleetIsNeverSentMoreThanItReads() {
        Broker broker;
        QVERIFY(broker.start());
        Subscriber sub(broker.port, "laser/bay3/#", {}, true);
        plant::PlantLink link(writeIni(dir, iniFor(broker.url())), QString(), QString());
        QVERIFY(waitForState(link, plant::LinkState::Connected));
        link.publishEvent(alarm(1000, "raised"));
        link.publishSample(events::Sample{3000, 21.5, 23.25, std::nan("")});
        const auto samples = sub.collect(QStringLiteral("samples"), 1);
        QCOMPARE(samples.size(), size_t(1));
        QVERIFY2(samples[0].expiry > 590 && samples[0].expiry <= 600,
                 qPrintable(QString::number(samples[0].expiry)));
        QCOMPARE(sub.collect(QStringLiteral("events"), 1).at(0).expiry, -1);

        QTemporaryDir fleetDir;
        plant::FleetLink fleet(writeIni(fleetDir, iniFor(broker.url())), QStringLiteral("pc9"));
        QVector<plant::FleetMessage> seen;
        quint64 tooLarge = 0;
        connect(&fleet, &plant::FleetLink::batchArrived, this, [&](const plant::FleetBatch &b) {
            seen += b.messages;
            tooLarge += b.rejected[size_t(plant::Rejection::TooLarge)];
            fleet.batchTaken();
        });
        QTRY_VERIFY_WITH_TIMEOUT(fleet.stateLine().contains(QStringLiteral("connected to")), 10000);
        // A plain subscriber gets all 8 MB; the fleet is never sent it, only the marker after.
        Subscriber plain(broker.port, "laser/huge/status");
        mqtt::async_client big(QStringLiteral("tcp://127.0.0.1:%1").arg(broker.port).toStdString(),
                               "big-publisher");
        QVERIFY(big.connect()->wait_for(std::chrono::seconds(5)));
        const std::string huge(8 << 20, 'x');
        QVERIFY(big.publish("laser/huge/status", huge.data(), huge.size(), 1, false)
                    ->wait_for(std::chrono::seconds(20)));
        QVERIFY(big.publish("laser/marker/online", "true", 4, 1, false)
                    ->wait_for(std::chrono::seconds(5)));
        QTRY_VERIFY_WITH_TIMEOUT(messagesFrom(seen, "marker") == 1, 10000);
        QCOMPARE(tooLarge, quint64(0));
        QCOMPARE(messagesFrom(seen, "huge"), 0);
        const auto got = plain.collect(QStringLiteral("status"), 1);
        QCOMPARE(got.size(), size_t(1));
        QCOMPARE(got[0].payload.size(), 8 << 20);
        big.disconnect()->wait_for(std::chrono::seconds(2));
    }

    // While the connect is in flight (a broker that never answers, a TLS handshake), the MQTT
    // library refuses to change a client's callbacks: no exception of it leaves a stop.
    void stoppingDuringAConnectThatNeverEndsThrowsNothing() {
        MuteBroker mute;
        const plant::Config config =
            plant::parseConfig(iniFor(mute.url()), QStringLiteral("plant.ini")).config;
        plant::Subscriber fleet(config, QStringLiteral("fleet-stop"));
        plant::Publisher host(config, QStringLiteral("host-stop"), QStringLiteral("laser/x"));
        fleet.start();
        host.start();
        QTRY_COMPARE(mute.accepted, 2);
        fleet.stop();
        host.stop();
    }

    // The gate lets in only its client (its CONNECT with its id), and of a broker that ignores the
    // largest packet the fleet takes (here 1,000 bytes) reads past a publish of 1 MiB, counted,
    // and passes what follows.
    void theGateLetsInItsClientAndReadsPastAPublishTooLarge() {
        QTcpServer brokerSide;
        QVERIFY(brokerSide.listen(QHostAddress::LocalHost, 0));
        const QString url = QStringLiteral("mqtt://127.0.0.1:%1").arg(brokerSide.serverPort());
        const plant::Config config = plant::parseConfig(iniFor(url), QStringLiteral("x")).config;
        const auto connectAs = [](const QByteArray &id) {
            const QByteArray body = QByteArray("\0\4MQTT\4\2\0\x3c\0", 11) + char(id.size()) + id;
            return QByteArray(1, 0x10) + char(body.size()) + body;
        };
        plant::PacketGate door(config, "fleet", 1000), gate(config, "fleet", 1000);
        qint64 past = 0;
        gate.readPast = [&](qint64 bytes) { past += bytes; };
        QTcpSocket stranger, client;
        stranger.connectToHost(QHostAddress::LocalHost, QUrl(door.open()).port());
        stranger.write(connectAs("else"));
        QTRY_COMPARE(stranger.state(), QAbstractSocket::UnconnectedState);
        client.connectToHost(QHostAddress::LocalHost, QUrl(gate.open()).port());
        client.write(connectAs("fleet"));
        QTRY_VERIFY(brokerSide.hasPendingConnections());
        QTcpSocket *broker = brokerSide.nextPendingConnection();
        QTRY_COMPARE(broker->bytesAvailable(), qint64(connectAs("fleet").size()));
        const QByteArray small("\x30\3\0\1x", 5);
        broker->write("\x30\x80\x80\x40" + QByteArray(1 << 20, 'p') + small);
        QTRY_COMPARE(client.bytesAvailable(), qint64(small.size()));
        QCOMPARE(client.readAll(), small);
        QCOMPARE(past, qint64(4 + (1 << 20)));
        QVERIFY(!brokerSide.hasPendingConnections()); // none for the stranger
    }

    void aMalformedFileLeavesTheLinkOffWithOneLine() {
        plant::PlantLink link(writeIni(dir, "[mqtt]\nurl mqtt://127.0.0.1:1883\n"), QString(),
                              QString());
        QCOMPARE(link.report().state, plant::LinkState::Off);
        QVERIFY(link.stateLine().startsWith(QStringLiteral("Plant link off: ")));
        QVERIFY(link.stateLine().contains(QStringLiteral("line 2: expected key = value")));
        // Feeding it is harmless.
        link.publishEvent(alarm(1, "raised"));
        link.updateStatus(protocol::DeviceState{}, {});
        QCOMPARE(link.report().state, plant::LinkState::Off);
    }
};

QTEST_GUILESS_MAIN(PlantBrokerTest)
#include "plant_broker_test.moc"
