#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace plant {

// Between Paho's thread and the subscriber's: what arrived from the broker and waits to be read,
// bounded in count, and in bytes together with the batch handed out. A message that finds it
// full waits for room a while (nothing more is read from the broker meanwhile), then is counted
// as overrun.
class Inbox {
public:
    struct Raw {
        QByteArray topic;
        QByteArray payload; // empty when over maxPayloadBytes: not copied
        qint64 fullSize;
        bool retained;
        qint64 receivedAt;
        // The connection it came on, and whether its subscription keeps the publisher's retain
        // flag (MQTT 5's "retain as published").
        quint64 generation = 0;
        bool asPublished = false;
        QString instance; // the user property "instance" (MQTT 5), empty without one
    };
    static qint64 heldBytes(const Raw &raw);

    Inbox(int capacity, qint64 byteCapacity);

    // On Paho's thread: keeps `raw`, or counts it as overrun. Calls `askDrain` (under the lock)
    // when the subscriber's thread is to be asked for a batch; `now`: without gathering time.
    void put(Raw raw, const std::function<void(bool now)> &askDrain);
    // Everything waiting and the overrun count since the last take; their bytes count as the
    // batch out until batchOut() says what the batch holds.
    void take(std::vector<Raw> &taken, quint64 &overrunSince);
    void batchOut(qint64 bytes);
    // The batch out was taken: its room is free. `waiting`: something waits for the next batch;
    // `now`: it is to go without gathering time.
    void batchTaken(bool &waiting, bool &now);

    // From any thread: a message waiting for room is counted at once, and so is every later one.
    void requestStop();
    bool stopping() const { return stopRequested; }

private:
    int capacity;
    qint64 byteCapacity;
    std::atomic<bool> stopRequested{false};
    std::mutex inboxLock;
    std::condition_variable roomMade;
    std::vector<Raw> inbox;     // guarded
    qint64 inboxBytes = 0;      // guarded
    qint64 batchOutBytes = 0;   // guarded
    quint64 overrun = 0;        // guarded
    bool drainAsked = false;    // guarded
    bool drainNowAsked = false; // guarded
};

} // namespace plant
