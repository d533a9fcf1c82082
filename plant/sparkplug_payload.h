#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <variant>
#include <vector>

// The Sparkplug B payloads of an edge node: what it sends (births, data, deaths) as bytes, and
// what it reads (commands, a host's STATE), bounded and never trusted.
namespace plant::sparkplug {

// A metric's data type, numbered as on the wire.
enum class DataType : quint32 {
    Int64 = 4,
    UInt8 = 5,
    UInt32 = 7,
    Float = 9,
    Boolean = 11,
    String = 12,
};

// A metric's value; std::monostate is null: nothing received yet.
using Value = std::variant<std::monostate, bool, float, quint32, quint64, QString>;

struct MetricDefinition {
    QString name; // folders with '/', e.g. "Temperatures/water_in"
    DataType type = DataType::Boolean;
    QString unit;      // the "engUnit" property; empty: none
    quint64 alias = 0; // 0: none
};

// The names the host applications know: the rebirth request and the connection's number.
extern const char *const rebirthMetric;
extern const char *const bdSeqMetric;

// A birth (NBIRTH, DBIRTH): every metric with its name, alias, data type, unit and value.
QByteArray birthPayload(qint64 at, quint8 seq, const std::vector<MetricDefinition> &metrics,
                        const std::vector<Value> &values);
// A Boolean metric's edge at a time of its own (an alarm that rose and cleared between two
// passes): the metric at `index`.
struct Edge {
    int index = 0;
    bool on = false;
    qint64 at = 0;
};
// DDATA: the `edges` each at its time, then the metrics at `changed` at `at`; by alias alone
// (by name where they have none).
QByteArray dataPayload(qint64 at, quint8 seq, const std::vector<MetricDefinition> &metrics,
                       const std::vector<Value> &values, const std::vector<int> &changed,
                       const std::vector<Edge> &edges = {});
// DDATA of one metric as it was at `at`, sent late (is_historical): an event of the history.
QByteArray latePayload(qint64 now, quint8 seq, const MetricDefinition &metric, const Value &value,
                       qint64 at);
// NDEATH: the connection's number only, no seq (it is the will, made before the connection).
QByteArray nodeDeathPayload(qint64 at, quint64 bdSeq);
// DDEATH: no metrics.
QByteArray deviceDeathPayload(qint64 at, quint8 seq);

// Commands and STATE are a few dozen bytes; anything larger is refused unread.
constexpr int largestIncomingBytes = 4096;

// What an NCMD asks of the node.
struct NodeCommand {
    bool readable = false; // false: too large or not a payload
    bool rebirth = false;  // "Node Control/Rebirth" (or its alias) set to true
    int refused = 0;       // every other metric: a write, or a name the node does not have
};
NodeCommand readNodeCommand(const QByteArray &payload, quint64 rebirthAlias);

// A host application's STATE: {"online":true,"timestamp":1796662420295}.
struct HostState {
    bool readable = false;
    bool online = false;
    qint64 timestamp = 0; // ms since 1970, UTC, by the host's clock
};
HostState readHostState(const QByteArray &payload);

} // namespace plant::sparkplug
