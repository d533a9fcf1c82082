#pragma once

#include "protocol/device_state.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

class QSerialPort;
namespace history {
class Journal;
}

namespace service {

// The service dialogs' own settings requests. They go out through the window's sender (the
// same parameter-40 frames as the settings page's, written to the port and recorded in the
// history) and wait for the CCB's reply without blocking the GUI thread. The settings page's
// handshake is left alone: a reply still answers the page too, as any parameter-40 reply does.
// Whatever the window sends goes through its frame journal, which tells this link of every
// settings write, the page's included: a value read back before a write is no longer the
// laser's present value.
class SettingsLink : public QObject {
    Q_OBJECT
public:
    using Sender = std::function<void(const QByteArray &frame)>;
    static constexpr int defaultTimeoutMs = 3000;

    SettingsLink(QSerialPort &port, const protocol::DeviceState &state,
                 const history::Journal &journal, Sender send, QObject *parent = nullptr);

    bool portOpen() const;
    // Send the read (or the write of `settings`); answered() or failed() follows, once. False,
    // with nothing sent, when the port is closed or another request is waiting.
    bool readBack();
    bool write(const protocol::SystemSettings &settings);
    bool waiting() const { return timer.isActive(); }
    // Stops waiting; a late reply is then taken as any other, never as this link's read-back.
    void cancel() {
        timer.stop();
        ownReadBack = false;
    }
    void setTimeoutMs(int ms) { timer.setInterval(ms); }

    // The window hands over every complete frame after dispatching it.
    void frameDispatched(const QByteArray &frame);

    // The laser's present value: the last answered read-back since the port was opened, with no
    // settings write sent since its request; empty when there is none (a write's own answer
    // does not count: it may echo the request rather than say what the CCB kept).
    QByteArray readBackValue();
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
    // Reads the journal's new entries: the last settings read and write sent.
    void catchUp();
    bool forgetIfWritten();

    QSerialPort &port;
    const protocol::DeviceState &state;
    const history::Journal &journal;
    Sender sender;
    QTimer timer;
    bool ownReadBack = false;
    QByteArray answeredValue;
    // Journal positions (entries appended so far) after the last settings read and write sent,
    // after the entries read, and of the answered read-back; 0 for none.
    quint64 lastReadSent = 0;
    quint64 lastWriteSent = 0;
    quint64 scanned = 0;
    quint64 answeredAt = 0;
    bool lostTrack = false;
    QByteArray lastRead;
    qint64 lastReadAt = 0;
};

} // namespace service
