#pragma once

#include "history/records.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace history {

// A name for a database connection of its own, unique in this process (Qt keeps connections by
// name, and every thread reads through its own): "<prefix>-<n>".
QString newConnectionName(const QString &prefix);

// log/history.sqlite through Qt Sql's QSQLITE driver: WAL, a busy time-out so that two
// programs can share the file, and a schema version (PRAGMA user_version). Used by one thread.
class EventStore {
public:
    static constexpr int schemaVersion = 2;

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

    // Opens (or creates) the database. A damaged file is renamed to
    // history.sqlite.damaged-<yyyyMMdd-HHmmss> and a fresh database started (Result::Damaged
    // with `error` naming the new name, the store is open then).
    Result open(QString *error);
    bool isOpen() const;

    // All rows in one transaction; on anything but Ok nothing has been written.
    Result write(const std::vector<Event> &events, const std::vector<Sample> &samples,
                 QString *error);
    // Deletes samples or events older than `before` (ms since 1970).
    Result deleteSamplesBefore(qint64 before, QString *error);
    Result deleteEventsBefore(qint64 before, QString *error);
    // How long a write waits for another program's lock from now on.
    void setBusyTimeout(int ms);
    void close();

    QString path() const { return file; }
    QString damagedName() const { return renamedTo; }

private:
    Result classify(const QString &text) const;
    Result prepare(QString *error);
    bool renameAside(QString *error);
    Result deleteBefore(const QString &table, qint64 before, QString *error);

    QString file;
    QString connection;
    int busyTimeoutMs;
    QString renamedTo;
};

} // namespace history
