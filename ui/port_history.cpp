#include "ui/port_history.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace porthistory {

bool isPortError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
    // A failed open is kept as open_failed with its reason.
    case QSerialPort::OpenError:
    case QSerialPort::PermissionError:
    case QSerialPort::DeviceNotFoundError:
    // A command clicked while the port is closed sends nothing; that is no fault of the port.
    case QSerialPort::NotOpenError:
        return false;
    default:
        return true;
    }
}

QString describePort(const QSerialPort &port) {
    const QSerialPortInfo info(port);
    return info.isNull() ? QString() : info.description();
}

} // namespace porthistory
