#pragma once

#include "plant/broker_connection.h"
#include "plant/config.h"
#include "plant/fleet_messages.h"
#include "plant/inbox.h"
#include "plant/link_report.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <memory>

class QTimer;

namespace mqtt {
class async_client;
}

namespace plant {

class PacketGate;

// The fleet's read-only broker connection. Lives on its own thread: subscribes to the online,
// status and events topics of every laser, reconnects by itself like the publisher, parses what
// arrives and hands it over in batches, at most ten a second. It never publishes and leaves no
// last will. While the receiver has not taken the last batch, new messages wait in an inbox.
// The inbox and the batch out hold at most heldByteCapacity bytes together (heldBytes of each
// message, its copy of the payload included); when they are full, the broker's messages wait
// in the broker for up to ten seconds (nothing more is read from it), and beyond that they are
// counted as overrun.
class Subscriber : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultInboxCapacity = 50000;
    static constexpr qint64 heldByteCapacity = 32 * 1024 * 1024;
    Subscriber(const Config &config, const QString &clientId,
               int inboxCapacity = defaultInboxCapacity);
    ~Subscriber() override;

    // From any thread: stop() is coming. Work under way (a wait for room, a batch being read)
    // ends at once.
    void requestStop();

public slots:
    void start();
    // The receiver is done with the last batch: the next one may come.
    void batchTaken();
    // Disconnects and drops the client. Waits at most a second.
    void stop();

signals:
    void reportChanged(const plant::Report &report);
    void batchReady(const plant::FleetBatch &batch);

private:
    using Raw = Inbox::Raw;
    // On Paho's thread.
    void arrived(Raw raw);
    void connectNow();
    void connected(quint64 generation);
    void connectFailed(quint64 generation, int code);
    void subscribed(quint64 generation, bool ok);
    void lostConnection(quint64 generation, const QString &why);
    void drain();
    // Whether `m` is the first message of its topic on `connection`. Under "retain as published"
    // only such a retained one is the broker's stored copy: the broker sends its copies as it
    // takes the subscription, before anything published after.
    bool firstOfItsTopic(quint64 connection, const FleetMessage &m);
    void setState(LinkState state, const QString &error);

    struct Listeners;
    template <typename> friend struct ConnectListener;

    Config config;
    ConnectionSetup setup;
    QByteArray clientId;
    std::unique_ptr<mqtt::async_client> client;
    std::unique_ptr<Listeners> listeners;
    // Between the client and the broker, one for each connection (see packet_gate.h).
    std::unique_ptr<PacketGate> gate;
    quint64 readPast = 0; // publishes too large that the gate read past, since the last batch
    QTimer *retryTimer = nullptr;
    QTimer *drainTimer = nullptr;
    // Says the certificate's dates again as days pass.
    QTimer *noticeTimer = nullptr;
    RetryPause retryPause;
    std::atomic<quint64> generation{0};
    bool isConnected = false;
    bool stopped = false;
    bool batchOut = false;
    int subscribesLeft = 0; // of the connection being made
    QElapsedTimer sinceDrain;
    std::atomic<bool> retainAsPublished{false};
    // The retained topics seen on the connection `topicsConnection`: room for every
    // laser the fleet keeps, its three retained topics.
    static constexpr int maxTopicsSeen = 12000;
    QSet<QString> topicsSeen;
    quint64 topicsConnection = 0;
    Report report;
    Inbox inbox;
};

} // namespace plant
