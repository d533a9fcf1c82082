// The real program in a real X window with the simulated CCB and a real mosquitto: what the
// plant sees of it, its last will when it is killed, and no network socket at all without
// config/plant.ini. Needs DISPLAY, root and xdotool/ImageMagick; skips otherwise.

#include "support/broker.h"
#include "support/e2e/checks.h"
#include "support/tcp_sockets.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <memory>

class PlantE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SKIP_WITHOUT_PREREQUISITES();
        SKIP_WITHOUT_BROKER();
    }

    void withoutPlantIniTheProgramHoldsNoTcpSocket() {
        // Frames received and shown, refresh passes run: where a plant link would have
        // connected and published by now.
        harness::Session run;
        VERIFY_STARTED(run.startWithPortOpen());
        QVERIFY(run.program.isRunning());
        QCOMPARE(fixture::tcpSocketsOf(run.program.pid()), 0);
    }

    void theProgramPublishesTheSimulatorsStatusAndItsWillWhenKilled() {
        Broker broker;
        QVERIFY(broker.start());
        harness::Session run;
        QVERIFY(run.writeConfig(QStringLiteral("plant.ini"),
                                "[mqtt]\nurl = " + broker.url().toUtf8() + "\nlaser_id = e2e\n"));
        VERIFY_STARTED(run.startWithPortOpen());
        // Made after the program started: it would inherit the subscriber's socket otherwise.
        // The status and online messages are retained, so nothing is missed.
        Subscriber sub(broker.port, "laser/e2e/#");

        // Status messages until one carries the simulator's product data.
        QJsonObject status;
        QElapsedTimer timer;
        timer.start();
        size_t seen = 0;
        while (timer.elapsed() < 15000) {
            const auto got = sub.collect(QStringLiteral("status"), seen + 1, 500);
            seen = got.size();
            if (seen == 0)
                continue;
            status = QJsonDocument::fromJson(got.back().payload).object();
            if (status.value(QStringLiteral("product")).toObject().value(QStringLiteral("type")) ==
                QJsonValue(QStringLiteral("FL-SIM-1000")))
                break;
        }
        const QJsonObject link = status.value(QStringLiteral("link")).toObject();
        QCOMPARE(status.value(QStringLiteral("product")).toObject().value(QStringLiteral("type")),
                 QJsonValue(QStringLiteral("FL-SIM-1000")));
        QCOMPARE(link.value(QStringLiteral("port")).toString(), QStringLiteral("ttyUSB0"));
        QCOMPARE(link.value(QStringLiteral("open")), QJsonValue(true));
        QVERIFY(link.value(QStringLiteral("last_frame_at")).toDouble() > 0);
        QCOMPARE(fixture::tcpSocketsOf(run.program.pid()), 1);

        auto online = sub.collect(QStringLiteral("online"), 1);
        QCOMPARE(online.size(), size_t(1));
        QCOMPARE(online[0].payload, QByteArray("true"));
        run.program.process().kill();
        QVERIFY(run.program.process().waitForFinished(5000));
        online = sub.collect(QStringLiteral("online"), 2);
        QCOMPARE(online.size(), size_t(2));
        QCOMPARE(online[1].payload, QByteArray("false"));
    }
};

LASER_DISPLAY_TEST_MAIN(PlantE2eTest)
#include "plant_e2e_test.moc"
