#pragma once

#include "plant/config.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace mqtt {
class async_client;
class connect_options;
} // namespace mqtt

namespace plant {

// What the publisher and the fleet's subscriber share about reaching the broker.

// MQTT 3.1.1, a clean session, the login and TLS of the settings; no last will.
mqtt::connect_options connectOptions(const Config &config);

// The Paho client for the settings' address, MQTT 3.1.1, nothing kept on disk. A lost
// connection calls `lost` on `owner`'s thread with the `generation` of the connection it
// happened in (Paho calls from a thread of its own). Null, with `error` saying why, when the
// library refuses the address.
std::unique_ptr<mqtt::async_client> makeClient(const Config &config, const QByteArray &clientId,
                                               QObject *owner,
                                               const std::atomic<quint64> &generation,
                                               std::function<void(quint64)> lost, QString &error);

// Paho's and the broker's refusal codes as an operator reads them.
QString connectError(int code, bool tls);

// The first pause before reconnecting and the longest one; the pause doubles in between.
constexpr int firstRetryMs = 500;
constexpr int longestRetryMs = 5000;
inline int nextRetryMs(int previousMs) {
    return previousMs == 0 ? firstRetryMs
                           : (previousMs * 2 < longestRetryMs ? previousMs * 2 : longestRetryMs);
}

} // namespace plant
