#pragma once

#include "plant/config.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace mqtt {
class async_client;
class connect_options;
class message;
class properties;
} // namespace mqtt

namespace plant {

class TlsProbe;

// What the publisher and the fleet's subscriber share about reaching the broker.

// Who connects: the publisher, or the fleet's reader. Both tell an MQTT 5 broker the largest
// packet they take so that nothing larger is ever sent to them (the host reads its own id).
enum class Role { Publisher, Reader };
// The largest packet either takes: the largest payload it reads plus room for the topic and the
// packet's header. Anything larger the broker keeps from it.
int readerPacketLimit();

// The Paho client for the settings' address and protocol, nothing kept on disk. A lost
// connection calls `lost` on `owner`'s thread with the `generation` of the connection it
// happened in (Paho calls from a thread of its own); `received`, when given, is called on Paho's
// thread with every message. Null, with `error` saying why, when the library refuses the address.
std::unique_ptr<mqtt::async_client>
makeClient(const Config &config, const QByteArray &clientId, QObject *owner,
           const std::atomic<quint64> &generation, std::function<void(quint64)> lost,
           QString &error,
           std::function<void(std::shared_ptr<const mqtt::message>)> received = nullptr);

// The host's token of its start on its online flag and last will, as MQTT 5's user property
// "instance" (an online payload is a bare true or false that peers read as it is). Empty
// properties for an empty token.
mqtt::properties instanceProperties(const QString &instance);
// The property as a message carries it; empty without one, or with one over 512 bytes.
QString instanceOf(const mqtt::properties &properties);

// Paho's and the broker's refusal codes (MQTT 3.1.1 and 5) as an operator reads them.
QString connectError(int code, bool tls);

// Between attempts, what an owner (publisher or subscriber, on its own thread) keeps about
// reaching the broker: the protocol (MQTT 5 unless the settings say 3.1.1; after a broker
// refuses 5, 3.1.1 for the rest of the run), the client certificate as last read, why the last
// attempt failed, and what the status line says about all of it.
class ConnectionSetup {
public:
    ConnectionSetup(const Config &config, Role role);
    ~ConnectionSetup();

    // Before each attempt: reads the client's files again (a renewed certificate is taken up).
    // Empty, or why they cannot be used now.
    QString prepare();
    // A clean session, the login, and for MQTT 5 the reader's largest packet; for the publisher
    // TLS with the client certificate (the reader's TLS is its packet gate's). No last will.
    mqtt::connect_options options() const;
    bool mqtt5() const { return version5; }
    // The settings with the client's files as last read.
    const Config &settings() const { return config; }

    // After a failed attempt: why, for the status line. A broker that refuses MQTT 5 gets 3.1.1
    // from the next attempt on. Where the library cannot tell why a TLS connection ended, a
    // handshake of its own finds out (on `owner`'s thread) and `found` gets the reason.
    QString failed(int code, QObject *owner, std::function<void(const QString &)> found);
    void succeeded();
    // Stops a handshake of its own still running: `found` is not called any more.
    void cancel();

    // Said in every status line while it holds: the password sent without TLS, secret files
    // others can read, the certificate's end near or past (or its start ahead), 3.1.1 after a
    // refusal of 5. Empty when there is nothing to say.
    QString notice() const;
    const ClientCertificate &certificate() const { return config.certificate; }

private:
    Config config;
    Role role;
    bool version5;
    bool fellBack = false;
    QString probed;
    QPointer<TlsProbe> probe;
    QElapsedTimer sinceProbe;
};

// What is said about a password sent without TLS (status line, Link tab, standard error).
QString passwordInClearNotice();
// What is said of the settings' own problems, at start and in every line while they hold:
// the password sent without TLS, files others can read, the certificate's dates.
QStringList settingsNotices(const Config &config);

// How often an owner says its notice again while nothing else changes: the certificate's
// dates come nearer while a connection holds for weeks.
constexpr int noticeRefreshMs = 60 * 60 * 1000;

// The status line's word on the client certificate's dates, at `now`: its end within 30 days
// or past, or its start still ahead; empty otherwise.
QString certificateNotice(const ClientCertificate &certificate, const QDateTime &now);
// The Link tab's line on the client certificate: its name and the dates it is valid between.
QString certificateLine(const ClientCertificate &certificate);

// The first pause before reconnecting and the longest one; the pause doubles in between.
constexpr int firstRetryMs = 500;
constexpr int longestRetryMs = 5000;
inline int nextRetryMs(int previousMs) {
    return previousMs == 0 ? firstRetryMs
                           : (previousMs * 2 < longestRetryMs ? previousMs * 2 : longestRetryMs);
}

// The pauses between attempts to connect. They start afresh only after a connection that stood
// for a while: a broker that takes each connection and drops it at once would otherwise get one
// every half second.
class RetryPause {
public:
    static constexpr qint64 standingMs = 30000;
    static qint64 steadyNowMs() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void connected(qint64 nowMs = steadyNowMs()) { since = nowMs; }
    // The pause before the next attempt.
    int next(qint64 nowMs = steadyNowMs()) {
        if (since >= 0 && nowMs - since >= standingMs)
            ms = 0;
        since = -1;
        ms = nextRetryMs(ms);
        return ms;
    }

private:
    qint64 since = -1;
    int ms = 0;
};

} // namespace plant
