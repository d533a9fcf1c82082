#pragma once

#include "link/port_entry.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStringList>

// What the system offers differs from machine to machine (pseudo-terminals are never
// reported), so the expected list is worked out by trying each reported port directly.
inline QStringList portsThatOpenNow() {
    QStringList entries;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        QSerialPort probe(info);
        if (probe.open(QIODevice::ReadWrite)) {
            entries << seriallink::portEntryText(info.portName(), info.description());
            probe.close();
        }
    }
    return entries;
}
