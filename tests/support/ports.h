#pragma once

// The serial ports of this machine as the port panel sees them: which reported ports open now,
// the settings a window's port put on its line, and the setting tables the panel follows.
#include "link/port_entry.h"
#include "support/pty.h"
#include "support/table.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QString>
#include <QStringList>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <vector>

namespace fixture {

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

// A pseudo-terminal whose line settings are watched from before the window opens it.
struct WatchedPty {
    PtyPair pty;
    LineSettings line{pty.slavePath()};
    bool isValid() const { return pty.isValid() && line.isValid(); }
};

// One row of the port panel's setting tables: the index of the combo box and the value it
// stands for (QSerialPort's own numbers), or -1 for an index outside the table.
struct SettingRow {
    QString setting; // "baud rate", "data bits", "parity", "stop bits"
    QString tag;
    int index;
    int value;
};

inline std::vector<SettingRow> settingTables() {
    std::vector<SettingRow> rows;
    const QString baud = QStringLiteral("baud rate");
    const int rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 8; ++i)
        rows.push_back({baud, QStringLiteral("index %1").arg(i), i, rates[i]});
    rows.push_back({baud, QStringLiteral("index 8"), 8, -1});
    rows.push_back({baud, QStringLiteral("index -1"), -1, -1});
    rows.push_back({baud, QStringLiteral("large index"), 115200, -1});
    const QString data = QStringLiteral("data bits");
    for (int bits = 5; bits <= 8; ++bits)
        rows.push_back({data, QString::number(bits), bits - 5, bits});
    rows.push_back({data, QStringLiteral("index 4"), 4, -1});
    rows.push_back({data, QStringLiteral("index -1"), -1, -1});
    const QString parity = QStringLiteral("parity");
    rows.push_back({parity, QStringLiteral("none"), 0, QSerialPort::NoParity});
    rows.push_back({parity, QStringLiteral("odd"), 1, QSerialPort::OddParity});
    rows.push_back({parity, QStringLiteral("even"), 2, QSerialPort::EvenParity});
    rows.push_back({parity, QStringLiteral("index 3"), 3, -1});
    rows.push_back({parity, QStringLiteral("index -1"), -1, -1});
    const QString stop = QStringLiteral("stop bits");
    rows.push_back({stop, QStringLiteral("one"), 0, QSerialPort::OneStop});
    rows.push_back({stop, QStringLiteral("two"), 1, QSerialPort::TwoStop});
    rows.push_back({stop, QStringLiteral("index 2"), 2, -1});
    rows.push_back({stop, QStringLiteral("index -1"), -1, -1});
    return rows;
}

// The rows above as a QTest table with the columns setting, index and value.
inline void addSettingTableRows() {
    columns<QString, int, int>("setting", "index", "value");
    for (const SettingRow &row : settingTables())
        QTest::newRow(qPrintable(row.setting + QLatin1Char(' ') + row.tag))
            << row.setting << row.index << row.value;
}

} // namespace fixture
