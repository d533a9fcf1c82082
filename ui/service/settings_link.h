#pragma once

#include "protocol/device_state.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

class QSerialPort;

namespace service {

// The service dialogs' own settings requests. They go out through the window's sender (the
// same parameter-40 frames as the settings page's, written to the port and recorded in the
// history) and wait for the CCB's reply without blocking the GUI thread. The settings page's
// handshake is left alone: a reply still answers the page too, as any parameter-40 reply does.
class SettingsLink : public QObject {
    Q_OBJECT
public:
    using Sender = std::function<void(const QByteArray &frame)>;
    static constexpr int defaultTimeoutMs = 3000;

    SettingsLink(QSerialPort &port, const protocol::DeviceState &state, Sender send,
                 QObject *parent = nullptr);

    bool portOpen() const;
    // Send the read (or the write of `settings`); answered() or failed() follows, once. False,
    // with nothing sent, when the port is closed or another request is waiting.
    bool readBack();
    bool write(const protocol::SystemSettings &settings);
    bool waiting() const { return timer.isActive(); }
    // Stops waiting; a late reply is then taken as any other.
    void cancel() { timer.stop(); }
    void setTimeoutMs(int ms) { timer.setInterval(ms); }

    // The window hands over every complete frame after dispatching it.
    void frameDispatched(const QByteArray &frame);

    // The value of the last answered read-back since the port was opened; empty when none.
    QByteArray readBackValue() const { return answeredValue; }
    // The last settings value read back in this run, kept after the port closes.
    QByteArray lastValue() const { return lastRead; }
    qint64 lastValueAt() const { return lastReadAt; }

signals:
    void answered(const QByteArray &value);
    void failed(const QString &why);
    // The port is closing: whatever was read back may belong to another laser after it opens.
    void portClosed();
    // readBackValue() changed (a read-back was answered, or the port closed).
    void readBackValueChanged();

private:
    bool send(const QByteArray &frame);
    void portClosing();

    QSerialPort &port;
    const protocol::DeviceState &state;
    Sender sender;
    QTimer timer;
    bool ownReadBack = false;
    QByteArray answeredValue;
    QByteArray lastRead;
    qint64 lastReadAt = 0;
};

} // namespace service
