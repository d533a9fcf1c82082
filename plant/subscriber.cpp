#include "plant/subscriber.h"

#include "plant/texts.h"

#include "plant/broker_connection.h"
#include "plant/connect_listener.h"
#include "plant/packet_gate.h"

#include <QDateTime>
#include <QMetaObject>
#include <QTimer>

#include <mqtt/async_client.h>

#include <algorithm>
#include <chrono>

namespace plant {

namespace {
// Batches are gathered for this long: at most ten a second reach the window.
constexpr int batchGatherMs = 100;
} // namespace

// Paho calls these on its own threads; each hands the outcome to the subscriber's thread.
struct Subscriber::Listeners {
    using Connect = ConnectListener<Subscriber>;
    struct Subscribe : mqtt::iaction_listener {
        Subscriber *s;
        explicit Subscribe(Subscriber *subscriber) : s(subscriber) {}
        void on_success(const mqtt::token &token) override {
            bool granted = true;
            // A refused filter comes back as a reason code from 0x80. No answer to read counts as
            // refused: nothing may leave a callback of the library.
            try {
                const mqtt::subscribe_response response = token.get_subscribe_response();
                for (const mqtt::ReasonCode code : response.get_reason_codes())
                    granted = granted && code < 0x80;
            } catch (const mqtt::exception &) {
                granted = false;
            }
            report(token, granted);
        }
        void on_failure(const mqtt::token &token) override { report(token, false); }
        void report(const mqtt::token &token, bool ok) {
            const quint64 g = generationOf(token);
            QMetaObject::invokeMethod(
                s, [this, g, ok] { s->subscribed(g, ok); }, Qt::QueuedConnection);
        }
    };

    explicit Listeners(Subscriber *s) : connect(s), subscribe(s) {}
    Connect connect;
    Subscribe subscribe;
};

Subscriber::Subscriber(const Config &config, const QString &clientId, int inboxCapacity)
    : config(config), setup(config, Role::Reader), clientId(clientId.toUtf8()),
      inbox(inboxCapacity, heldByteCapacity) {
    report.server = config.server();
    report.notice = setup.notice();
    report.certificate = setup.certificate();
}

Subscriber::~Subscriber() {
    stop();
}

void Subscriber::start() {
    if (client || stopped)
        return;
    retryTimer = new QTimer(this);
    retryTimer->setSingleShot(true);
    connect(retryTimer, &QTimer::timeout, this, [this] { connectNow(); });
    drainTimer = new QTimer(this);
    drainTimer->setSingleShot(true);
    connect(drainTimer, &QTimer::timeout, this, [this] { drain(); });
    noticeTimer = new QTimer(this);
    connect(noticeTimer, &QTimer::timeout, this,
            [this] { setState(report.state, report.lastError); });
    noticeTimer->start(noticeRefreshMs);
    listeners = std::make_unique<Listeners>(this);
    const auto received = [this](mqtt::const_message_ptr message) {
        if (!message)
            return;
        const qint64 receivedAt = QDateTime::currentMSecsSinceEpoch();
        const std::string &topic = message->get_topic();
        const mqtt::binary &payload = message->get_payload();
        // Anything larger is refused unread; the parser counts it from the size alone.
        const bool tooLarge = payload.size() > size_t(maxPayloadBytes);
        arrived(Raw{QByteArray(topic.data(), static_cast<int>(topic.size())),
                    tooLarge ? QByteArray()
                             : QByteArray(payload.data(), static_cast<int>(payload.size())),
                    qint64(payload.size()), message->is_retained(), receivedAt, generation.load(),
                    retainAsPublished.load(), instanceOf(message->get_properties())});
    };
    // The client speaks plain MQTT to its gate, which holds the TLS session (packet_gate.h).
    Config toGate = config;
    toGate.serverUri = QStringLiteral("tcp://") + config.server();
    QString refused;
    client = makeClient(
        toGate, clientId, this, generation,
        [this](quint64 g) { lostConnection(g, Texts::tr("连接中断")); }, refused, received);
    if (!client) {
        setState(LinkState::Off, refused);
        return;
    }
    setState(LinkState::Connecting, QString());
    connectNow();
}

void Subscriber::arrived(Raw raw) {
    inbox.put(std::move(raw), [this](bool now) {
        QMetaObject::invokeMethod(
            this,
            [this, now] {
                if (!drainTimer)
                    return;
                if (now)
                    drainTimer->start(0);
                else if (!drainTimer->isActive())
                    drainTimer->start(batchGatherMs);
            },
            Qt::QueuedConnection);
    });
}

void Subscriber::drain() {
    if (batchOut || stopped)
        return; // batchTaken() comes back here
    std::vector<Raw> taken;
    FleetBatch batch;
    inbox.take(taken, batch.overrun);
    batch.rejected[static_cast<size_t>(Rejection::TooLarge)] = readPast;
    readPast = 0;
    if (taken.empty() && batch.overrun == 0 && batch.rejected[size_t(Rejection::TooLarge)] == 0)
        return;
    const QString prefix = config.topicPrefix;
    batch.messages.reserve(static_cast<int>(taken.size()));
    for (const Raw &raw : taken) {
        if (inbox.stopping())
            return;
        ParseResult parsed = parseFleetMessage(prefix, raw.topic, raw.payload, raw.retained,
                                               raw.payload.isEmpty() ? raw.fullSize : -1,
                                               raw.asPublished, raw.instance);
        if (parsed.rejection == Rejection::None) {
            if (raw.asPublished) {
                const bool first = firstOfItsTopic(raw.generation, parsed.message);
                parsed.message.retained = raw.retained && first;
            }
            parsed.message.receivedAt = raw.receivedAt;
            batch.bytes += plant::heldBytes(parsed.message);
            batch.messages.push_back(std::move(parsed.message));
        } else {
            ++batch.rejected[static_cast<size_t>(parsed.rejection)];
        }
    }
    inbox.batchOut(batch.bytes);
    batchOut = true;
    sinceDrain.start();
    emit batchReady(batch);
}

bool Subscriber::firstOfItsTopic(quint64 connection, const FleetMessage &m) {
    if (m.kind == Kind::Event)
        return false;
    if (connection != topicsConnection) {
        topicsSeen.clear();
        topicsConnection = connection;
    }
    // Past the bound, every retained message counts as a stored copy, as under 3.1.1.
    if (topicsSeen.size() >= maxTopicsSeen)
        return true;
    const QChar topic = m.kind == Kind::Status    ? QLatin1Char('s')
                        : m.kind == Kind::Summary ? QLatin1Char('a')
                                                  : QLatin1Char('o');
    const QString key = topic + m.laserId;
    if (topicsSeen.contains(key))
        return false;
    topicsSeen.insert(key);
    return true;
}

void Subscriber::batchTaken() {
    batchOut = false;
    bool waiting = false;
    bool now = false;
    inbox.batchTaken(waiting, now);
    // Batches stay a gathering time apart, but no more: one that waited for the window goes now.
    if ((waiting || readPast > 0) && drainTimer && !drainTimer->isActive())
        drainTimer->start(
            now ? 0 : static_cast<int>(std::max<qint64>(0, batchGatherMs - sinceDrain.elapsed())));
}

void Subscriber::requestStop() {
    inbox.requestStop();
}

void Subscriber::connectNow() {
    if (!client || stopped)
        return;
    const quint64 g = ++generation;
    const QString unusable = setup.prepare();
    if (!unusable.isEmpty()) {
        setState(report.state == LinkState::Connecting ? LinkState::Connecting
                                                       : LinkState::Reconnecting,
                 unusable);
        retryTimer->start(retryPause.next());
        return;
    }
    // The client reads the broker through a gate of its own that bounds every packet.
    gate = std::make_unique<PacketGate>(setup.settings(), clientId, readerPacketLimit());
    gate->readPast = [this](qint64) {
        ++readPast;
        if (drainTimer && !drainTimer->isActive())
            drainTimer->start(batchGatherMs);
    };
    const QString address = gate->open();
    try {
        mqtt::connect_options options = setup.options();
        options.set_servers(std::make_shared<mqtt::string_collection>(address.toStdString()));
        if (address.isEmpty())
            throw mqtt::exception(MQTTASYNC_FAILURE);
        client->connect(options, generationContext(g), listeners->connect);
    } catch (const mqtt::exception &e) {
        connectFailed(g, e.get_return_code());
    }
}

void Subscriber::connected(quint64 g) {
    if (g != generation || stopped)
        return;
    // With MQTT 5 the publisher's retain flag comes through, so that an empty message published
    // without it (which deletes nothing on the broker) removes no laser here either. One filter
    // a subscribe: the library's subscribe of several with options crashes (Paho C++ 1.2.0).
    retainAsPublished = setup.mqtt5();
    const mqtt::subscribe_options options =
        setup.mqtt5() ? mqtt::subscribe_options(mqtt::subscribe_options::SUBSCRIBE_LOCAL,
                                                mqtt::subscribe_options::RETAIN_AS_PUBLISHED)
                      : mqtt::subscribe_options();
    const QStringList filters = fleetFilters(config.topicPrefix);
    subscribesLeft = filters.size();
    try {
        // A live view: no acknowledgement per message, and after a reconnect the retained status
        // brings every laser up to date.
        for (const QString &filter : filters)
            client->subscribe(filter.toStdString(), 0, generationContext(g), listeners->subscribe,
                              options);
    } catch (const mqtt::exception &) {
        lostConnection(g, Texts::tr("连接中断"));
    }
}

void Subscriber::subscribed(quint64 g, bool ok) {
    if (g != generation || stopped)
        return;
    if (!ok) {
        // Reading is all the fleet does: without it the connection is of no use.
        try {
            client->disconnect();
        } catch (const mqtt::exception &) {
        }
        lostConnection(g, Texts::tr("代理服务器拒绝了订阅"));
        return;
    }
    if (--subscribesLeft > 0)
        return;
    isConnected = true;
    retryPause.connected();
    setup.succeeded();
    setState(LinkState::Connected, QString());
}

void Subscriber::connectFailed(quint64 g, int code) {
    if (g != generation || stopped)
        return;
    isConnected = false;
    const QString gateSaid = gate ? gate->failure() : QString();
    const QString why =
        !gateSaid.isEmpty() ? gateSaid : setup.failed(code, this, [this](const QString &reason) {
            if (!isConnected && !stopped)
                setState(report.state, reason);
        });
    setState(report.state == LinkState::Connecting ? LinkState::Connecting
                                                   : LinkState::Reconnecting,
             why);
    retryTimer->start(retryPause.next());
}

void Subscriber::lostConnection(quint64 g, const QString &why) {
    if (g != generation || stopped)
        return;
    isConnected = false;
    ++generation;
    const QString gateSaid = gate ? gate->failure() : QString();
    setState(LinkState::Reconnecting, gateSaid.isEmpty() ? why : gateSaid);
    retryTimer->start(retryPause.next());
}

void Subscriber::stop() {
    if (stopped)
        return;
    requestStop();
    stopped = true;
    setup.cancel();
    if (retryTimer)
        retryTimer->stop();
    if (drainTimer)
        drainTimer->stop();
    if (noticeTimer)
        noticeTimer->stop();
    if (!client)
        return;
    try {
        if (client->is_connected()) {
            client->disconnect(std::chrono::milliseconds(300))
                ->wait_for(std::chrono::milliseconds(500));
            // What the client said last goes on to the broker: a goodbye, not a dropped line.
            if (gate)
                gate->finish(400);
        }
    } catch (const mqtt::exception &) {
    }
    isConnected = false;
    // No callback may reach this object once it is gone. While a connect is still in flight
    // (a broker that never answers, a TLS handshake) the library refuses to change them and
    // throws: destroying the client ends the connect and its callbacks all the same.
    try {
        client->set_message_callback([](mqtt::const_message_ptr) {});
        client->set_connection_lost_handler([](const std::string &) {});
    } catch (const mqtt::exception &) {
    }
    client.reset();
    gate.reset();
}

void Subscriber::setState(LinkState state, const QString &error) {
    const Report before = report;
    report.state = state;
    report.lastError = error;
    report.notice = setup.notice();
    report.certificate = setup.certificate();
    if (report != before)
        emit reportChanged(report);
}

} // namespace plant

#include "moc_subscriber.cpp"
