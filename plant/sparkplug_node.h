#pragma once

#include "plant/plant_id.h"
#include "plant/sparkplug_payload.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace plant::sparkplug {

// One message to publish, in the order given.
struct Outgoing {
    QByteArray topic;
    QByteArray payload;
    int qos = 0;
    bool retained = false;
};

// What the broker connection does after an input: publish these, in order, then disconnect
// when asked (the primary host went offline: connect again and wait for it).
struct Reaction {
    std::vector<Outgoing> publish;
    bool disconnect = false;
};

struct NodeSettings {
    QString groupId;
    QString edgeNodeId; // the plant link's laser id
    QString deviceId = QStringLiteral("laser");
    QString primaryHostId; // empty: births go out as soon as the broker takes the connection
};

// The device on a refresh pass: its values in the order of the definitions, while it is there.
struct Device {
    bool present = false;
    std::vector<Value> values;
};

// What the node was sent and what it made of it, counted from the start.
struct Counts {
    quint64 rebirths = 0;     // births sent again on a host's request
    quint64 refused = 0;      // NCMDs other than a rebirth, every DCMD: nothing writes the laser
    quint64 unreadable = 0;   // commands and STATE too large or not readable
    quint64 notOurs = 0;      // messages on topics of another node or host
    quint64 staleStates = 0;  // STATE older than the last one of this connection
    quint64 edgesDropped = 0; // edges beyond largestEdges in one pass
};

// The rules of a Sparkplug B edge node with one device: the host PC is the node, the laser on
// its port the device. No client, no timer: each call says what happened and returns what to
// publish. `now` is ms since 1970, UTC.
class EdgeNode {
public:
    static constexpr quint64 rebirthAlias = 1;
    static constexpr quint64 bdSeqAlias = 2;
    static constexpr quint64 firstDeviceAlias = 10;
    // Births at most once a second; a rebirth asked for sooner is served by the first refresh
    // after it.
    static constexpr qint64 rebirthGapMs = 1000;
    // Edges kept for one refresh pass at most; more are counted and dropped.
    static constexpr size_t largestEdges = 256;
    // A topic longer than any the node subscribes to is none of its commands: the namespace, a
    // type and three ids (group, node, a device), each of four UTF-8 bytes a character at most.
    static constexpr int longestTopicBytes = 32 + 3 * 4 * plant::maxPlantIdCharacters;

    // `nextBdSeq` is the bdSeq of the first connection (kept across runs by the caller).
    EdgeNode(NodeSettings settings, std::vector<MetricDefinition> deviceMetrics,
             quint8 nextBdSeq = 0);

    // The topic filters to subscribe to (QoS 1) on each connection, before what connected()
    // returns is published.
    std::vector<QByteArray> subscriptions() const;
    // The NDEATH to give the broker as the will of the next connection attempt (QoS 1, not
    // retained); each call starts a new connection's bdSeq.
    Outgoing will(qint64 now);
    // The bdSeq the next will() takes: keep it for the next run.
    quint8 nextBdSeq() const { return bdSeqNext; }

    // The broker took the connection: the births, or nothing yet while a named primary host is
    // not known to be online.
    Reaction connected(qint64 now);
    // The connection is gone (its will tells the hosts); nothing is published until the next.
    void connectionLost();
    // Before a clean disconnect: the NDEATH the broker would otherwise not send.
    Reaction leaving(qint64 now);
    // One refresh pass: the device's birth or death, or one DDATA of what changed.
    Reaction refresh(const Device &device, qint64 now);
    // A flag's edge the hosts missed, as it was at `at` (an alarm or state event of the history
    // sent late): one DDATA of that Boolean metric marked is_historical. Nothing while the
    // device has no birth on this connection (send it after the next), nor for a name that is
    // not one of its Boolean metrics.
    Reaction late(const QString &metric, bool on, qint64 at, qint64 now);
    // A flag's edge as it happened (an alarm or state event, live): it goes with the next DDATA
    // at its own time, so that an alarm that rose and cleared between two passes is seen too.
    // Nothing while the device has no birth (the birth says the flags as they are).
    void edge(const QString &metric, bool on, qint64 at);
    // The index of a device metric by its name ("Alarms/chillerFault"), or -1.
    int metricIndex(const QString &name) const { return indexByName.value(name, -1); }
    // A message on one of the subscriptions (or anything a broker sends).
    Reaction received(const QByteArray &topic, const QByteArray &payload, qint64 now);

    // Connected, a primary host named, and no births yet: its STATE online has not come.
    bool waitingForHost() const { return isConnected && !born && !stateTopic.isEmpty(); }
    // The device's birth is out on this connection (and no death since).
    bool deviceAnnounced() const { return deviceBorn; }
    const Counts &counts() const { return tally; }
    // The bdSeq of the connection now or last made, and the seq the next message takes.
    quint8 connectionBdSeq() const { return bdSeq; }
    quint8 nextSeq() const { return seq; }
    const std::vector<MetricDefinition> &deviceMetrics() const { return metrics; }

private:
    Reaction births(qint64 now);
    bool rebirthAllowed(qint64 now) const;
    Reaction command(const QByteArray &payload, qint64 now);
    Reaction hostState(const QByteArray &payload, qint64 now);
    Outgoing deviceBirth(qint64 now);
    Outgoing message(const QByteArray &topic, QByteArray payload, int qos = 0) const;

    std::vector<MetricDefinition> metrics;
    std::vector<MetricDefinition> nodeMetrics;
    QHash<QString, int> indexByName;
    QByteArray nbirth, ndeath, ncmd, dbirth, ddata, ddeath, dcmdPrefix, stateTopic;
    quint8 bdSeqNext = 0;
    quint8 bdSeq = 0;
    quint8 seq = 0;
    bool isConnected = false;
    bool born = false;       // NBIRTH out on this connection
    bool deviceBorn = false; // DBIRTH out, no DDEATH since
    bool hostSeen = false;
    qint64 hostTimestamp = 0;
    bool rebirthDue = false;
    qint64 bornAt = 0;
    Device device;
    std::vector<Value> sent; // the device's values as the host last saw them
    std::vector<Edge> edges; // since the last pass
    Counts tally;
};

} // namespace plant::sparkplug
