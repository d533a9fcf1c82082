#pragma once

#include "events/records.h"
#include "plant/broker_connection.h"
#include "plant/config.h"
#include "plant/link_report.h"
#include "plant/sparkplug_node.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>

class QTimer;

namespace mqtt {
class async_client;
} // namespace mqtt

namespace plant {

// The plant link's Sparkplug B edge node, on a broker connection of its own: its last will is
// the node's death (the JSON's is its online flag, and a connection has one will). Lives on the
// plant link's thread beside the publisher; the window offers it the laser on each refresh pass
// and never waits. Nothing is buffered: a message that could not go out belongs to a connection
// that is gone, and the next connection starts with a new bdSeq and its births.
class SparkplugLink : public QObject {
    Q_OBJECT

public:
    // Commands and STATE waiting for the link's thread at most; more are dropped and counted.
    static constexpr int largestInbox = 256;

    SparkplugLink(const Config &config, const QString &clientId, const QString &edgeNodeId);
    ~SparkplugLink() override;

    // Where the next bdSeq is kept across runs: beside the settings file, one file a node.
    static QString bdSeqPath(const Config &config, const QString &edgeNodeId);

    // From any thread, without waiting: the laser as this refresh pass saw it. Only the newest
    // waits for the link's thread.
    void offer(sparkplug::Device device);

public slots:
    void start();
    // An alarm or state event as it happens: its edge goes with the next DDATA at its own time.
    void liveEvent(const events::Event &event);
    // An alarm or state event of the history that the hosts did not get in time: its flag's
    // edge as a DDATA marked is_historical. Counted as not sent while the laser has no birth.
    void late(const events::Event &event);
    // Publishes NDEATH and disconnects; waits at most a second.
    void stop();

signals:
    void reportChanged(const plant::Report &report);

private:
    void connectNow();
    void connected(quint64 generation);
    void connectFailed(quint64 generation, int code);
    void lostConnection(const QString &why, bool retry = true);
    void retryLater();
    void takeOffered();
    void received(const QByteArray &topic, const QByteArray &payload);
    void send(const sparkplug::Reaction &reaction);
    void keepBdSeq();
    void setState(LinkState state, const QString &error);
    void emitReport(bool soon = false);

    struct Listeners;
    template <typename> friend struct ConnectListener;

    Config config;
    ConnectionSetup setup;
    QByteArray clientId;
    sparkplug::EdgeNode node;
    QString bdSeqFile;
    QString bdSeqProblem;
    std::unique_ptr<mqtt::async_client> client;
    std::unique_ptr<Listeners> listeners;
    QTimer *retryTimer = nullptr;
    QTimer *reportTimer = nullptr;
    RetryPause retryPause;
    std::atomic<quint64> generation{0};
    bool isConnected = false;
    bool stopped = false;
    QMutex offerLock;
    sparkplug::Device offered;
    bool offerWaiting = false;
    std::atomic<int> inbox{0};
    std::atomic<quint64> overflow{0};
    quint64 births = 0;
    quint64 lateUnsent = 0;
    // Late edges held for the device's birth (a primary host not yet online), 10,000 at most.
    std::deque<events::Event> heldLate;
    Report report;
    Report lastReport;
    bool reported = false;
};

} // namespace plant
