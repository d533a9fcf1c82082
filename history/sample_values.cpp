#include "history/sample_values.h"

#include "protocol/describe.h"

#include <cmath>

namespace history {

void SampleValues::frameApplied(quint8 code, const QByteArray &frame,
                                const protocol::DeviceState &state) {
    if (code == 0xE0) {
        const protocol::TemperatureReading t = protocol::readTemperature(frame);
        if (t.valid && t.channel == 2)
            waterIn = t.hundredths / 100.0;
        else if (t.valid && t.channel == 3)
            waterOut = t.hundredths / 100.0;
    } else if (code == 0xE4) {
        dewPoint = protocol::floatAsDecimal(state.dewPointTemp);
    }
}

void SampleValues::clearValues() {
    waterIn = waterOut = dewPoint = noValue;
}

bool SampleValues::any() const {
    return !(std::isnan(waterIn) && std::isnan(waterOut) && std::isnan(dewPoint));
}

events::Sample SampleValues::sample(qint64 at) const {
    events::Sample s;
    s.at = at;
    s.waterIn = waterIn;
    s.waterOut = waterOut;
    s.dewPoint = dewPoint;
    return s;
}

} // namespace history
