#pragma once

#include "events/records.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <set>
#include <unordered_set>
#include <vector>

namespace plant {

// The history's outbox as the plant link reaches it (history/outbox.h; wired by the window,
// called on the link's thread): the events not yet delivered after an id, oldest first, with
// the last id looked at and how many had left the history; and taking delivered ones away.
struct OutboxAccess {
    std::function<bool(qint64 after, int limit, std::vector<events::StoredEvent> *out, qint64 *last,
                       int *gone, QString *error)>
        read;
    std::function<bool(const std::vector<qint64> &ids, QString *error)> remove;
    // The events left in the outbox, -1 when unknown.
    std::function<qint64()> count;
};

// Which path sends each event of the history, so that every one goes once: the live path (the
// publisher's buffer, for the seconds of a reconnect) or the catch-up, which reads what the
// broker has not confirmed from the history after each connection and sends it marked late, in
// the order it was written. Each id belongs to one of: the buffer, the catch-up's messages in
// flight, the delivered ones whose outbox rows are still to go, or the outbox alone. Pure
// bookkeeping on the link's thread; the publisher calls it.
class CatchUp {
public:
    // Late events sent and not yet confirmed at a time: the live ones never queue behind more.
    static constexpr int window = 20;
    // Events read from the history at a time.
    static constexpr int slice = 50;

    explicit CatchUp(OutboxAccess access = OutboxAccess());
    bool isOn() const { return bool(access.read); }

    // An event written to the history arrives: true when the live path sends it (the catch-up
    // has not taken it already); it is then held by the buffer until delivered() or leftBuffer().
    bool takeLive(qint64 id);
    // A live event left the buffer unsent (waited longer than the live window, or dropped for
    // room): the catch-up sends it from the history.
    void leftBuffer(qint64 id);
    // A late event from next() could not be handed to the client after all: sent again later.
    void notSent(qint64 id);
    // The broker confirmed (or refused) the event: its outbox row goes at the next flush().
    void delivered(qint64 id);
    // A connection was made: the catch-up starts from the oldest undelivered event.
    void connected();
    // The connection is gone: late events in flight are sent again on the next one.
    void connectionLost();
    // The next late events to send, within the window and in order; reads the history when
    // needed. Empty while there is nothing (or no room, or the history cannot be read).
    // `now`: the steady clock in ms (a history that could not be read is tried again 5 s later).
    std::vector<events::StoredEvent> next(qint64 now);
    // Takes the delivered events' rows out of the outbox; false (kept for the next try) when
    // the history cannot be written.
    bool flush();

    bool isCatchingUp() const { return connectedNow && !passDone; }
    quint64 sentLate() const { return lateSent; }
    // Rows of the outbox whose event the history no longer holds (deleted by its keeping).
    quint64 gone() const { return goneCount; }
    // Why the history cannot be read now (empty when it can), and the events left
    // unsent: as the outbox counts them, else those of this run that left the buffer.
    QString trouble() const { return readTrouble; }
    qint64 unsent() const { return unsentCount; }
    int inFlight() const { return static_cast<int>(lateInFlight.size()); }

    // Delivered events whose outbox rows could not be taken away are kept up to this many; beyond,
    // the oldest are forgotten and may be sent once more (a consumer drops a repeat by its id).
    static constexpr size_t maxDone = 100000;
    // Late events remembered against their live arrival (the newest ones; an event of an
    // earlier run never arrives).
    static constexpr size_t maxTaken = 10000;

private:
    void rewind(qint64 to);

    OutboxAccess access;
    std::unordered_set<qint64> inBuffer;
    std::set<qint64> lateInFlight;
    // Taken by the catch-up before their live arrival: that arrival is not sent again.
    std::set<qint64> lateTaken;
    std::vector<qint64> done;
    std::unordered_set<qint64> doneSet;
    std::vector<events::StoredEvent> read;
    size_t readAt = 0;
    qint64 cursor = 0;
    qint64 liveSeen = 0;
    bool passDone = true;
    bool connectedNow = false;
    quint64 lateSent = 0;
    quint64 goneCount = 0;
    QString readTrouble;
    bool removeFailing = false;
    qint64 unsentCount = -1;
    quint64 leftCount = 0;
    qint64 retryAt = 0;
};

} // namespace plant
