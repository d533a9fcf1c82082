#include "link/port_list.h"

#include "link/port_entry.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace seriallink {

int listOpenablePorts(QSerialPort &port, const std::function<void(const QString &)> &onOpenable) {
    int opened = 0;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        port.setPort(info);
        if (!port.open(QIODevice::ReadWrite))
            continue;
        ++opened;
        if (onOpenable)
            onOpenable(portEntryText(info.portName(), info.description()));
        port.close();
    }
    return opened;
}

} // namespace seriallink
