#include "history/outbox.h"

#include "history/event_schema.h"
#include "history/event_store.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace history {

bool OutboxKeep::record(QSqlQuery &q, const std::vector<qint64> &ids,
                        const std::vector<events::Event> &events, QString *error) {
    if (laser.isEmpty() || (ids.empty() && earlier.empty()))
        return true;
    q.finish();
    // OR IGNORE: an event kept already (by a write that failed at its commit, tried again).
    if (!q.exec(QLatin1String(outboxTable)) ||
        !q.prepare(
            QStringLiteral("INSERT OR IGNORE INTO plant_outbox(id, laser, at) VALUES(?, ?, ?)"))) {
        *error = q.lastError().text();
        return false;
    }
    const auto keep = [&](qint64 id, qint64 at) {
        q.bindValue(0, id);
        q.bindValue(1, laser);
        q.bindValue(2, at);
        return q.exec();
    };
    for (const std::pair<qint64, qint64> &row : earlier)
        if (!keep(row.first, row.second))
            return false;
    for (size_t i = 0; i < ids.size() && i < events.size(); ++i)
        if (!(told && i < told->size() && (*told)[i]) && !keep(ids[i], events[i].at))
            return false;
    return true;
}

void OutboxKeep::committed(const std::vector<qint64> &ids,
                           const std::vector<events::Event> &events) {
    if (!laser.isEmpty()) {
        earlier.clear();
        return;
    }
    for (size_t i = 0; i < ids.size() && i < events.size() && earlier.size() < maxEarlier; ++i)
        earlier.emplace_back(ids[i], events[i].at);
}

Outbox::Outbox(const QString &path, const QString &laser, int busyTimeoutMs)
    : path(path), laser(laser), connection(newConnectionName(QStringLiteral("outbox"))),
      busyTimeoutMs(busyTimeoutMs) {}

Outbox::~Outbox() {
    if (!QSqlDatabase::contains(connection))
        return;
    QSqlDatabase::database(connection, false).close();
    QSqlDatabase::removeDatabase(connection);
}

bool Outbox::open(QString *error) {
    // Opened anew for every call (a millisecond, at most once a slice and once a second): the
    // file at the path is read, not one deleted, replaced or set aside as damaged meanwhile.
    if (QSqlDatabase::contains(connection))
        QSqlDatabase::database(connection, false).close();
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    // A history of a later program is left as it is: its events were never kept here.
    int version = 0;
    if (schema::versionOf(db, &version, error) && schema::isOurs(version))
        return true;
    if (error->isEmpty())
        *error = QStringLiteral("%1 is %2").arg(path, schema::foreignVersion(version));
    db.close();
    return false;
}

bool Outbox::read(qint64 after, int limit, std::vector<events::StoredEvent> *out, qint64 *last,
                  int *gone, QString *error) {
    out->clear();
    *gone = 0;
    *last = after;
    // The writer makes the history; a reader never makes an empty one in its place.
    if (!QFileInfo(path).isFile())
        return true;
    if (!open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT o.id, o.at, e.at, e.category, e.name, e.value, e.detail FROM plant_outbox o "
        "LEFT JOIN events e ON e.rowid = o.id WHERE o.laser = ? AND o.id > ? ORDER BY o.id "
        "LIMIT ?"));
    q.addBindValue(laser);
    q.addBindValue(after);
    q.addBindValue(limit);
    if (!q.exec()) {
        // No outbox yet: nothing was ever kept for the broker.
        if (q.lastError().text().contains(QLatin1String("no such table")))
            return true;
        *error = q.lastError().text();
        return false;
    }
    std::vector<qint64> missing;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        *last = id;
        if (q.value(2).isNull() || q.value(2).toLongLong() != q.value(1).toLongLong()) {
            missing.push_back(id);
            continue;
        }
        events::StoredEvent s;
        s.id = id;
        s.event.at = q.value(2).toLongLong();
        s.event.category = q.value(3).toString();
        s.event.name = q.value(4).toString();
        s.event.value = q.value(5).toString();
        s.event.detail = q.value(6).toString();
        s.late = true;
        out->push_back(std::move(s));
    }
    q.finish();
    *gone = static_cast<int>(missing.size());
    if (!missing.empty()) {
        // Still reported: the next read would find them again.
        QString ignored;
        remove(missing, &ignored);
    }
    return true;
}

bool Outbox::remove(const std::vector<qint64> &ids, QString *error) {
    if (ids.empty())
        return true;
    if (!QFileInfo(path).isFile() || !open(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        *error = q.lastError().text();
        return false;
    }
    q.prepare(QStringLiteral("DELETE FROM plant_outbox WHERE id = ? AND laser = ?"));
    for (qint64 id : ids) {
        q.bindValue(0, id);
        q.bindValue(1, laser);
        if (!q.exec()) {
            *error = q.lastError().text();
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        *error = q.lastError().text();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

qint64 Outbox::count() {
    QString ignored;
    if (!QFileInfo(path).isFile() || !open(&ignored))
        return -1;
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.prepare(QStringLiteral("SELECT count(*) FROM plant_outbox WHERE laser = ?"));
    q.addBindValue(laser);
    if (!q.exec() || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

} // namespace history
