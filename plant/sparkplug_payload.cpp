#include "plant/sparkplug_payload.h"

#include "sparkplug_b.pb.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace plant::sparkplug {

const char *const rebirthMetric = "Node Control/Rebirth";
const char *const bdSeqMetric = "bdSeq";

namespace {

using Payload = sparkplug_b::Payload;

quint64 wireTime(qint64 at) {
    return at > 0 ? quint64(at) : 0;
}

std::string utf8(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// The field a number goes in follows the data type, not the width of the value: UInt32 takes
// the 64-bit field, as Int64 does (room for every value without a sign).
void setNumber(Payload::Metric *metric, DataType type, quint64 value) {
    if (type == DataType::Int64 || type == DataType::UInt32)
        metric->set_long_value(value);
    else
        metric->set_int_value(quint32(value));
}

void setValue(Payload::Metric *metric, DataType type, const Value &value) {
    switch (value.index()) {
    case 1:
        metric->set_boolean_value(std::get<bool>(value));
        break;
    case 2:
        metric->set_float_value(std::get<float>(value));
        break;
    case 3:
        setNumber(metric, type, std::get<quint32>(value));
        break;
    case 4:
        setNumber(metric, type, std::get<quint64>(value));
        break;
    case 5:
        metric->set_string_value(utf8(std::get<QString>(value)));
        break;
    default:
        metric->set_is_null(true);
        break;
    }
}

QByteArray bytesOf(const Payload &payload) {
    const std::string bytes = payload.SerializeAsString();
    return QByteArray(bytes.data(), int(bytes.size()));
}

void addData(Payload &payload, const MetricDefinition &d, const Value &value, qint64 at) {
    Payload::Metric *metric = payload.add_metrics();
    if (d.alias != 0)
        metric->set_alias(d.alias);
    else
        metric->set_name(utf8(d.name));
    metric->set_timestamp(wireTime(at));
    // A host takes the type from the birth, but the Sparkplug project's own decoder reads no
    // value without it: two bytes a metric.
    metric->set_datatype(quint32(d.type));
    setValue(metric, d.type, value);
}

} // namespace

QByteArray birthPayload(qint64 at, quint8 seq, const std::vector<MetricDefinition> &metrics,
                        const std::vector<Value> &values) {
    Payload payload;
    payload.set_timestamp(wireTime(at));
    payload.set_seq(seq);
    for (size_t i = 0; i < metrics.size() && i < values.size(); ++i) {
        const MetricDefinition &d = metrics[i];
        Payload::Metric *metric = payload.add_metrics();
        metric->set_name(utf8(d.name));
        if (d.alias != 0)
            metric->set_alias(d.alias);
        metric->set_timestamp(wireTime(at));
        metric->set_datatype(quint32(d.type));
        if (!d.unit.isEmpty()) {
            Payload::PropertySet *properties = metric->mutable_properties();
            properties->add_keys("engUnit");
            Payload::PropertyValue *unit = properties->add_values();
            unit->set_type(quint32(DataType::String));
            unit->set_string_value(utf8(d.unit));
        }
        setValue(metric, d.type, values[i]);
    }
    return bytesOf(payload);
}

QByteArray dataPayload(qint64 at, quint8 seq, const std::vector<MetricDefinition> &metrics,
                       const std::vector<Value> &values, const std::vector<int> &changed,
                       const std::vector<Edge> &edges) {
    Payload payload;
    payload.set_timestamp(wireTime(at));
    payload.set_seq(seq);
    for (const Edge &e : edges)
        if (e.index >= 0 && size_t(e.index) < metrics.size())
            addData(payload, metrics[size_t(e.index)], Value(e.on), e.at);
    for (const int i : changed)
        if (i >= 0 && size_t(i) < metrics.size() && size_t(i) < values.size())
            addData(payload, metrics[size_t(i)], values[size_t(i)], at);
    return bytesOf(payload);
}

QByteArray latePayload(qint64 now, quint8 seq, const MetricDefinition &metric, const Value &value,
                       qint64 at) {
    Payload payload;
    payload.set_timestamp(wireTime(now));
    payload.set_seq(seq);
    addData(payload, metric, value, at);
    payload.mutable_metrics(0)->set_is_historical(true);
    return bytesOf(payload);
}

QByteArray nodeDeathPayload(qint64 at, quint64 bdSeq) {
    Payload payload;
    payload.set_timestamp(wireTime(at));
    Payload::Metric *metric = payload.add_metrics();
    metric->set_name(bdSeqMetric);
    metric->set_timestamp(wireTime(at));
    metric->set_datatype(quint32(DataType::Int64));
    metric->set_long_value(bdSeq);
    return bytesOf(payload);
}

QByteArray deviceDeathPayload(qint64 at, quint8 seq) {
    Payload payload;
    payload.set_timestamp(wireTime(at));
    payload.set_seq(seq);
    return bytesOf(payload);
}

NodeCommand readNodeCommand(const QByteArray &bytes, quint64 rebirthAlias) {
    NodeCommand command;
    Payload payload;
    if (bytes.size() > largestIncomingBytes ||
        !payload.ParseFromArray(bytes.constData(), bytes.size()))
        return command;
    command.readable = true;
    for (const Payload::Metric &metric : payload.metrics()) {
        const bool named = metric.has_name() ? metric.name() == rebirthMetric
                                             : metric.has_alias() && metric.alias() == rebirthAlias;
        if (named && metric.value_case() == Payload::Metric::kBooleanValue &&
            metric.boolean_value())
            command.rebirth = true;
        else
            ++command.refused;
    }
    if (payload.metrics_size() == 0)
        command.refused = 1; // asks nothing the node does
    return command;
}

HostState readHostState(const QByteArray &bytes) {
    HostState state;
    if (bytes.size() > largestIncomingBytes)
        return state;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonValue online = document.object().value(QLatin1String("online"));
    const QJsonValue timestamp = document.object().value(QLatin1String("timestamp"));
    // Whole milliseconds that a double holds exactly: no 1e300, no fraction, nothing negative.
    const double at = timestamp.toDouble(-1);
    if (!online.isBool() || !timestamp.isDouble() || !(at >= 0 && at <= 9007199254740992.0) ||
        std::floor(at) != at)
        return state;
    state.readable = true;
    state.online = online.toBool();
    state.timestamp = qint64(at);
    return state;
}

} // namespace plant::sparkplug
