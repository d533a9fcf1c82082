#include "plant/publisher.h"

#include "plant/texts.h"

#include <QMetaObject>
#include <QTimer>

#include <mqtt/async_client.h>

#include <chrono>

namespace plant {

namespace {

constexpr int maxInFlight = 100;
constexpr int firstRetryMs = 500;
constexpr int longestRetryMs = 5000;

// Paho's and the broker's refusal codes as an operator would read them.
QString connectError(int code, bool tls) {
    switch (code) {
    case 1:
        return Texts::tr("代理服务器拒绝了协议版本");
    case 2:
        return Texts::tr("代理服务器拒绝了客户端标识");
    case 3:
        return Texts::tr("代理服务器不可用");
    case 4:
        return Texts::tr("代理服务器拒绝登录: 用户名或密码错误");
    case 5:
        return Texts::tr("代理服务器拒绝登录: 未获授权");
    case MQTTASYNC_SSL_NOT_SUPPORTED:
        return Texts::tr("此版本的 MQTT 库不支持 TLS");
    default:
        // The library tells no more: no answer, a refused connection, an unknown host name and
        // an untrusted certificate all end here.
        return tls ? Texts::tr("无法连接代理服务器，或其证书不受信任")
                   : Texts::tr("无法连接代理服务器");
    }
}

} // namespace

bool operator==(const Report &a, const Report &b) {
    return a.state == b.state && a.server == b.server && a.lastError == b.lastError &&
           a.buffered == b.buffered && a.dropped == b.dropped && a.notice == b.notice;
}

QString passwordInClearNotice() {
    return Texts::tr("密码未加密传输（url 不是 mqtts://）");
}

QString stateLine(const Report &report) {
    QString line;
    switch (report.state) {
    case LinkState::Off:
        return Texts::tr("工厂链路关闭: %1").arg(report.lastError);
    case LinkState::Connecting:
        line = Texts::tr("工厂链路: 正在连接 %1").arg(report.server);
        break;
    case LinkState::Connected:
        line = Texts::tr("工厂链路: 已连接 %1").arg(report.server);
        break;
    case LinkState::Reconnecting:
        line = Texts::tr("工厂链路: 正在重新连接 %1").arg(report.server);
        break;
    }
    if (report.state != LinkState::Connected && !report.lastError.isEmpty())
        line += QStringLiteral(" (") + report.lastError + QLatin1Char(')');
    if (report.buffered > 0)
        line += Texts::tr("; 缓存 %1 条").arg(report.buffered);
    if (report.dropped > 0)
        line += Texts::tr("; 丢弃 %1 条").arg(report.dropped);
    if (!report.notice.isEmpty())
        line += QStringLiteral("; ") + report.notice;
    return line;
}

// Paho calls these on its own threads; each hands the outcome to the publisher's thread.
struct Publisher::Listeners {
    // The context of a connect carries its generation.
    struct Connect : mqtt::iaction_listener {
        Publisher *p;
        explicit Connect(Publisher *publisher) : p(publisher) {}
        static quint64 generationOf(const mqtt::token &token) {
            return static_cast<quint64>(reinterpret_cast<quintptr>(token.get_user_context()));
        }
        void on_success(const mqtt::token &token) override {
            const quint64 g = generationOf(token);
            QMetaObject::invokeMethod(
                p, [this, g] { p->connected(g); }, Qt::QueuedConnection);
        }
        void on_failure(const mqtt::token &token) override {
            const quint64 g = generationOf(token);
            const int code = token.get_return_code();
            QMetaObject::invokeMethod(
                p, [this, g, code] { p->connectFailed(g, code); }, Qt::QueuedConnection);
        }
    };
    struct Delivery : mqtt::iaction_listener {
        Publisher *p;
        explicit Delivery(Publisher *publisher) : p(publisher) {}
        // The context of a message carries its generation and its id in the buffer.
        void on_success(const mqtt::token &token) override {
            const auto *tag =
                static_cast<const std::pair<quint64, quint64> *>(token.get_user_context());
            if (!tag)
                return;
            const std::pair<quint64, quint64> t = *tag;
            delete tag;
            QMetaObject::invokeMethod(
                p, [this, t] { p->delivered(t.first, t.second); }, Qt::QueuedConnection);
        }
        void on_failure(const mqtt::token &token) override {
            const auto *tag =
                static_cast<const std::pair<quint64, quint64> *>(token.get_user_context());
            if (!tag)
                return;
            const quint64 g = tag->first;
            delete tag;
            QMetaObject::invokeMethod(
                p, [this, g] { p->deliveryFailed(g); }, Qt::QueuedConnection);
        }
    };
    struct Ignore : mqtt::iaction_listener {
        void on_success(const mqtt::token &) override {}
        void on_failure(const mqtt::token &) override {}
    };

    explicit Listeners(Publisher *p) : connect(p), delivery(p) {}
    Connect connect;
    Delivery delivery;
    Ignore ignore;
};

Publisher::Publisher(const Config &config, const QString &clientId, const QString &topicBase,
                     int bufferCapacity)
    : config(config), clientId(clientId.toUtf8()), topicBase(topicBase.toUtf8()),
      buffer(bufferCapacity) {
    report.server = config.server();
    if (config.passwordInClear())
        report.notice = passwordInClearNotice();
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
    listeners = std::make_unique<Listeners>(this);
    try {
        mqtt::create_options create(MQTTVERSION_3_1_1);
        client = std::make_unique<mqtt::async_client>(config.serverUri.toStdString(),
                                                      clientId.toStdString(), create, nullptr);
    } catch (const mqtt::exception &e) {
        setState(LinkState::Off,
                 Texts::tr("MQTT 库拒绝了该地址（代码 %1）").arg(e.get_return_code()));
        return;
    }
    client->set_connection_lost_handler([this](const std::string &) {
        const quint64 g = generation.load();
        QMetaObject::invokeMethod(
            this, [this, g] { connectionLost(g); }, Qt::QueuedConnection);
    });
    setState(LinkState::Connecting, QString());
    connectNow();
}

void Publisher::connectNow() {
    if (!client || stopped)
        return;
    const quint64 g = ++generation;

    mqtt::connect_options options;
    options.set_mqtt_version(MQTTVERSION_3_1_1);
    options.set_clean_session(true);
    options.set_keep_alive_interval(std::chrono::seconds(20));
    options.set_connect_timeout(std::chrono::seconds(5));
    options.set_max_inflight(maxInFlight + 4);
    options.set_automatic_reconnect(false);
    if (!config.username.isEmpty())
        options.set_user_name(config.username.toStdString());
    if (!config.password.isEmpty())
        options.set_password(config.password.toStdString());
    mqtt::will_options will(std::string((topicBase + "/online").constData()), std::string("false"),
                            1, true);
    options.set_will(will);
    if (config.tls) {
        mqtt::ssl_options ssl;
        ssl.set_enable_server_cert_auth(true);
        ssl.set_verify(true);
        if (!config.caFile.isEmpty())
            ssl.set_trust_store(config.caFile.toStdString());
        options.set_ssl(ssl);
    }
    try {
        client->connect(options, reinterpret_cast<void *>(static_cast<quintptr>(g)),
                        listeners->connect);
    } catch (const mqtt::exception &e) {
        connectFailed(g, e.get_return_code());
    }
}

void Publisher::connected(quint64 g) {
    if (g != generation || stopped)
        return;
    isConnected = true;
    retryDelayMs = 0;
    publishDirect("online", "true", true);
    publishStatus();
    setState(LinkState::Connected, QString());
    pump();
}

void Publisher::connectFailed(quint64 g, int code) {
    if (g != generation || stopped)
        return;
    isConnected = false;
    setState(report.state == LinkState::Connecting ? LinkState::Connecting
                                                   : LinkState::Reconnecting,
             connectError(code, config.tls));
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
    setState(LinkState::Reconnecting, why);
    scheduleReconnect();
}

void Publisher::delivered(quint64 g, quint64 id) {
    if (g != generation)
        return;
    buffer.confirm(id);
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

void Publisher::scheduleReconnect() {
    retryDelayMs = retryDelayMs == 0 ? firstRetryMs : std::min(retryDelayMs * 2, longestRetryMs);
    retryTimer->start(retryDelayMs);
}

void Publisher::enqueue(const QByteArray &topicLevel, const QByteArray &payload, int qos) {
    if (stopped)
        return;
    buffer.push(Message{topicBase + '/' + topicLevel, payload, qos, false});
    pump();
    emitReport();
}

void Publisher::setStatus(const QByteArray &payload) {
    status = payload;
    if (isConnected)
        publishStatus();
}

void Publisher::publishStatus() {
    if (!status.isEmpty())
        publishDirect("status", status, true);
}

void Publisher::publishDirect(const QByteArray &topicLevel, const QByteArray &payload,
                              bool retained) {
    try {
        client->publish(mqtt::make_message(std::string((topicBase + '/' + topicLevel).constData()),
                                           payload.constData(), static_cast<size_t>(payload.size()),
                                           1, retained),
                        nullptr, listeners->ignore);
    } catch (const mqtt::exception &) {
        // Not connected after all: the connection-lost callback follows and resends on connect.
    }
}

void Publisher::pump() {
    if (!isConnected || !client)
        return;
    while (buffer.hasWaiting() && buffer.inFlightCount() < maxInFlight) {
        const std::pair<quint64, Message> next = buffer.takeNext();
        const Message &m = next.second;
        auto *tag = new std::pair<quint64, quint64>(generation.load(), next.first);
        try {
            client->publish(
                mqtt::make_message(std::string(m.topic.constData()), m.payload.constData(),
                                   static_cast<size_t>(m.payload.size()), m.qos, m.retained),
                tag, listeners->delivery);
        } catch (const mqtt::exception &) {
            delete tag;
            lostConnection(Texts::tr("连接中断"));
            return;
        }
    }
}

void Publisher::stop() {
    if (stopped)
        return;
    stopped = true;
    if (retryTimer)
        retryTimer->stop();
    if (!client)
        return;
    try {
        if (isConnected) {
            client
                ->publish(mqtt::make_message(std::string((topicBase + "/online").constData()),
                                             "false", 5, 1, true))
                ->wait_for(std::chrono::milliseconds(500));
            client->disconnect(std::chrono::milliseconds(300))
                ->wait_for(std::chrono::milliseconds(500));
        }
    } catch (const mqtt::exception &) {
    }
    isConnected = false;
    client.reset();
}

void Publisher::setState(LinkState state, const QString &error) {
    report.state = state;
    report.lastError = error;
    emitReport();
}

void Publisher::emitReport() {
    report.buffered = buffer.size();
    report.dropped = buffer.dropped();
    if (reported && report == lastReport)
        return;
    reported = true;
    lastReport = report;
    emit reportChanged(report);
}

} // namespace plant
