#include "plant/sparkplug_metrics.h"

#include "events/alarm_names.h"
#include "events/flag_watch.h"

#include <QJsonObject>

#include <cmath>
#include <functional>

namespace plant::sparkplug {

namespace {

struct Inputs {
    const protocol::DeviceState &state;
    const LinkInfo &link;
    const events::Sample &readings;
    QJsonObject alarms; // the status payload's, where the lamps' rules are
};

using Getter = std::function<Value(const Inputs &)>;

struct Table {
    std::vector<MetricDefinition> definitions;
    std::vector<Getter> getters;
};

Value reading(double value) {
    return std::isfinite(value) ? Value(float(value)) : Value();
}

Table makeTable() {
    Table t;
    const auto add = [&t](const QString &name, DataType type, Getter get,
                          const QString &unit = QString()) {
        t.definitions.push_back({name, type, unit, 0});
        t.getters.push_back(std::move(get));
    };
    // Every flag of the events table by its own name: an event of the history names its metric.
    const events::FlagWatch watch;
    for (const events::FlagWatch::Flag &f : watch.flags())
        add(QLatin1String(qstrcmp(f.category, "alarm") == 0 ? "Alarms/" : "States/") + f.name,
            DataType::Boolean, [f](const Inputs &in) { return Value(f.get(in.state, f.i, f.j)); });
    // The status page's alarm lamps by the plant's alarm keys, some of them several flags at
    // once (the temperature lamp, the drivers' two), as the status payload gives them.
    for (const events::AlarmName &a : events::systemAlarms) {
        const QString key = QLatin1String(a.key);
        add(QStringLiteral("Lamps/") + key, DataType::Boolean,
            [key](const Inputs &in) { return Value(in.alarms.value(key).toBool()); });
    }

    const QString celsius = QStringLiteral("°C");
    add(
        QStringLiteral("Temperatures/water_in"), DataType::Float,
        [](const Inputs &in) { return reading(in.readings.waterIn); }, celsius);
    add(
        QStringLiteral("Temperatures/water_out"), DataType::Float,
        [](const Inputs &in) { return reading(in.readings.waterOut); }, celsius);
    add(
        QStringLiteral("Temperatures/dew_point"), DataType::Float,
        [](const Inputs &in) { return reading(in.readings.dewPoint); }, celsius);
    // AI-1 arrives in hundredths.
    add(QStringLiteral("Inputs/analog_in_1"), DataType::Float,
        [](const Inputs &in) { return Value(float(in.state.analogIn1 / 100.0)); });
    add(QStringLiteral("Inputs/pwm_duty"), DataType::UInt8,
        [](const Inputs &in) { return Value(quint32(in.state.pwmDuty)); });
    add(QStringLiteral("Inputs/pwm_frequency"), DataType::UInt32,
        [](const Inputs &in) { return Value(quint32(in.state.pwmFreq)); });
    add(QStringLiteral("Product/type"), DataType::String,
        [](const Inputs &in) { return Value(in.state.productType); });
    add(QStringLiteral("Product/serial_number"), DataType::String,
        [](const Inputs &in) { return Value(in.state.serialNumber); });
    add(QStringLiteral("Product/ccb_date_time"), DataType::String,
        [](const Inputs &in) { return Value(in.state.ccbDateTime); });
    add(QStringLiteral("Versions/ccb"), DataType::String,
        [](const Inputs &in) { return Value(in.state.ccbVersion); });
    add(QStringLiteral("Versions/driver_board"), DataType::String,
        [](const Inputs &in) { return Value(in.state.driverBoardVersion[0][0]); });
    add(QStringLiteral("Link/port"), DataType::String,
        [](const Inputs &in) { return Value(in.link.portName); });
    add(QStringLiteral("Link/open"), DataType::Boolean,
        [](const Inputs &in) { return Value(in.link.open); });
    return t;
}

const Table &table() {
    static const Table t = makeTable();
    return t;
}

} // namespace

const std::vector<MetricDefinition> &laserMetrics() {
    return table().definitions;
}

Device laserDevice(const protocol::DeviceState &state, const LinkInfo &link,
                   const events::Sample &readings) {
    Device device;
    device.present =
        link.open && !link.lost && !(state.productType.isEmpty() && state.serialNumber.isEmpty());
    if (!device.present)
        return device;
    const QJsonObject status = statusObject(state, link, readings);
    const Inputs in{state, link, readings, status.value(QLatin1String("alarms")).toObject()};
    const Table &t = table();
    device.values.reserve(t.getters.size());
    for (const Getter &get : t.getters)
        device.values.push_back(get(in));
    return device;
}

} // namespace plant::sparkplug
