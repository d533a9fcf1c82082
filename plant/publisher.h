#pragma once

#include "plant/broker_connection.h"
#include "plant/config.h"
#include "plant/out_buffer.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QTimer;

namespace mqtt {
class async_client;
}

namespace plant {

enum class LinkState { Off, Connecting, Connected, Reconnecting };

// What the status bar and the diagnostics show of the broker connection.
struct Report {
    LinkState state = LinkState::Off;
    QString server; // host:port
    QString lastError;
    int buffered = 0;
    quint64 dropped = 0;
    // Samples older than their expiry when they could have been sent, so never sent.
    quint64 expired = 0;
    // Messages the broker refused (MQTT 5 says so; 3.1.1 brokers drop them in silence), and why.
    quint64 refused = 0;
    QString refusedWhy;
    // Said in every line while it holds, e.g. that the password travels unencrypted.
    QString notice;
    // The client certificate in use; null without one.
    ClientCertificate certificate;
};
bool operator==(const Report &a, const Report &b);

// Reads a link's settings file: `config` and a report that is connecting to its server, or
// false and a report that is off with the file's error (which never quotes a value).
bool loadLinkConfig(const QString &file, Config *config, Report *report);
inline bool operator!=(const Report &a, const Report &b) {
    return !(a == b);
}

// One line for the status bar in the current language, e.g. "Plant link: reconnecting to
// broker:1883 (connection lost); 12 buffered". Shown as plain text, never rich text.
QString stateLine(const Report &report);
// The diagnostics window's Link tab: the state line, and on a line of its own the client
// certificate with the dates it is valid between.
QString linkTabText(const Report &report);

// The broker connection. Lives on its own thread: the window posts messages to it and never
// waits. Reconnects by itself with a growing pause; keeps what could not be sent yet in a
// bounded buffer and sends it, in order, once connected again.
class Publisher : public QObject {
    Q_OBJECT

public:
    // A sample is a live reading: neither this buffer nor an MQTT 5 broker hands it on once it
    // is this old (the history database on the PC keeps every one).
    static constexpr int sampleExpirySeconds = 600;
    // `topicBase` is PREFIX/ID; the online, status, events and samples topics hang below it.
    Publisher(const Config &config, const QString &clientId, const QString &topicBase,
              int bufferCapacity = OutBuffer::defaultCapacity);
    ~Publisher() override;

public slots:
    void start();
    // Queued or buffered until the broker has it; with `expirySeconds`, not sent once that old.
    void enqueue(const QByteArray &topicLevel, const QByteArray &payload, int qos,
                 int expirySeconds = 0);
    // The newest retained status; only the newest is kept while the broker is away.
    void setStatus(const QByteArray &payload);
    // Says goodbye (online false), disconnects and drops the client. Waits at most a second.
    void stop();

signals:
    void reportChanged(const plant::Report &report);

private:
    void connectNow();
    void connected(quint64 generation);
    void connectFailed(quint64 generation, int code);
    void connectionLost(quint64 generation);
    void delivered(quint64 generation, quint64 id);
    void deliveryFailed(quint64 generation);
    void refusedByBroker(quint64 generation, quint64 id, int reason);
    void lostConnection(const QString &why);
    void pump();
    void publishStatus();
    void publishDirect(const QByteArray &topicLevel, const QByteArray &payload, bool retained);
    void scheduleReconnect();
    void setState(LinkState state, const QString &error);
    void emitReport();

    struct Listeners;
    template <typename> friend struct ConnectListener;

    Config config;
    ConnectionSetup setup;
    QByteArray clientId;
    QByteArray topicBase;
    OutBuffer buffer;
    QByteArray status;
    std::unique_ptr<mqtt::async_client> client;
    std::unique_ptr<Listeners> listeners;
    QTimer *retryTimer = nullptr;
    // Says the certificate's dates again as days pass.
    QTimer *noticeTimer = nullptr;
    int retryDelayMs = 0;
    // Counts connections; callbacks of an earlier one are ignored. Read by Paho's threads.
    std::atomic<quint64> generation{0};
    bool isConnected = false;
    bool stopped = false;
    Report report;
    Report lastReport;
    bool reported = false;
};

} // namespace plant

Q_DECLARE_METATYPE(plant::Report)
