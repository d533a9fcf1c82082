#pragma once

#include "events/records.h"
#include "history/event_schema.h"
#include "history/file_mark.h"
#include "history/outbox.h"
#include "history/run_book.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace history {

// What the writer reads of the history before the first row of its run.
struct HistoryFacts {
    // The time of the last row written (the newest of each table by the order of writing; the
    // later of the two), and the newest time of any row not later than `now` plus the
    // tolerance; 0 when there is none.
    qint64 lastWrittenAt = 0;
    qint64 newestAt = 0;
    // The newest clock row, when it is a jump forward less than `toleranceMs` before the last
    // row written (the new time not yet kept for that long): its time, and the newest row
    // before it. 0 otherwise.
    qint64 unsettledJumpAt = 0;
    qint64 beforeJumpAt = 0;
    // The newest row before a pause of more than `toleranceMs` when the rows after it (not
    // later than `now` plus the tolerance) span less than that: a run with the clock set
    // ahead, started again before it has held. 0 otherwise.
    qint64 beforePauseAt = 0;
    // The runs that ended with their port open (see RunBook).
    std::vector<EndedRun> endedOpen;
};

// A name for a database connection of its own, unique in this process (Qt keeps connections by
// name, and every thread reads through its own): "<prefix>-<n>".
QString newConnectionName(const QString &prefix);

// log/history.sqlite through Qt Sql's QSQLITE driver: WAL, a busy time-out so that two
// programs can share the file, and a schema version (PRAGMA user_version). Used by one thread.
class EventStore {
public:
    static constexpr int schemaVersion = schema::version;

    enum class Result {
        Ok,
        Busy,    // another program holds the lock: keep the rows and try again later
        Damaged, // the file is not a sound database: it has been renamed aside
        Failed,  // cannot open or write (unwritable folder, full disk)
    };

    explicit EventStore(const QString &path, int busyTimeoutMs = 5000);
    ~EventStore();
    EventStore(const EventStore &) = delete;
    EventStore &operator=(const EventStore &) = delete;

    // Opens (or creates) the database. A database of a later version fails (Result::Failed,
    // foundNewer()) before anything of it is changed. A damaged file is renamed to
    // history.sqlite.damaged-<yyyyMMdd-HHmmss> and a fresh database started (Result::Damaged
    // with `error` naming the new name, the store is open then). Any other result leaves the
    // store closed; damagedName() says whether a damaged file was set aside all the same.
    Result open(QString *error);
    bool isOpen() const;

    // All rows in one transaction; on anything but Ok nothing has been written. With `ids` the
    // row id of each event, in order; with them and an outbox, each event is kept there too.
    Result write(const std::vector<events::Event> &events,
                 const std::vector<events::Sample> &samples, QString *error,
                 std::vector<qint64> *ids = nullptr);
    void setOutbox(OutboxKeep *keep) { outbox = keep; }
    // Deletes at most `limit` of the oldest rows of `table` ("samples" or "events") older than
    // `before` (ms since 1970), in a transaction of its own; `deleted` gets how many.
    Result deleteOldest(const QString &table, qint64 before, int limit, int *deleted,
                        QString *error);
    Result readFacts(qint64 now, qint64 toleranceMs, HistoryFacts *facts, QString *error);
    // Kept up to date by each write, in its transaction; read by readFacts.
    void setRunBook(RunBook *book) { runBook = book; }
    // How long a write waits for another program's lock from now on.
    void setBusyTimeout(int ms);
    void close();

    // Whether the file at the path is still the one opened: not deleted or replaced meanwhile
    // (rows written to a file no longer there go on into its write-ahead log, and are lost).
    bool isInPlace() const;
    // Another file copied onto it in place since its last transaction (see FileMark, close()).
    bool isWrittenOver() { return isOpen() && mark.changed(); }
    // Closes a store no longer in place. Its write-ahead log is left under the path, where the
    // file now there (or the next one made) would take its pages as its own: it is removed, if
    // it is still the one this store wrote to.
    void closeMoved();

    QString path() const { return file; }
    // The Qt Sql connection of this thread the store uses (for what keeps tables beside it).
    QString connectionName() const { return connection; }
    QString damagedName() const { return renamedTo; }
    // The last open found the file damaged (whether or not it could be set aside).
    bool foundDamaged() const { return damaged; }
    // The last open found a database of a later program (PRAGMA user_version above ours) or of
    // an unknown one (below 0): it failed and left the file exactly as it was.
    bool foundNewer() const { return newer; }

private:
    Result classify(const QString &text) const;
    Result prepare(QString *error);
    bool renameAside(QString *error);
    Result laterVersion(int version, QString *error);

    QString file;
    QString connection;
    int busyTimeoutMs;
    QString renamedTo;
    bool damaged = false;
    bool newer = false;
    QByteArray identity;    // of the file opened (see isInPlace)
    QByteArray walIdentity; // of its write-ahead log at the last write
    FileMark mark;
    RunBook *runBook = nullptr;
    OutboxKeep *outbox = nullptr;
};

} // namespace history
