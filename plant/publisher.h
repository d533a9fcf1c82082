#pragma once

#include "events/records.h"
#include "plant/broker_connection.h"
#include "plant/catch_up.h"
#include "plant/config.h"
#include "plant/link_report.h"
#include "plant/out_buffer.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QTimer;

namespace mqtt {
class async_client;
class message;
} // namespace mqtt

namespace plant {

// The broker connection. Lives on its own thread: the window posts messages to it and never
// waits. Reconnects by itself with a growing pause; keeps what could not be sent yet in a
// bounded buffer and sends it, in order, once connected again. It reads its own id's status
// too: a status of another start's token there is another host publishing under the same id.
class Publisher : public QObject {
    Q_OBJECT

public:
    // A sample is a live reading: neither this buffer nor an MQTT 5 broker hands it on once it
    // is this old (the history database on the PC keeps every one).
    static constexpr int sampleExpirySeconds = 600;
    // `topicBase` is PREFIX/ID; the online, status, events and samples topics hang below it.
    // `instance` is this start's token, carried by the online flag and the will (MQTT 5).
    Publisher(const Config &config, const QString &clientId, const QString &topicBase,
              const QString &instance = QString(), int bufferCapacity = OutBuffer::defaultCapacity);
    // The history's outbox, on the publisher's thread before the first event: without it events
    // go live only, as they come.
    void setOutbox(const OutboxAccess &access);
    // How long another host is said after its last status under this id.
    static constexpr int otherHostMs = 30000;
    // How long an event of the history waits in the buffer for a reconnect; after that it is
    // sent from the history, marked late.
    static constexpr int liveWindowMs = 10000;
    ~Publisher() override;

public slots:
    void start();
    // Queued or buffered until the broker has it; with `expirySeconds`, not sent once that old.
    void enqueue(const QByteArray &topicLevel, const QByteArray &payload, int qos,
                 int expirySeconds = 0);
    // An event written to the history: sent live, or, when it waited past the live window, by
    // the catch-up (each once; see plant/catch_up.h).
    void publishStored(const events::StoredEvent &event);
    // The newest retained status; only the newest is kept while the broker is away.
    void setStatus(const QByteArray &payload);
    // The same for another retained topic below PREFIX/ID (the alarm summary).
    void setRetained(const QByteArray &topicLevel, const QByteArray &payload);
    // Says goodbye (online false), disconnects and drops the client. Waits at most a second.
    void stop();

signals:
    void reportChanged(const plant::Report &report);
    // An event of the history handed to the library to go late (the Sparkplug node sends it too).
    void sentLate(const events::Event &event);

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
    // The catch-up's next late events, and the events that left the buffer handed to it.
    void sendLate();
    void handOverLeft();
    // A message confirmed or refused by the broker (by its tag's id): done with, in the buffer
    // or the catch-up.
    void settle(quint64 id);
    void reportLate();
    void publishStatus();
    void publishDirect(const QByteArray &topicLevel, const QByteArray &payload, bool retained);
    // The online flag with this start's token.
    std::shared_ptr<mqtt::message> onlineMessage(bool online) const;
    // A live status or online flag under this id came with another start's token.
    void heardOtherHost();
    // Another host under this id said "false" (its goodbye, or the broker its will): the flag the
    // broker keeps is this one's "true" again.
    void heardGoodbye();
    void scheduleReconnect();
    void setState(LinkState state, const QString &error);
    void emitReport();

    // The tag of a late event carries its row id with this bit, a buffered message its buffer id.
    static constexpr quint64 lateTag = quint64(1) << 63;
    // The steady clock in ms.
    static qint64 steadyMs();

    struct Listeners;
    template <typename> friend struct ConnectListener;

    Config config;
    ConnectionSetup setup;
    QByteArray clientId;
    QByteArray topicBase;
    QString instance;
    OutBuffer buffer;
    QByteArray status;
    QMap<QByteArray, QByteArray> retainedLevels;
    std::unique_ptr<mqtt::async_client> client;
    std::unique_ptr<Listeners> listeners;
    CatchUp catchUp;
    // Takes the delivered events out of the history's outbox, retries a read; once a second.
    QTimer *outboxTimer = nullptr;
    qint64 lateSaidAt = 0;
    QTimer *retryTimer = nullptr;
    // Says the certificate's dates again as days pass.
    QTimer *noticeTimer = nullptr;
    // Ends the word on another host when it has been silent for otherHostMs.
    QTimer *otherHostTimer = nullptr;
    RetryPause retryPause;
    // Counts connections; callbacks of an earlier one are ignored. Read by Paho's threads.
    std::atomic<quint64> generation{0};
    bool isConnected = false;
    // Another host's token was heard on Paho's thread and is being said.
    std::atomic<bool> otherHeard{false};
    std::atomic<bool> goodbyeHeard{false};
    bool stopped = false;
    Report report;
    Report lastReport;
    bool reported = false;
};

} // namespace plant
