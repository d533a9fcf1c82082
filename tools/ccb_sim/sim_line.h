#pragma once

#include "tools/ccb_sim/sim_log.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QSerialPort;
class QSocketNotifier;

namespace ccbsim {

// The simulator's end of the serial line: a pseudo-terminal it creates, or a real port. What it
// writes waits in a queue and leaves paced as an 8N1 line at the set baud rate carries it (as
// fast as the port takes it at 0); what arrives is handed on as it comes.
class SimLine : public QObject {
public:
    explicit SimLine(const SimLog &log, QObject *parent = nullptr);

    // Pseudo-terminal mode: returns the slave's path, or an empty text on failure.
    QString openPseudoTerminal();
    bool openPort(const QString &name);

    // Bytes that arrived from the host.
    std::function<void(const QByteArray &)> received;
    // A frame that has left whole (noise and replayed bytes are not frames).
    std::function<void(const QByteArray &)> frameSent;

    void startWriting() { writeTimer.start(); }
    void setBaud(double bitsPerSecond) { baud = bitsPerSecond; }
    // The pace starts afresh now: no budget saved from before.
    void restartPace();
    // `tag` is logged with the time the last byte left.
    void enqueue(const QByteArray &bytes, const QString &tag, bool isFrame = true);
    // Drops what is still waiting to be written, but the rest of a chunk begun; says so.
    void clear();
    void dropUnreadBytes();

private:
    struct Chunk {
        QByteArray bytes;
        int offset = 0;
        QString tag; // logged with the time its last byte left, for single sends
        bool frame = true;
    };

    void dropWaiting(const QString &why);
    void drain();
    qint64 writeBytes(const char *data, qint64 size);
    void readMaster();

    const SimLog &log;
    QSerialPort *port = nullptr;
    int masterFd = -1;
    int slaveFd = -1;
    QSocketNotifier *masterNotifier = nullptr;
    // What waits beyond this when more comes is dropped (see dropWaiting).
    static constexpr qint64 maxQueuedBytes = 256 * 1024;
    QList<Chunk> outQueue;
    qint64 queued = 0;
    double baud = 115200;
    int lastWaiting = 0;
    double lastRead = 0;
    double paceClock = 0;
    QTimer writeTimer;
};

} // namespace ccbsim
