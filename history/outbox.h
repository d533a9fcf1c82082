#pragma once

#include "events/records.h"

#include <QString>
#include <QtGlobal>

#include <utility>
#include <vector>

class QSqlQuery;

namespace history {

// The table `plant_outbox(id, laser, at)`: the events of the history not yet delivered to the
// plant's broker, by their row id in `events`, the laser id they are published under and their
// time (a history whose rows were numbered anew, by a vacuum, does not pass one for another). The
// writer adds a row in the same transaction as the event (when the program has a plant link); the
// link takes it away once the broker has confirmed the event. Made where missing: a history without
// it is read and written as before.
constexpr char outboxTable[] =
    "CREATE TABLE IF NOT EXISTS plant_outbox(id INTEGER PRIMARY KEY, laser TEXT NOT NULL, "
    "at INTEGER NOT NULL)";

// What the writer keeps in the outbox: the laser id once the link says it, and the events written
// before that (row id, time), kept with the next write.
struct OutboxKeep {
    static constexpr size_t maxEarlier = 1000;
    QString laser;
    std::vector<std::pair<qint64, qint64>> earlier;
    // Beside the events written: those the plant link had already, without an id, while the
    // history could not take them; kept out, or they would go once more, late.
    const std::vector<bool> *told = nullptr;
    // Inside the write's transaction, before its commit: `events` with their `ids` kept (the
    // table made where missing). False with the SQL error (`q` holds it).
    bool record(QSqlQuery &q, const std::vector<qint64> &ids,
                const std::vector<events::Event> &events, QString *error);
    // After the commit of a transaction record() was part of.
    void committed(const std::vector<qint64> &ids, const std::vector<events::Event> &events);
};

// Reads and shrinks the outbox on the thread that uses it, through a connection of its own opened
// for each call. Never the GUI thread: a call may wait for another program's
// lock (up to `busyTimeoutMs`).
class Outbox {
public:
    Outbox(const QString &path, const QString &laser, int busyTimeoutMs = 1000);
    ~Outbox();
    Outbox(const Outbox &) = delete;
    Outbox &operator=(const Outbox &) = delete;

    // At most `limit` events after the id `after`, oldest first; `last` the last id looked at. An
    // outbox row whose event is no longer in the history as it was (deleted by its keeping,
    // numbered anew) is counted in `gone` and taken away. False, with the reason, when the history
    // cannot be read; no outbox (nothing yet) reads empty.
    bool read(qint64 after, int limit, std::vector<events::StoredEvent> *out, qint64 *last,
              int *gone, QString *error);
    // The broker has these: their rows go, in one transaction.
    bool remove(const std::vector<qint64> &ids, QString *error);
    // The events left to send (for what is said when they cannot be read), -1 when unknown.
    qint64 count();

private:
    bool open(QString *error);

    QString path;
    QString laser;
    QString connection;
    int busyTimeoutMs;
};

} // namespace history
