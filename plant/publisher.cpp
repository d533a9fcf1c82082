#include "plant/publisher.h"

#include "plant/broker_connection.h"
#include "plant/delivery_listeners.h"
#include "plant/fleet_messages.h"
#include "plant/texts.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTimer>

#include <mqtt/async_client.h>

#include <chrono>

namespace plant {

namespace {

constexpr int maxInFlight = 100;

} // namespace

qint64 Publisher::steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Publisher::Publisher(const Config &config, const QString &clientId, const QString &topicBase,
                     const QString &instance, int bufferCapacity)
    : config(config), setup(config, Role::Publisher), clientId(clientId.toUtf8()),
      topicBase(topicBase.toUtf8()), instance(instance), buffer(bufferCapacity) {
    report.server = config.server();
    report.notice = setup.notice();
    report.certificate = setup.certificate();
}

Publisher::~Publisher() {
    stop();
}

void Publisher::start() {
    if (client || stopped)
        return;
    retryTimer = new QTimer(this);
    retryTimer->setSingleShot(true);
    connect(retryTimer, &QTimer::timeout, this, [this] { connectNow(); });
    noticeTimer = new QTimer(this);
    connect(noticeTimer, &QTimer::timeout, this, [this] { emitReport(); });
    noticeTimer->start(noticeRefreshMs);
    otherHostTimer = new QTimer(this);
    otherHostTimer->setSingleShot(true);
    connect(otherHostTimer, &QTimer::timeout, this, [this] {
        report.otherHost = false;
        emitReport();
    });
    outboxTimer = new QTimer(this);
    connect(outboxTimer, &QTimer::timeout, this, [this] {
        catchUp.flush();
        pump();
        emitReport();
    });
    outboxTimer->start(1000);
    listeners = std::make_unique<Listeners>(this);
    // Another host under this id is heard by its token: on its online flag as it connects
    // (MQTT 5) and on its statuses. This one's own come back only under 3.1.1 (MQTT 5 subscribes
    // with "no local"); the broker's stored copies are no news (they may be of an earlier start).
    const auto received = [this](mqtt::const_message_ptr message) {
        if (!message || message->is_retained() ||
            message->get_payload().size() > size_t(maxPayloadBytes))
            return;
        const std::string &payload = message->get_payload();
        const std::string &topic = message->get_topic();
        const bool flag = topic.size() > 7 && topic.compare(topic.size() - 7, 7, "/online") == 0;
        // This one's own "false" never comes back while it runs (MQTT 5: "no local"; 3.1.1: it
        // says it only as it stops).
        if (flag && payload == "false") {
            if (!goodbyeHeard.exchange(true))
                QMetaObject::invokeMethod(
                    this, [this] { heardGoodbye(); }, Qt::QueuedConnection);
            return;
        }
        const QString token =
            flag ? (payload == "true" ? instanceOf(message->get_properties()) : QString())
                 : QJsonDocument::fromJson(
                       QByteArray::fromRawData(payload.data(), static_cast<int>(payload.size())))
                       .object()
                       .value(QStringLiteral("instance"))
                       .toString();
        // Said once however many come: nothing queues up behind a flood of them.
        if (token.isEmpty() || token == instance || otherHeard.exchange(true))
            return;
        QMetaObject::invokeMethod(
            this, [this] { heardOtherHost(); }, Qt::QueuedConnection);
    };
    QString refused;
    client = makeClient(
        config, clientId, this, generation, [this](quint64 g) { connectionLost(g); }, refused,
        received);
    if (!client) {
        setState(LinkState::Off, refused);
        return;
    }
    setState(LinkState::Connecting, QString());
    connectNow();
}

void Publisher::connectNow() {
    if (!client || stopped)
        return;
    const quint64 g = ++generation;
    const QString unusable = setup.prepare();
    if (!unusable.isEmpty()) {
        // The files changed since the start: said, and tried again as any failed attempt.
        isConnected = false;
        setState(report.state == LinkState::Connecting ? LinkState::Connecting
                                                       : LinkState::Reconnecting,
                 unusable);
        scheduleReconnect();
        return;
    }

    try {
        mqtt::connect_options options = setup.options();
        // Room for the online flag, the status and the subscriptions beside them.
        options.set_max_inflight(maxInFlight + CatchUp::window + 16);
        options.set_will(mqtt::will_options(
            std::string((topicBase + "/online").constData()), std::string("false"), 1, true,
            setup.mqtt5() ? instanceProperties(instance) : mqtt::properties()));
        client->connect(options, generationContext(g), listeners->connect);
    } catch (const mqtt::exception &e) {
        connectFailed(g, e.get_return_code());
    }
}

void Publisher::connected(quint64 g) {
    if (g != generation || stopped)
        return;
    isConnected = true;
    retryPause.connected();
    setup.succeeded();
    try {
        client->publish(onlineMessage(true), nullptr, listeners->direct);
        // Another host under this id, if any, is heard on these. A broker that lets this login
        // write only refuses them, and nothing is said.
        for (const char *level : {"/online", "/status"})
            client->subscribe(
                std::string((topicBase + level).constData()), 0, nullptr, listeners->ignore,
                setup.mqtt5() ? mqtt::subscribe_options(mqtt::subscribe_options::SUBSCRIBE_NO_LOCAL)
                              : mqtt::subscribe_options());
    } catch (const mqtt::exception &) {
        // Not connected after all: the connection-lost callback follows.
    }
    publishStatus();
    for (auto it = retainedLevels.cbegin(); it != retainedLevels.cend(); ++it)
        publishDirect(it.key(), it.value(), true);
    catchUp.connected();
    setState(LinkState::Connected, QString());
    pump();
}

void Publisher::connectFailed(quint64 g, int code) {
    if (g != generation || stopped)
        return;
    isConnected = false;
    const QString why = setup.failed(code, this, [this](const QString &reason) {
        // Found by a handshake of its own, later: said while the link is still down.
        if (!isConnected && !stopped && report.state != LinkState::Off)
            setState(report.state, reason);
    });
    setState(report.state == LinkState::Connecting ? LinkState::Connecting
                                                   : LinkState::Reconnecting,
             why);
    scheduleReconnect();
}

void Publisher::connectionLost(quint64 g) {
    if (g != generation || stopped)
        return;
    lostConnection(Texts::tr("连接中断"));
}

void Publisher::lostConnection(const QString &why) {
    isConnected = false;
    ++generation;
    buffer.requeueInFlight();
    catchUp.connectionLost();
    setState(LinkState::Reconnecting, why);
    scheduleReconnect();
}

void Publisher::delivered(quint64 g, quint64 id) {
    if (g != generation)
        return;
    settle(id);
    pump();
    emitReport();
}

void Publisher::deliveryFailed(quint64 g) {
    if (g != generation || stopped || !isConnected)
        return;
    // The library gave up on a message while connected: start over on a fresh connection,
    // so nothing is sent out of order.
    try {
        client->disconnect(0, nullptr, listeners->ignore);
    } catch (const mqtt::exception &) {
    }
    lostConnection(Texts::tr("有一条消息未被接受"));
}

void Publisher::refusedByBroker(quint64 g, quint64 id, int reason) {
    if (g != generation)
        return;
    // Refused: sending it again would be refused again, from the history too.
    settle(id);
    ++report.refused;
    report.refusedWhy = publishRefusal(reason);
    pump();
    emitReport();
}

void Publisher::scheduleReconnect() {
    retryTimer->start(retryPause.next());
}

void Publisher::enqueue(const QByteArray &topicLevel, const QByteArray &payload, int qos,
                        int expirySeconds) {
    if (stopped)
        return;
    const qint64 now = steadyMs();
    buffer.push(Message{topicBase + '/' + topicLevel, payload, qos, false,
                        expirySeconds > 0 ? now + qint64(expirySeconds) * 1000 : 0},
                now);
    pump();
    emitReport();
}

void Publisher::pump() {
    if (!isConnected || !client)
        return;
    const qint64 now = steadyMs();
    buffer.dropExpired(now);
    handOverLeft();
    while (buffer.hasWaiting() && buffer.inFlightCount() < maxInFlight) {
        const std::pair<quint64, Message> next = buffer.takeNext();
        const Message &m = next.second;
        mqtt::message_ptr message =
            mqtt::make_message(std::string(m.topic.constData()), m.payload.constData(),
                               static_cast<size_t>(m.payload.size()), m.qos, m.retained);
        // The time it waited here counts: the broker keeps it for what is left. An event's
        // window is this buffer's alone.
        if (m.expiresAt > 0 && m.eventId == 0 && setup.mqtt5())
            message->set_properties(
                mqtt::properties{{mqtt::property::MESSAGE_EXPIRY_INTERVAL,
                                  static_cast<int>((m.expiresAt - now + 999) / 1000)}});
        auto *tag = new std::pair<quint64, quint64>(generation.load(), next.first);
        try {
            client->publish(message, tag, listeners->delivery);
        } catch (const mqtt::exception &) {
            delete tag;
            // Still connected: the library's queue is full; it goes again after the next
            // confirmation (a connection taken for lost here would never be made again).
            buffer.giveBack();
            if (!client->is_connected())
                lostConnection(Texts::tr("连接中断"));
            return;
        }
    }
    // The late ones after the live ones: the catch-up never holds a live event back.
    sendLate();
}

void Publisher::stop() {
    if (stopped)
        return;
    stopped = true;
    setup.cancel();
    if (retryTimer)
        retryTimer->stop();
    if (noticeTimer)
        noticeTimer->stop();
    if (otherHostTimer)
        otherHostTimer->stop();
    if (outboxTimer)
        outboxTimer->stop();
    try {
        if (client && isConnected) {
            client->publish(onlineMessage(false))->wait_for(std::chrono::milliseconds(500));
            client->disconnect(std::chrono::milliseconds(300))
                ->wait_for(std::chrono::milliseconds(500));
        }
    } catch (const mqtt::exception &) {
    }
    isConnected = false;
    client.reset();
    // The confirmations that came meanwhile, then what the broker has leaves the history's
    // outbox (on the thread that opened it).
    if (thread() == QThread::currentThread())
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    catchUp.flush();
    catchUp = CatchUp();
}

void Publisher::setState(LinkState state, const QString &error) {
    report.state = state;
    report.lastError = error;
    emitReport();
}

void Publisher::emitReport() {
    report.buffered = buffer.size();
    report.dropped = buffer.dropped();
    report.expired = buffer.expired();
    reportLate();
    report.notice = setup.notice();
    report.certificate = setup.certificate();
    if (reported && report == lastReport)
        return;
    reported = true;
    lastReport = report;
    emit reportChanged(report);
}

} // namespace plant

#include "moc_publisher.cpp"
