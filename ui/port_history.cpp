#include "ui/port_history.h"

#include "history/recorder.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace porthistory {

void watchErrors(QSerialPort &port, history::Recorder &recorder) {
    QObject::connect(&port, &QSerialPort::errorOccurred, &recorder,
                     [&port, &recorder](QSerialPort::SerialPortError error) {
                         switch (error) {
                         case QSerialPort::NoError:
                         case QSerialPort::OpenError:
                         case QSerialPort::PermissionError:
                         case QSerialPort::DeviceNotFoundError:
                             return;
                         case QSerialPort::ResourceError:
                             recorder.deviceGone(port.portName(), port.errorString());
                             return;
                         default:
                             recorder.portError(port.portName(), port.errorString());
                             return;
                         }
                     });
}

QString describePort(const QSerialPort &port) {
    const QSerialPortInfo info(port);
    return info.isNull() ? QString() : info.description();
}

} // namespace porthistory
