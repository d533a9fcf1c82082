#pragma once

#include "link/port_entry.h"
#include "protocol/frame.h"
#include "support/modal.h"
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/work_dir.h"
#include "openable_ports.h"

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

// The window's images live in the static ui library's resources.
inline void initLinkTestResources() {
    Q_INIT_RESOURCE(resources);
}

namespace linkfixture {

inline QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// System status (0xE6) with three flag bytes; offset 4 carries laser-ready and DC-on.
constexpr quint8 laserReadyBit = 0x10;
constexpr quint8 dcOnBit = 0x20;
inline QByteArray systemStatus(quint8 b2, quint8 b3, quint8 b4) {
    QByteArray frame = bytes({0xE6, 0x05, b2, b3, b4});
    protocol::appendCheckBytes(frame);
    return frame;
}

// Temperature (0xE0) carries no check bytes: raw 14-bit value, channel, a zero byte.
// Channel 2 is water in, raw / 100 in whole degrees.
inline QByteArray temperature(int raw, int channel) {
    return bytes({0xE0, 0x04, (raw >> 7) & 0x7F, raw & 0x7F, channel, 0x00});
}

// Driver board (0xD2, 31 bytes): the six-character version lands in [board][channel].
// Versions of every slot but [0][0] survive a device-state reset.
inline QByteArray driverBoard(int board, int channel, const QByteArray &version) {
    QByteArray frame = bytes({0xD2, 29});
    frame.append(QByteArray(17, '\0')); // offsets 2 to 18: no fault flags, uninterpreted
    frame.append(version.left(6).leftJustified(6, '0'));
    frame.append(QByteArray(2, '\0'));
    frame.append(char(((channel / 4) << 4) | (channel % 4)));
    frame.append(char(board));
    protocol::appendCheckBytes(frame);
    return frame;
}

// Puts `entry` into comboBoxCOM and makes it current, as the user would pick it.
inline void selectEntry(Serial &w, const QString &entry) {
    QComboBox *combo = SerialProbe::form(w)->comboBoxCOM;
    combo->addItem(entry);
    combo->setCurrentIndex(combo->count() - 1);
}

inline void clickSwitch(Serial &w) {
    QTest::mouseClick(SerialProbe::form(w)->pushButtonSerialSwitch, Qt::LeftButton);
}

// Picks the pseudo-terminal and opens it with the switch button.
inline bool openOn(Serial &w, const PtyPair &pty) {
    selectEntry(w, pty.entryText());
    clickSwitch(w);
    return SerialProbe::portOpen(w) && SerialProbe::port(w)->isOpen();
}

// Processes events until `done` holds or `timeoutMs` has passed, looking after every batch of
// events: with the 1 ms tick always due, Qt's own waits look far less often than that.
template <typename Done> bool waitUntil(Done done, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QTest::qSleep(1);
    }
    return true;
}

// Counts the window's quiet-line passes: rxTimer timeouts, seen after the window's own slot.
class PassCounter {
public:
    explicit PassCounter(Serial &w) {
        connection = QObject::connect(SerialProbe::rxTimer(w), &QTimer::timeout, [this] { ++n; });
    }
    ~PassCounter() { QObject::disconnect(connection); }
    PassCounter(const PassCounter &) = delete;
    PassCounter &operator=(const PassCounter &) = delete;

    int count() const { return n; }
    bool waitForCount(int wanted, int timeoutMs = 3000) {
        return waitUntil([&] { return n >= wanted; }, timeoutMs);
    }

private:
    QMetaObject::Connection connection;
    int n = 0;
};

// Writes CCB bytes and waits until the line has been quiet long enough for the pass to run.
inline bool sendAndWaitForPass(PtyPair &pty, PassCounter &passes, const QByteArray &data) {
    const int wanted = passes.count() + 1;
    return pty.write(data) && passes.waitForCount(wanted);
}

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
