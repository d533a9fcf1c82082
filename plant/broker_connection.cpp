#include "plant/broker_connection.h"

#include <mqtt/async_client.h>

#include <chrono>

namespace plant {

QString serverText(const Config &config) {
    const QString port = QString::number(config.port);
    if (config.host.contains(QLatin1Char(':')))
        return QLatin1Char('[') + config.host + QStringLiteral("]:") + port;
    return config.host + QLatin1Char(':') + port;
}

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
                                               QString &error) {
    try {
        mqtt::create_options create(MQTTVERSION_3_1_1);
        return std::make_unique<mqtt::async_client>(config.serverUri.toStdString(),
                                                    clientId.toStdString(), create, nullptr);
    } catch (const mqtt::exception &e) {
        error = QStringLiteral("the MQTT library refused the address (code %1)")
                    .arg(e.get_return_code());
        return nullptr;
    }
}

QString connectError(int code, bool tls) {
    switch (code) {
    case 1:
        return QStringLiteral("broker refused the protocol version");
    case 2:
        return QStringLiteral("broker refused the client id");
    case 3:
        return QStringLiteral("broker unavailable");
    case 4:
        return QStringLiteral("broker refused the login: bad user name or password");
    case 5:
        return QStringLiteral("broker refused the login: not authorised");
    case MQTTASYNC_SSL_NOT_SUPPORTED:
        return QStringLiteral("TLS is not available in this build of the MQTT library");
    default:
        // The library tells no more: no answer, a refused connection, an unknown host name and
        // an untrusted certificate all end here.
        return tls ? QStringLiteral("cannot reach the broker or its certificate is not trusted")
                   : QStringLiteral("cannot reach the broker");
    }
}

} // namespace plant
