// Publishes as N lasers to a broker on loopback, as the host program's plant link would: online
// true (retained), the retained status once a second each, and an alarm that changes every ten
// seconds each (raised, then cleared), with its event. Each status carries the time it was sent,
// from which the fleet benchmark measures how late an alarm reaches its row.
//
//   fleet_load --port PORT --lasers N --seconds S [--prefix laser] [--interval MS]
//              [--stuffed BYTES] [--hostile PER_SECOND] [--events N --event-bytes BYTES]
//
// --interval: each laser's statuses this far apart (default 1000); 0: one status each, then
//   only the alarms' events.
// --stuffed: every laser's status filled with unknown alarm keys (all raised) to about BYTES.
// --hostile: one more host, "hostile", sends this many statuses a second stuffed to 60 KiB.
// --events: N events of about --event-bytes each, as fast as the broker takes them, spread
//   over the lasers (after their first statuses).
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

// `count` unknown alarm keys, all raised, as the text to put at the start of "alarms".
QByteArray stuffing(int bytes) {
    QByteArray out;
    for (int k = 0; out.size() + 20 < bytes; ++k)
        out += "\"zz_stuffed_" + QByteArray::number(k).rightJustified(5, '0') + "\":true,";
    return out;
}

QByteArray stuffed(const QByteArray &payload, const QByteArray &stuff) {
    QByteArray out = payload;
    const int at = out.indexOf("\"alarms\":{");
    return at < 0 ? out : out.insert(at + 10, stuff);
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
    const int interval = option(args, "--interval", 1000);
    const int stuffBytes = option(args, "--stuffed", 0);
    const int hostilePerSecond = option(args, "--hostile", 0);
    const int events = option(args, "--events", 0);
    const int eventBytes = option(args, "--event-bytes", 2300);
    const int prefixAt = args.indexOf(QStringLiteral("--prefix"));
    const QString prefix = prefixAt > 0 ? args.value(prefixAt + 1) : QStringLiteral("laser");

    std::vector<std::unique_ptr<mqtt::async_client>> clients;
    const std::string uri = "tcp://127.0.0.1:" + std::to_string(port);
    // The lasers' connections, and the hostile host's own last.
    const int connections = (lasers + perConnection - 1) / perConnection + 1;
    for (int c = 0; c < connections; ++c) {
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
            clients[i >= lasers ? clients.size() - 1 : size_t(i / perConnection)]->publish(
                t, payload.constData(), size_t(payload.size()), qos, retained);
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
    const QByteArray stuff = stuffBytes > 0 ? stuffing(stuffBytes - 1400) : QByteArray();
    // The hostile host's status: 60 KiB of unknown alarm keys, its time put in before each send.
    const QByteArray hostileStuff = stuffing(60 * 1024 - 1400);
    protocol::DeviceState hostileState;
    const std::string hostileTopic = (prefix + QStringLiteral("/hostile/status")).toStdString();
    qint64 hostileSent = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 published = 0;
    qint64 eventsSent = 0;
    const QByteArray eventDetail(std::max(0, eventBytes - 120), 'd');
    // Laser i sends at i/N of each second; every tenth status of it changes its alarm, the
    // lasers' tenths spread over ten seconds.
    while (clock.elapsed() < qint64(seconds) * 1000) {
        const qint64 elapsed = clock.elapsed();
        for (int i = 0; i < lasers; ++i) {
            int &n = sent[size_t(i)];
            const int step = interval > 0 ? interval : 1000;
            const qint64 due = qint64(n) * step + qint64(i) * step / lasers;
            if (due > elapsed || (interval == 0 && n > 0))
                continue;
            protocol::DeviceState &s = states[size_t(i)];
            const bool change = (n + i) % 10 == 9;
            if (change)
                s.chillerFault = !s.chillerFault;
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            QByteArray payload = plant::statusPayload(
                plant::statusObject(s, {QStringLiteral("ttyUSB0"), true, now - 20}),
                QStringLiteral("load-%1").arg(i, 4, 10, QLatin1Char('0')), now);
            if (!stuff.isEmpty())
                payload = stuffed(payload, stuff);
            publish(i, topic(i, "status"), payload, true);
            if (change)
                publish(
                    i, topic(i, "events"),
                    plant::eventPayload(events::Event{
                        now, QStringLiteral("alarm"), QStringLiteral("chillerFault"),
                        s.chillerFault ? QStringLiteral("on") : QStringLiteral("off"), QString()}),
                    false);
            ++n;
            ++published;
        }
        while (hostilePerSecond > 0 && hostileSent * 1000 / hostilePerSecond <= elapsed) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            const QByteArray payload =
                stuffed(plant::statusPayload(plant::statusObject(hostileState, {}),
                                             QStringLiteral("hostile"), now),
                        hostileStuff);
            publish(lasers, hostileTopic, payload, true);
            ++hostileSent;
        }
        // The flood, once every laser has its status.
        for (int k = 0; k < 200 && eventsSent < events && published >= lasers; ++k, ++eventsSent) {
            const int i = int(eventsSent % lasers);
            publish(i, topic(i, "events"),
                    plant::eventPayload(events::Event{QDateTime::currentMSecsSinceEpoch(),
                                                      QStringLiteral("state"),
                                                      QStringLiteral("dcOn"), QStringLiteral("on"),
                                                      QString::fromLatin1(eventDetail)}),
                    false);
        }
        QThread::msleep(2);
    }
    // Everything published reaches the broker before the goodbye, however long that takes.
    QElapsedTimer draining;
    draining.start();
    for (auto &c : clients)
        while (!c->get_pending_delivery_tokens().empty() && draining.elapsed() < 300000)
            QThread::msleep(20);
    for (auto &c : clients) {
        try {
            c->disconnect()->wait_for(std::chrono::seconds(5));
        } catch (const mqtt::exception &) {
        }
    }
    std::printf("fleet_load: %lld statuses from %d lasers, %lld stuffed from the hostile host, "
                "%lld events in %d s, %lld publishes refused\n",
                published, lasers, hostileSent, eventsSent, seconds, failed);
    return 0;
}
