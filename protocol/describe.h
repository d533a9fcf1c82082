#pragma once

#include "protocol/system_settings.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One-line descriptions of frames in decoded values, for the journal and the history. Pure:
// nothing here changes a DeviceState.
namespace protocol {

// The message name of a received code ("SystemStatus", "Temperature"), "Code 9A" for codes the
// CCB knows without a handler here, "Unknown" otherwise.
QString receivedCodeName(quint8 code);
// The name of a frame the program sends ("ClearAllFaults", "DcSwitch", "ParameterRequest").
QString sentCodeName(quint8 code);

// A received frame in one line: "SystemStatus: DC on, laser ready, external e-stop",
// "Temperature T3 25.91 °C". Frames a parser would reject say why ("DewPoint: wrong length 7").
QString describeReceivedFrame(const QByteArray &frame);
// A frame the program sends: "DcSwitch on", "ParameterRequest read 40", "ParameterRequest
// write 40: mode automatic, ...".
QString describeSentFrame(const QByteArray &frame);

// The settings value in one line, e.g. "mode automatic, HPP off, PGM off, leakage 300,
// disabled: chiller, fiber interlock; red on beam".
QString describeSettings(const SystemSettings &settings);

// A temperature frame the parser accepts, at its full precision (hundredths of a degree).
struct TemperatureReading {
    bool valid = false;
    int channel = 0;    // 2 water in, 3 water out
    int hundredths = 0; // 0 .. 16383
};
TemperatureReading readTemperature(const QByteArray &frame);

// The CCB's float as the shortest decimal that reads back as the same float (12.3, not
// 12.300000190734863), for everything that passes the value on as a double.
double floatAsDecimal(float value);

} // namespace protocol
