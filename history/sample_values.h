#pragma once

#include "events/records.h"
#include "protocol/device_state.h"

#include <QByteArray>
#include <QtGlobal>

#include <limits>

namespace history {

// The values a sample takes, as received since the port opened: the water temperatures and the
// dew point, to 0.01 °C; NaN where none came yet.
class SampleValues {
public:
    // A frame applied to `state`: its temperature or dew point, if it carries one.
    void frameApplied(quint8 code, const QByteArray &frame, const protocol::DeviceState &state);
    void clearValues();
    // Whether any value came since the last clear.
    bool any() const;
    events::Sample sample(qint64 at) const;

private:
    static constexpr double noValue = std::numeric_limits<double>::quiet_NaN();

    double waterIn = noValue;
    double waterOut = noValue;
    double dewPoint = noValue;
};

} // namespace history
