#include "plant/sparkplug_node.h"

#include <utility>

namespace plant::sparkplug {

namespace {

const QByteArray namespaceLevel = QByteArrayLiteral("spBv1.0/");

} // namespace

EdgeNode::EdgeNode(NodeSettings settings, std::vector<MetricDefinition> deviceMetrics,
                   quint8 nextBdSeq)
    : metrics(std::move(deviceMetrics)), bdSeqNext(nextBdSeq) {
    for (size_t i = 0; i < metrics.size(); ++i) {
        metrics[i].alias = firstDeviceAlias + i;
        indexByName.insert(metrics[i].name, int(i));
    }
    nodeMetrics = {{QLatin1String(bdSeqMetric), DataType::Int64, QString(), bdSeqAlias},
                   {QLatin1String(rebirthMetric), DataType::Boolean, QString(), rebirthAlias}};

    const QByteArray group = namespaceLevel + settings.groupId.toUtf8() + '/';
    const QByteArray node = '/' + settings.edgeNodeId.toUtf8();
    const QByteArray device = node + '/' + settings.deviceId.toUtf8();
    nbirth = group + "NBIRTH" + node;
    ndeath = group + "NDEATH" + node;
    ncmd = group + "NCMD" + node;
    dbirth = group + "DBIRTH" + device;
    ddata = group + "DDATA" + device;
    ddeath = group + "DDEATH" + device;
    dcmdPrefix = group + "DCMD" + node + '/';
    if (!settings.primaryHostId.isEmpty())
        stateTopic = namespaceLevel + "STATE/" + settings.primaryHostId.toUtf8();
}

std::vector<QByteArray> EdgeNode::subscriptions() const {
    // Every device's DCMD, so that a write to any of them is seen and refused.
    std::vector<QByteArray> topics{ncmd, dcmdPrefix + '+'};
    if (!stateTopic.isEmpty())
        topics.push_back(stateTopic);
    return topics;
}

Outgoing EdgeNode::will(qint64 now) {
    bdSeq = bdSeqNext++;
    return message(ndeath, nodeDeathPayload(now, bdSeq), 1);
}

Reaction EdgeNode::connected(qint64 now) {
    isConnected = true;
    born = false;
    deviceBorn = false;
    // The broker hands the host's retained STATE over again on this connection: an earlier
    // connection's timestamps (perhaps of a clock since put right) bound nothing here.
    hostSeen = false;
    if (!stateTopic.isEmpty())
        return {};
    return births(now);
}

void EdgeNode::connectionLost() {
    isConnected = false;
    born = false;
    deviceBorn = false;
    edges.clear();
}

Reaction EdgeNode::leaving(qint64 now) {
    if (!isConnected)
        return {};
    connectionLost();
    return {{message(ndeath, nodeDeathPayload(now, bdSeq), 1)}, false};
}

Reaction EdgeNode::refresh(const Device &seen, qint64 now) {
    device = seen;
    std::vector<Edge> between;
    between.swap(edges);
    if (device.present && device.values.size() != metrics.size())
        device.present = false; // not this node's device: never half a birth
    if (!born)
        return {};
    if (rebirthDue && rebirthAllowed(now)) {
        ++tally.rebirths;
        return births(now);
    }
    if (device.present && !deviceBorn)
        return {{deviceBirth(now)}, false};
    if (!device.present && deviceBorn) {
        deviceBorn = false;
        return {{message(ddeath, deviceDeathPayload(now, seq++))}, false};
    }
    if (!device.present)
        return {};
    std::vector<int> changed;
    for (size_t i = 0; i < metrics.size(); ++i)
        if (!(device.values[i] == sent[i]))
            changed.push_back(int(i));
    if (changed.empty() && between.empty())
        return {};
    sent = device.values;
    return {{message(ddata, dataPayload(now, seq++, metrics, sent, changed, between))}, false};
}

void EdgeNode::edge(const QString &metric, bool on, qint64 at) {
    const int i = metricIndex(metric);
    if (!deviceBorn || i < 0 || metrics[size_t(i)].type != DataType::Boolean)
        return;
    if (edges.size() >= largestEdges)
        ++tally.edgesDropped;
    else
        edges.push_back({i, on, at});
}

Reaction EdgeNode::late(const QString &metric, bool on, qint64 at, qint64 now) {
    const int i = metricIndex(metric);
    if (!deviceBorn || i < 0 || metrics[size_t(i)].type != DataType::Boolean)
        return {};
    return {{message(ddata, latePayload(now, seq++, metrics[size_t(i)], Value(on), at))}, false};
}

Reaction EdgeNode::received(const QByteArray &topic, const QByteArray &payload, qint64 now) {
    if (!stateTopic.isEmpty() && topic == stateTopic)
        return hostState(payload, now);
    if (topic == ncmd)
        return command(payload, now);
    if (topic.startsWith(dcmdPrefix) && topic.size() > dcmdPrefix.size() &&
        topic.indexOf('/', dcmdPrefix.size()) < 0) {
        ++tally.refused;
        return {};
    }
    ++tally.notOurs;
    return {};
}

Reaction EdgeNode::command(const QByteArray &payload, qint64 now) {
    const NodeCommand c = readNodeCommand(payload, rebirthAlias);
    if (!c.readable) {
        ++tally.unreadable;
        return {};
    }
    if (c.refused > 0)
        ++tally.refused;
    if (!c.rebirth || !born)
        return {}; // before the births nothing is to be sent again
    rebirthDue = true;
    if (!rebirthAllowed(now))
        return {}; // the first refresh pass a second after the births sends them again
    ++tally.rebirths;
    return births(now);
}

bool EdgeNode::rebirthAllowed(qint64 now) const {
    // A clock put back counts as time enough.
    return now < bornAt || now - bornAt >= rebirthGapMs;
}

Reaction EdgeNode::hostState(const QByteArray &payload, qint64 now) {
    const HostState state = readHostState(payload);
    if (!state.readable) {
        ++tally.unreadable;
        return {};
    }
    if (hostSeen && state.timestamp < hostTimestamp) {
        ++tally.staleStates;
        return {};
    }
    hostSeen = true;
    hostTimestamp = state.timestamp;
    if (!isConnected)
        return {};
    if (state.online && !born)
        return births(now);
    if (!state.online && born) {
        // The hosts must see this node go; the next connection waits for the host again, and
        // nothing goes out on this one meanwhile.
        connectionLost();
        return {{message(ndeath, nodeDeathPayload(now, bdSeq), 1)}, true};
    }
    return {};
}

Reaction EdgeNode::births(qint64 now) {
    seq = 0;
    born = true;
    bornAt = now;
    rebirthDue = false;
    deviceBorn = false;
    edges.clear();
    Reaction r;
    r.publish.push_back(message(
        nbirth, birthPayload(now, seq++, nodeMetrics, {Value(quint64(bdSeq)), Value(false)})));
    if (device.present)
        r.publish.push_back(deviceBirth(now));
    return r;
}

Outgoing EdgeNode::deviceBirth(qint64 now) {
    deviceBorn = true;
    sent = device.values;
    return message(dbirth, birthPayload(now, seq++, metrics, sent));
}

Outgoing EdgeNode::message(const QByteArray &topic, QByteArray payload, int qos) const {
    return Outgoing{topic, std::move(payload), qos, false};
}

} // namespace plant::sparkplug
