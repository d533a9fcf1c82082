#include "history/event_store.h"

#include "history/event_schema.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace history {

namespace {

// What tells the file at `path` from another put in its place; empty when there is none. On
// Windows an open database can be neither deleted nor replaced: being there is enough.
QByteArray fileIdentity(const QString &path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QByteArray();
    return QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
#else
    return QFileInfo::exists(path) ? QByteArrayLiteral("here") : QByteArray();
#endif
}

QVariant valueOrNull(double v) {
    return std::isnan(v) ? QVariant() : QVariant(v);
}

} // namespace

QString newConnectionName(const QString &prefix) {
    static QAtomicInt count;
    return prefix + QLatin1Char('-') + QString::number(count.fetchAndAddRelaxed(1));
}

EventStore::EventStore(const QString &path, int busyTimeoutMs)
    : file(path), connection(newConnectionName(QStringLiteral("history"))),
      busyTimeoutMs(busyTimeoutMs), mark(path) {}

EventStore::~EventStore() {
    close();
}

bool EventStore::isOpen() const {
    return QSqlDatabase::contains(connection) && QSqlDatabase::database(connection, false).isOpen();
}

EventStore::Result EventStore::classify(const QString &text) const {
    const QString t = text.toLower();
    if (t.contains(QLatin1String("locked")) || t.contains(QLatin1String("busy")))
        return Result::Busy;
    if (t.contains(QLatin1String("not a database")) || t.contains(QLatin1String("malformed")) ||
        t.contains(QLatin1String("corrupt")))
        return Result::Damaged;
    return Result::Failed;
}

EventStore::Result EventStore::open(QString *error) {
    renamedTo.clear();
    damaged = false;
    newer = false;
    Result r = prepare(error);
    if (r == Result::Ok)
        return r;
    close();
    if (r != Result::Damaged)
        return r;
    damaged = true;
    if (!renameAside(error))
        return Result::Failed;
    r = prepare(error);
    if (r != Result::Ok) {
        close();
        // Not even a fresh file is sound: a failure like any other, said with its reason.
        return r == Result::Damaged ? Result::Failed : r;
    }
    *error = QStringLiteral("%1 was damaged; kept as %2, a fresh one started")
                 .arg(QFileInfo(file).fileName(), QFileInfo(renamedTo).fileName());
    return Result::Damaged;
}

EventStore::Result EventStore::prepare(QString *error) {
    close();
    const QFileInfo info(file);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("cannot create %1").arg(info.absolutePath());
        return Result::Failed;
    }
    // A database of a later program is looked at through a read-only connection only: it is
    // left exactly as it is (a file that cannot be read there is judged below, as ever).
    int later = 0;
    if (schema::versionOfFile(file, connection + QStringLiteral("-version"), &later) &&
        !schema::isOurs(later))
        return laterVersion(later, error);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        if (!db.open()) {
            *error = QStringLiteral("cannot open %1: %2").arg(file, db.lastError().text());
            return classify(db.lastError().text());
        }
        QSqlQuery q(db);
        const auto run = [&](const QString &sql) {
            if (q.exec(sql))
                return true;
            *error = QStringLiteral("%1: %2").arg(file, q.lastError().text());
            return false;
        };
        identity = fileIdentity(file);
        // Again on this connection, before anything else (made later meanwhile by another
        // program): not switched to WAL, not given an index, not checked.
        QString why;
        int version = 0;
        if (!schema::versionOf(db, &version, &why)) {
            *error = QStringLiteral("%1: %2").arg(file, why);
            return classify(why);
        }
        if (!schema::isOurs(version))
            return laterVersion(version, error);
        if (!run(QStringLiteral("PRAGMA quick_check")))
            return classify(q.lastError().text());
        if (!q.next() || q.value(0).toString() != QLatin1String("ok")) {
            *error = QStringLiteral("%1: integrity check failed").arg(file);
            return Result::Damaged;
        }
        q.finish();
        if (!run(QStringLiteral("PRAGMA journal_mode=WAL")))
            return classify(q.lastError().text());
        q.finish();
        // A few rows a second need no big page cache; keeps the program's memory flat.
        run(QStringLiteral("PRAGMA cache_size=-256"));
        q.finish();
        // The -wal file shrinks back to this after a checkpoint, whatever a big delete made of it.
        run(QStringLiteral("PRAGMA journal_size_limit=4194304"));
        q.finish();
        if ((version < schemaVersion || !schema::isComplete(db)) && !schema::install(db, &why)) {
            *error = QStringLiteral("%1: %2").arg(file, why);
            return classify(why);
        }
        if (!schema::addIndexes(db, &why)) {
            *error = QStringLiteral("%1: %2").arg(file, why);
            return classify(why);
        }
    }
    mark.take();
    return Result::Ok;
}

EventStore::Result EventStore::laterVersion(int version, QString *error) {
    newer = true;
    *error = QStringLiteral("%1 is %2: it is left as it is, and the rows of this run are not kept")
                 .arg(file, schema::foreignVersion(version));
    return Result::Failed;
}

bool EventStore::renameAside(QString *error) {
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = file + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFile::exists(target); ++n)
        target = file + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(file, target)) {
        *error = QStringLiteral("%1 is damaged and cannot be renamed").arg(file);
        return false;
    }
    // The journal files belong to the damaged database.
    for (const char *suffix : {"-wal", "-shm"})
        if (QFile::exists(file + QLatin1String(suffix)))
            QFile::rename(file + QLatin1String(suffix), target + QLatin1String(suffix));
    renamedTo = target;
    return true;
}

EventStore::Result EventStore::write(const std::vector<events::Event> &events,
                                     const std::vector<events::Sample> &samples, QString *error,
                                     std::vector<qint64> *ids) {
    if (ids)
        ids->clear();
    if (!isOpen()) {
        *error = QStringLiteral("%1 is not open").arg(file);
        return Result::Failed;
    }
    if (events.empty() && samples.empty())
        return Result::Ok;
    if (!mark.holds(error))
        return Result::Failed;
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery q(db);
    const auto fail = [&]() {
        const QString text = q.lastError().text();
        *error = QStringLiteral("%1: %2").arg(file, text);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return classify(text);
    };
    // IMMEDIATE takes the write lock at once (waiting up to the busy time-out), so the
    // transaction never fails half-way for a lock.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail();
    if (!events.empty()) {
        if (!q.prepare(QStringLiteral(
                "INSERT INTO events(at, category, name, value, detail) VALUES(?, ?, ?, ?, ?)")))
            return fail();
        for (const events::Event &e : events) {
            q.bindValue(0, e.at);
            q.bindValue(1, e.category);
            q.bindValue(2, e.name);
            q.bindValue(3, e.value.isNull() ? QVariant() : QVariant(e.value));
            q.bindValue(4, e.detail.isNull() ? QVariant() : QVariant(e.detail));
            if (!q.exec())
                return fail();
            if (ids)
                ids->push_back(q.lastInsertId().toLongLong());
        }
    }
    if (outbox && ids && !outbox->record(q, *ids, events, error))
        return fail();
    if (!samples.empty()) {
        if (!q.prepare(QStringLiteral(
                "INSERT INTO samples(at, water_in, water_out, dew_point) VALUES(?, ?, ?, ?)")))
            return fail();
        for (const events::Sample &s : samples) {
            q.bindValue(0, s.at);
            q.bindValue(1, valueOrNull(s.waterIn));
            q.bindValue(2, valueOrNull(s.waterOut));
            q.bindValue(3, valueOrNull(s.dewPoint));
            if (!q.exec())
                return fail();
        }
    }
    q.finish();
    if ((runBook && !runBook->record(q, events, samples, error)) ||
        !q.exec(QStringLiteral("COMMIT")))
        return fail();
    if (runBook)
        runBook->committed();
    walIdentity = fileIdentity(file + QLatin1String("-wal"));
    // Written over during the transaction: the rows went into the log of the file before.
    return mark.holds(error) ? Result::Ok : Result::Failed;
}

EventStore::Result EventStore::deleteOldest(const QString &table, qint64 before, int limit,
                                            int *deleted, QString *error) {
    *deleted = 0;
    if (!isOpen()) {
        *error = QStringLiteral("%1 is not open").arg(file);
        return Result::Failed;
    }
    if (!mark.holds(error))
        return Result::Failed;
    QSqlQuery q(QSqlDatabase::database(connection, false));
    // A delete need not reach the disk before the next one: its commit waits for no sync (the
    // database stays sound; after a power cut the rows are deleted again), so that one slice
    // is not held up by a disk busy with others.
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    const auto restore = qScopeGuard([&q] { q.exec(QStringLiteral("PRAGMA synchronous=FULL")); });
    // Along the index on `at`: the oldest first, however many there are.
    const bool prepared = q.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid IN "
                                                   "(SELECT rowid FROM %1 WHERE at < ? ORDER BY "
                                                   "at LIMIT ?)")
                                        .arg(table));
    q.addBindValue(before);
    q.addBindValue(limit);
    if (!prepared || !q.exec()) {
        *error = QStringLiteral("%1: %2").arg(file, q.lastError().text());
        return classify(q.lastError().text());
    }
    *deleted = q.numRowsAffected();
    return mark.holds(error) ? Result::Ok : Result::Failed;
}

bool EventStore::isInPlace() const {
    return !identity.isEmpty() && fileIdentity(file) == identity;
}

void EventStore::closeMoved() {
    const QString wal = file + QLatin1String("-wal");
    const bool ours = !walIdentity.isEmpty() && fileIdentity(wal) == walIdentity;
    close();
    if (ours) {
        QFile::remove(wal);
        QFile::remove(file + QLatin1String("-shm"));
    }
}

void EventStore::setBusyTimeout(int ms) {
    if (isOpen())
        QSqlQuery(QSqlDatabase::database(connection, false))
            .exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms));
}

void EventStore::close() {
    if (!QSqlDatabase::contains(connection))
        return;
    // Its close would checkpoint the log of the file before into the one now there.
    if (isInPlace() && isWrittenOver())
        mark.dropLog();
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace history
