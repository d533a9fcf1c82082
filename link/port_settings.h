#pragma once

#include <QSerialPort>

#include <optional>

namespace seriallink {

// The settings the program always opens with: 115200 baud both directions, 8 data bits,
// no parity, one stop bit. Flow control stays at the port's default (none).
void applyFixedSettings(QSerialPort &port);

// The index tables of the four setting slots. An index outside a table yields nothing.
std::optional<qint32> baudRateAt(int index);
std::optional<QSerialPort::DataBits> dataBitsAt(int index);
std::optional<QSerialPort::Parity> parityAt(int index);
std::optional<QSerialPort::StopBits> stopBitsAt(int index);

} // namespace seriallink
