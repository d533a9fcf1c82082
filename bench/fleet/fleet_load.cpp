// Publishes as N lasers to a broker on loopback, as the host program's plant link would: online
// true (retained), the retained status once a second each, and an alarm that changes every ten
// seconds each (raised, then cleared), with its event. Each status carries the time it was sent,
// from which the fleet benchmark measures how late an alarm reaches its row.
//
//   fleet_load --port PORT --lasers N --seconds S [--prefix laser]
#include "plant/payloads.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>

#include <mqtt/async_client.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

int option(const QStringList &args, const char *name, int fallback) {
    const int i = args.indexOf(QLatin1String(name));
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int port = option(args, "--port", 1883);
    const int lasers = option(args, "--lasers", 50);
    const int seconds = option(args, "--seconds", 30);
    const int qos = option(args, "--qos", 1);
    const int perConnection = std::max(1, option(args, "--per-connection", 250));
    const int prefixAt = args.indexOf(QStringLiteral("--prefix"));
    const QString prefix = prefixAt > 0 ? args.value(prefixAt + 1) : QStringLiteral("laser");

    std::vector<std::unique_ptr<mqtt::async_client>> clients;
    const std::string uri = "tcp://127.0.0.1:" + std::to_string(port);
    for (int c = 0; c * perConnection < lasers; ++c) {
        // Paho refuses to queue more than its limit (100 by default) of unsent messages.
        mqtt::create_options create(MQTTVERSION_3_1_1);
        create.set_max_buffered_messages(1000000);
        clients.push_back(
            std::make_unique<mqtt::async_client>(uri, "fleet-load-" + std::to_string(c), create));
        mqtt::connect_options options;
        options.set_max_inflight(2000);
        try {
            clients.back()->connect(options)->wait_for(std::chrono::seconds(10));
        } catch (const mqtt::exception &e) {
            std::fprintf(stderr, "fleet_load: cannot connect: %s\n", e.what());
            return 1;
        }
    }
    const auto topic = [&](int i, const char *level) {
        return (prefix + QStringLiteral("/load-%1/").arg(i, 4, 10, QLatin1Char('0')) +
                QLatin1String(level))
            .toStdString();
    };
    qint64 failed = 0;
    const auto publish = [&](int i, const std::string &t, const QByteArray &payload,
                             bool retained) {
        try {
            clients[size_t(i / perConnection)]->publish(t, payload.constData(),
                                                        size_t(payload.size()), qos, retained);
        } catch (const mqtt::exception &) {
            ++failed;
        }
    };
    for (int i = 0; i < lasers; ++i)
        publish(i, topic(i, "online"), "true", true);

    std::vector<protocol::DeviceState> states(static_cast<size_t>(lasers));
    std::vector<int> sent(size_t(lasers), 0);
    for (int i = 0; i < lasers; ++i) {
        states[size_t(i)].tempWaterIn = 20 + i % 10;
        states[size_t(i)].tempWaterOut = 25;
        states[size_t(i)].dewPointTemp = 12.3f;
        states[size_t(i)].dcOn = true;
        states[size_t(i)].productType = QStringLiteral("FL-SIM-1000");
    }
    QElapsedTimer clock;
    clock.start();
    qint64 published = 0;
    // Laser i sends at i/N of each second; every tenth status of it changes its alarm, the
    // lasers' tenths spread over ten seconds.
    while (clock.elapsed() < qint64(seconds) * 1000) {
        const qint64 elapsed = clock.elapsed();
        for (int i = 0; i < lasers; ++i) {
            int &n = sent[size_t(i)];
            const qint64 due = qint64(n) * 1000 + qint64(i) * 1000 / lasers;
            if (due > elapsed)
                continue;
            protocol::DeviceState &s = states[size_t(i)];
            const bool change = (n + i) % 10 == 9;
            if (change)
                s.chillerFault = !s.chillerFault;
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            publish(i, topic(i, "status"),
                    plant::statusPayload(
                        plant::statusObject(s, {QStringLiteral("ttyUSB0"), true, now - 20}),
                        QStringLiteral("load-%1").arg(i, 4, 10, QLatin1Char('0')), now),
                    true);
            if (change)
                publish(
                    i, topic(i, "events"),
                    plant::eventPayload(history::Event{
                        now, QStringLiteral("alarm"), QStringLiteral("chillerFault"),
                        s.chillerFault ? QStringLiteral("on") : QStringLiteral("off"), QString()}),
                    false);
            ++n;
            ++published;
        }
        QThread::msleep(2);
    }
    for (auto &c : clients) {
        try {
            c->disconnect()->wait_for(std::chrono::seconds(5));
        } catch (const mqtt::exception &) {
        }
    }
    std::printf("fleet_load: %lld statuses from %d lasers in %d s, %lld publishes refused\n",
                published, lasers, seconds, failed);
    return 0;
}
