#include "history/ended_run.h"

#include "history/event_store.h"
#include "history/run_book.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace history {

namespace {

// The rowid and time of the newest link row `name` before `before` (0: anywhere); false when
// the query fails.
bool newestLinkRow(QSqlDatabase &db, const QString &name, qint64 before, qint64 *rowid, qint64 *at,
                   QString *error) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // By write order (rowid), never by `at`: a clock set back writes rows out of time order.
    q.prepare(QStringLiteral("SELECT rowid, at FROM events WHERE category = 'link' AND name = ? "
                             "AND (? = 0 OR rowid < ?) ORDER BY rowid DESC LIMIT 1"));
    q.addBindValue(name);
    q.addBindValue(before);
    q.addBindValue(before);
    *rowid = *at = 0;
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    if (q.next()) {
        *rowid = q.value(0).toLongLong();
        *at = q.value(1).toLongLong();
    }
    q.finish();
    return true;
}

// Moves `openedId` back to the first port opening of the run that ended at `endedAt`, the
// row of `runs` whose newest time it is: an alarm left unacknowledged before the operator closed
// and opened the port again is that run's too. Rows of the run stamped before its start (a clock
// set back) or a history without `runs` keep the last opening.
bool runStart(QSqlDatabase &db, qint64 endedAt, qint64 endId, qint64 *openedId, QString *error) {
    if (*openedId == 0 || !RunBook::isInstalled(db))
        return true;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT rowid FROM events WHERE category = 'link' AND name = 'opened' AND rowid < ? AND "
        "at >= (SELECT started_at FROM runs WHERE coalesce(newest_at, started_at) = ? ORDER BY "
        "run DESC LIMIT 1)"));
    q.addBindValue(endId);
    q.addBindValue(endedAt);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        *openedId = std::min(*openedId, q.value(0).toLongLong());
    q.finish();
    return true;
}

bool read(QSqlDatabase &db, const std::function<void(const events::Event &)> &take, qint64 *endedAt,
          QString *error) {
    qint64 endId = 0, openedId = 0, openedAt = 0;
    if (!newestLinkRow(db, QStringLiteral("ended_unexpectedly"), 0, &endId, endedAt, error))
        return false;
    if (endId == 0)
        return true;
    if (!newestLinkRow(db, QStringLiteral("opened"), endId, &openedId, &openedAt, error))
        return false;
    if (!runStart(db, *endedAt, endId, &openedId, error))
        return false;
    std::vector<events::Event> page;
    for (qint64 after = openedId;;) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT rowid, at, category, name, value, detail FROM events "
                                 "WHERE rowid > ? AND rowid < ? AND category IN "
                                 "('alarm', 'handling') ORDER BY rowid LIMIT ?"));
        q.addBindValue(after);
        q.addBindValue(endId);
        q.addBindValue(endedRunPageRows);
        if (!q.exec()) {
            *error = q.lastError().text();
            return false;
        }
        page.clear();
        while (q.next()) {
            after = q.value(0).toLongLong();
            page.push_back({q.value(1).toLongLong(), q.value(2).toString(), q.value(3).toString(),
                            q.value(4).toString(), q.value(5).toString()});
        }
        const bool failed = q.lastError().isValid();
        if (failed)
            *error = q.lastError().text();
        q.finish();
        if (failed)
            return false;
        for (const events::Event &e : page)
            take(e);
        if (int(page.size()) < endedRunPageRows)
            return true;
        // The program ends meanwhile: the next start reads it again.
        if (QThread::currentThread()->isInterruptionRequested()) {
            *error = QStringLiteral("stopped before the end");
            return false;
        }
    }
}

} // namespace

bool readEndedRunRows(const QString &path, const std::function<void(const events::Event &)> &take,
                      qint64 *endedAt, QString *error) {
    *endedAt = 0;
    if (!QFileInfo(path).isFile())
        return true;
    const QString connection = newConnectionName(QStringLiteral("ended-run"));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open())
            ok = read(db, take, endedAt, error);
        else
            *error = db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

} // namespace history
