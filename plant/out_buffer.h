#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <deque>
#include <utility>
#include <vector>

namespace plant {

struct Message {
    QByteArray topic;
    QByteArray payload;
    int qos = 0;
    bool retained = false;
    // On the steady clock, in ms: not sent from then on. 0: never expires.
    qint64 expiresAt = 0;
    // An event of the history (its row id), 0 for anything else. One that leaves unsent is not
    // lost: the history keeps it for the catch-up (plant/catch_up.h), so it is not counted here.
    qint64 eventId = 0;
};

// The messages not yet confirmed by the broker, oldest first: those waiting to be sent and
// those sent but not yet acknowledged. Bounded: at the capacity the oldest message is dropped
// and counted. Messages in flight when the connection drops go back ahead of the waiting ones,
// so the order survives a reconnect.
class OutBuffer {
public:
    static constexpr int defaultCapacity = 10000;
    explicit OutBuffer(int capacity = defaultCapacity);

    // Messages that expired by `now` (the steady clock, in ms) leave first, counted as expired:
    // while the broker is away they must not take the room of those still worth sending.
    void push(Message message, qint64 now = 0);
    bool hasWaiting() const { return !waiting.empty(); }
    // Moves the oldest waiting message into flight; the id confirms it later.
    std::pair<quint64, Message> takeNext();
    // The message takeNext() gave last could not be handed to the client: it waits again, first.
    void giveBack();
    // The broker has it: its event id (0 when none, or for an unknown id: dropped or requeued
    // since).
    qint64 confirm(quint64 id);
    // The connection dropped: everything in flight waits again, in its order.
    void requeueInFlight();
    // Drops the waiting messages that expired by `now` (the steady clock, in ms), counting them.
    void dropExpired(qint64 now);

    int size() const { return static_cast<int>(waiting.size() + inFlight.size()); }
    int inFlightCount() const { return static_cast<int>(inFlight.size()); }
    quint64 dropped() const { return droppedCount; }
    quint64 expired() const { return expiredCount; }
    // The events that left unsent (dropped or expired) since the last call, oldest first.
    std::vector<qint64> takeLeft();

private:
    int capacity;
    quint64 nextId = 1;
    quint64 droppedCount = 0;
    quint64 expiredCount = 0;
    std::vector<qint64> left;
    std::deque<Message> waiting;
    std::deque<std::pair<quint64, Message>> inFlight;
};

} // namespace plant
