#include "plant/broker_connection.h"

#include "plant/fleet_messages.h"
#include "plant/texts.h"
#include "plant/tls_probe.h"

#include <mqtt/async_client.h>

#include <chrono>
#include <cmath>

namespace plant {

namespace {

// How soon the client certificate's end is said in the status line.
constexpr int warnDaysAhead = 30;
// Another handshake of our own to find why TLS failed, at most this often while it keeps
// failing: the broker need not see two connections for every attempt.
constexpr qint64 probeEveryMs = 60 * 1000;

QString shownTime(const QDateTime &time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

int readerPacketLimit() {
    // A topic of a kilobyte is far longer than any prefix and laser id.
    return maxPayloadBytes + 1024;
}

std::unique_ptr<mqtt::async_client>
makeClient(const Config &config, const QByteArray &clientId, QObject *owner,
           const std::atomic<quint64> &generation, std::function<void(quint64)> lost,
           QString &error, std::function<void(mqtt::const_message_ptr)> received) {
    std::unique_ptr<mqtt::async_client> client;
    try {
        // A client made for 5 may still connect with 3.1.1, the other way round it may not.
        mqtt::create_options create(config.protocol == Protocol::Mqtt5 ? MQTTVERSION_5
                                                                       : MQTTVERSION_3_1_1);
        // The library refuses a publish while this many wait in its own queue (100 by default):
        // after a reconnect the buffer and the catch-up hand it more than that at once.
        create.set_max_buffered_messages(1000);
        client = std::make_unique<mqtt::async_client>(config.serverUri.toStdString(),
                                                      clientId.toStdString(), create, nullptr);
        client->set_connection_lost_handler([owner, &generation, lost](const std::string &) {
            const quint64 g = generation.load();
            QMetaObject::invokeMethod(
                owner, [lost, g] { lost(g); }, Qt::QueuedConnection);
        });
        if (received)
            client->set_message_callback(std::move(received));
    } catch (const mqtt::exception &e) {
        error = Texts::tr("MQTT 库拒绝了该地址（代码 %1）").arg(e.get_return_code());
        return nullptr;
    }
    return client;
}

namespace {
const char instanceKey[] = "instance";
} // namespace

mqtt::properties instanceProperties(const QString &instance) {
    if (instance.isEmpty())
        return mqtt::properties();
    return mqtt::properties{
        {mqtt::property::USER_PROPERTY, std::string(instanceKey), instance.toStdString()}};
}

QString instanceOf(const mqtt::properties &properties) {
    // Called on Paho's thread: nothing may leave it.
    try {
        for (size_t i = 0; i < properties.count(mqtt::property::USER_PROPERTY); ++i) {
            const mqtt::string_pair pair =
                mqtt::get<mqtt::string_pair>(properties, mqtt::property::USER_PROPERTY, i);
            const std::string &key = std::get<0>(pair);
            const std::string &value = std::get<1>(pair);
            if (key == instanceKey && value.size() <= 512)
                return QString::fromStdString(value);
        }
    } catch (const std::exception &) {
    }
    return QString();
}

QString connectError(int code, bool tls) {
    switch (code) {
    case 1:
    case 132:
        return Texts::tr("代理服务器拒绝了协议版本");
    case 2:
    case 133:
        return Texts::tr("代理服务器拒绝了客户端标识");
    case 3:
    case 136:
    case 137:
        return Texts::tr("代理服务器不可用");
    case 4:
    case 134:
        return Texts::tr("代理服务器拒绝登录: 用户名或密码错误");
    case 5:
    case 135:
    case 138:
        return Texts::tr("代理服务器拒绝登录: 未获授权");
    case 156:
    case 157:
        return Texts::tr("代理服务器要求改连另一台服务器");
    case 159:
        return Texts::tr("代理服务器限制了连接频率");
    case MQTTASYNC_SSL_NOT_SUPPORTED:
        return Texts::tr("此版本的 MQTT 库不支持 TLS");
    default:
        if (code >= 128 && code <= 255)
            return Texts::tr("代理服务器拒绝了连接（原因代码 %1）").arg(code);
        // The library tells no more: no answer, a refused connection, an unknown host name and
        // an untrusted certificate all end here.
        return tls ? Texts::tr("无法连接代理服务器，或其证书不受信任")
                   : Texts::tr("无法连接代理服务器");
    }
}

QString passwordInClearNotice() {
    return Texts::tr("密码未加密传输（url 不是 mqtts://）");
}

QStringList settingsNotices(const Config &config) {
    QStringList notices;
    if (config.passwordInClear())
        notices << passwordInClearNotice();
    if (!config.exposed.isEmpty())
        notices << Texts::tr("%1 可被其他用户读取（chmod 600）")
                       .arg(config.exposed.join(QStringLiteral(", ")));
    const QString dates = certificateNotice(config.certificate, QDateTime::currentDateTimeUtc());
    if (!dates.isEmpty())
        notices << dates;
    return notices;
}

QString certificateNotice(const ClientCertificate &certificate, const QDateTime &now) {
    if (certificate.isNull())
        return QString();
    if (certificate.notBefore.isValid() && now < certificate.notBefore)
        return Texts::tr("客户端证书 %1 起才生效（按本机时钟）")
            .arg(shownTime(certificate.notBefore));
    if (now >= certificate.notAfter)
        return Texts::tr("客户端证书已于 %1 过期").arg(shownTime(certificate.notAfter));
    const qint64 seconds = now.secsTo(certificate.notAfter);
    if (seconds > qint64(warnDaysAhead) * 86400)
        return QString();
    const int days = static_cast<int>(std::ceil(double(seconds) / 86400.0));
    return Texts::tr("客户端证书将于 %1 到期（剩余天数: %2）")
        .arg(shownTime(certificate.notAfter))
        .arg(days);
}

QString certificateLine(const ClientCertificate &certificate) {
    if (certificate.isNull())
        return QString();
    return Texts::tr("客户端证书 %1: 有效期 %2 至 %3")
        .arg(certificate.name, shownTime(certificate.notBefore), shownTime(certificate.notAfter));
}

ConnectionSetup::ConnectionSetup(const Config &config, Role role)
    : config(config), role(role), version5(config.protocol == Protocol::Mqtt5) {}

ConnectionSetup::~ConnectionSetup() {
    cancel();
}

void ConnectionSetup::cancel() {
    delete probe.data();
}

QString ConnectionSetup::prepare() {
    return readClientFiles(config);
}

mqtt::connect_options ConnectionSetup::options() const {
    mqtt::connect_options options;
    options.set_mqtt_version(version5 ? MQTTVERSION_5 : MQTTVERSION_3_1_1);
    if (version5) {
        // Without a session expiry the session ends with the connection: a clean session.
        options.set_clean_start(true);
        // The host reads too (its own id's flag and status, for another host under it): a
        // status stuffed to 100 MB under its id would be read whole, as by the fleet.
        options.set_properties(
            mqtt::properties{{mqtt::property::MAXIMUM_PACKET_SIZE, readerPacketLimit()}});
    } else {
        options.set_clean_session(true);
    }
    options.set_keep_alive_interval(std::chrono::seconds(20));
    options.set_connect_timeout(std::chrono::seconds(5));
    options.set_automatic_reconnect(false);
    if (!config.username.isEmpty())
        options.set_user_name(config.username.toStdString());
    if (!config.password.isEmpty())
        options.set_password(config.password.toStdString());
    if (config.tls && role == Role::Publisher) {
        mqtt::ssl_options ssl;
        ssl.set_enable_server_cert_auth(true);
        ssl.set_verify(true);
        if (!config.caFile.isEmpty())
            ssl.set_trust_store(config.caFile.toStdString());
        if (!config.certFile.isEmpty()) {
            ssl.set_key_store(config.certFile.toStdString());
            ssl.set_private_key(config.keyFile.toStdString());
            if (!config.keyPassword.isEmpty())
                ssl.set_private_key_password(
                    std::string(config.keyPassword.constData(), config.keyPassword.size()));
        }
        options.set_ssl(ssl);
    }
    return options;
}

QString ConnectionSetup::failed(int code, QObject *owner,
                                std::function<void(const QString &)> found) {
    if (version5 && (code == 1 || code == 132)) {
        version5 = false;
        fellBack = true;
        // Once on standard error as well; the status line keeps saying it.
        qWarning(
            "%s",
            qPrintable(Texts::tr("工厂链路: %1 拒绝了 MQTT 5，改用 3.1.1").arg(config.server())));
        return connectError(code, config.tls);
    }
    // The reader's packet gate reads the broker's verdict on every attempt itself.
    if (!config.tls || code != MQTTASYNC_FAILURE || role == Role::Reader)
        return connectError(code, config.tls);
    if (!probe && (!sinceProbe.isValid() || sinceProbe.elapsed() >= probeEveryMs)) {
        sinceProbe.start();
        probe = new TlsProbe(
            config,
            [this, found](const QString &reason) {
                probed = reason;
                if (probe)
                    probe->deleteLater();
                if (!reason.isEmpty())
                    found(reason);
            },
            owner);
    }
    return probed.isEmpty() ? connectError(code, config.tls) : probed;
}

void ConnectionSetup::succeeded() {
    probed.clear();
    sinceProbe.invalidate();
}

QString ConnectionSetup::notice() const {
    QStringList notices = settingsNotices(config);
    if (fellBack)
        notices << Texts::tr("代理服务器拒绝了 MQTT 5，改用 3.1.1");
    return notices.join(QStringLiteral("; "));
}

} // namespace plant
