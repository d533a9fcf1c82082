#include "plant/broker_connection.h"

#include "plant/texts.h"

#include <mqtt/async_client.h>

#include <chrono>

namespace plant {

mqtt::connect_options connectOptions(const Config &config) {
    mqtt::connect_options options;
    options.set_mqtt_version(MQTTVERSION_3_1_1);
    options.set_clean_session(true);
    options.set_keep_alive_interval(std::chrono::seconds(20));
    options.set_connect_timeout(std::chrono::seconds(5));
    options.set_automatic_reconnect(false);
    if (!config.username.isEmpty())
        options.set_user_name(config.username.toStdString());
    if (!config.password.isEmpty())
        options.set_password(config.password.toStdString());
    if (config.tls) {
        mqtt::ssl_options ssl;
        ssl.set_enable_server_cert_auth(true);
        ssl.set_verify(true);
        if (!config.caFile.isEmpty())
            ssl.set_trust_store(config.caFile.toStdString());
        options.set_ssl(ssl);
    }
    return options;
}

std::unique_ptr<mqtt::async_client> makeClient(const Config &config, const QByteArray &clientId,
                                               QObject *owner,
                                               const std::atomic<quint64> &generation,
                                               std::function<void(quint64)> lost, QString &error) {
    std::unique_ptr<mqtt::async_client> client;
    try {
        mqtt::create_options create(MQTTVERSION_3_1_1);
        client = std::make_unique<mqtt::async_client>(config.serverUri.toStdString(),
                                                      clientId.toStdString(), create, nullptr);
    } catch (const mqtt::exception &e) {
        error = Texts::tr("MQTT 库拒绝了该地址（代码 %1）").arg(e.get_return_code());
        return nullptr;
    }
    client->set_connection_lost_handler([owner, &generation, lost](const std::string &) {
        const quint64 g = generation.load();
        QMetaObject::invokeMethod(
            owner, [lost, g] { lost(g); }, Qt::QueuedConnection);
    });
    return client;
}

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

} // namespace plant
