#pragma once

#include <QSerialPort>
#include <QString>

// What the port tells the history beyond the window's own calls.
namespace porthistory {

// Whether an error the port reports belongs in the history as port_error. A vanished device is
// recorded as device_gone by the window, the errors of a failed open as open_failed.
bool isPortError(QSerialPort::SerialPortError error);

// The system's description of the port (e.g. the adapter's name), or empty.
QString describePort(const QSerialPort &port);

} // namespace porthistory
