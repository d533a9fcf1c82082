#pragma once

#include <QSerialPort>

namespace seriallink {

// Whether an error the open port reports means its device is gone (a USB adapter pulled out,
// the far end of a pseudo-terminal closed). Qt leaves the read notifier of such a port armed,
// so the port must be closed at once. Other errors (a write to a closed port, a time-out)
// change nothing.
bool meansDeviceGone(QSerialPort::SerialPortError error, bool portIsOpen);

} // namespace seriallink
