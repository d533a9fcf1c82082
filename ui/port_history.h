#pragma once

#include <QString>

class QSerialPort;
namespace history {
class Recorder;
}

// What the port tells the history beyond the window's own calls.
namespace porthistory {

// Records the port's run-time errors: a vanished device (ResourceError) as device_gone, others
// as port_error. Errors of a failed open are left to the open_failed row.
void watchErrors(QSerialPort &port, history::Recorder &recorder);

// The system's description of the port (e.g. the adapter's name), or empty.
QString describePort(const QSerialPort &port);

} // namespace porthistory
