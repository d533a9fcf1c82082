#pragma once

#include "link/port_entry.h"
#include "openable_ports.h"
#include "support/window_fixture.h"

#include <QByteArray>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <initializer_list>
#include <termios.h>
#include <unistd.h>

namespace linkfixture {

using namespace fixture;
using frames::bytes;
using frames::dcOnBit;
using frames::driverBoard;
using frames::driverSlot;
using frames::laserReadyBit;
using frames::systemStatus;
using frames::temperature;

// A second descriptor on the slave side, opened before the window opens it, to read back the
// line settings the window's port put on the terminal.
class LineSettings {
public:
    explicit LineSettings(const QString &slavePath)
        : fd(::open(slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~LineSettings() {
        if (fd >= 0)
            ::close(fd);
    }
    LineSettings(const LineSettings &) = delete;
    LineSettings &operator=(const LineSettings &) = delete;

    bool isValid() const { return fd >= 0; }
    termios now() const {
        termios tio{};
        tcgetattr(fd, &tio);
        return tio;
    }

private:
    int fd;
};

} // namespace linkfixture

namespace linkfixture {

// Another process may hold a reported port for a moment (every window being built opens each
// one in turn), so a list that differs is rebuilt and compared again before it counts as wrong.
template <typename Rebuild>
bool listsTheOpenablePorts(QStringList listed, Rebuild rebuild, QStringList *expected) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            QTest::qSleep(50);
            listed = rebuild();
        }
        *expected = portsThatOpenNow();
        if (listed == *expected)
            return true;
    }
    return false;
}

inline bool opensReadWrite(const QString &name) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        QSerialPort probe;
        probe.setPortName(name);
        if (probe.open(QIODevice::ReadWrite))
            return true;
        QTest::qSleep(50);
    }
    return false;
}

// A name as QSerialPort reports it back after setPortName ("/dev/pts/3" reads "pts/3").
inline QString nameAsPortSees(const QString &name) {
    QSerialPort reference;
    reference.setPortName(name);
    return reference.portName();
}

inline QStringList comboEntries(Serial &w) {
    QStringList entries;
    const QComboBox *combo = SerialProbe::form(w)->comboBoxCOM;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

} // namespace linkfixture
