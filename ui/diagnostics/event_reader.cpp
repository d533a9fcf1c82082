#include "ui/diagnostics/event_reader.h"

#include "history/event_schema.h"
#include "ui/diagnostics/texts.h"

#include <QFileInfo>
#include <QMap>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

namespace diagnostics {

namespace {

// LIKE with its wildcards taken literally.
QString likePattern(const QString &text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
    escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// The rows the shown words in `keys` stand for, as conditions with bound values: one IN list of
// names for the keys of one category and value. Nothing of the search text goes into the SQL.
QString shownCondition(const QVector<events::ShownKey> &keys, QVariantList *values) {
    QMap<QPair<QString, QString>, QStringList> names; // an empty name: any name
    for (const events::ShownKey &k : keys)
        names[qMakePair(k.category, k.value)] << k.name;
    QStringList any;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        QString condition = QStringLiteral("(category = ?");
        *values << it.key().first;
        if (!it.key().second.isEmpty()) {
            condition += QStringLiteral(" AND value = ?");
            *values << it.key().second;
        }
        if (!it.value().contains(QString())) {
            QStringList marks;
            for (const QString &name : it.value()) {
                marks << QStringLiteral("?");
                *values << name;
            }
            condition += QStringLiteral(" AND name IN (%1)").arg(marks.join(QLatin1Char(',')));
        }
        any << condition + QLatin1Char(')');
    }
    return any.join(QStringLiteral(" OR "));
}

} // namespace

EventReader::EventReader(const QString &databasePath, const QString &connectionName)
    : path(databasePath), connection(connectionName) {}

EventReader::~EventReader() {
    close();
    QSqlDatabase::removeDatabase(connection);
}

bool EventReader::open(QString *error) {
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (db.isOpen())
        return true;
    // Read-only never creates the file; a missing file only means nothing was recorded yet.
    if (!QFileInfo(path).isFile()) {
        *error = Texts::tr("尚无历史记录");
        return false;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
    if (db.open())
        return true;
    *error = db.lastError().text();
    return false;
}

void EventReader::close() {
    if (QSqlDatabase::contains(connection))
        QSqlDatabase::database(connection, false).close();
}

bool EventReader::categoryIndexed() {
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?"));
    q.addBindValue(QLatin1String(history::schema::categoryIndex));
    const bool found = q.exec() && q.next();
    q.finish();
    return found;
}

bool EventReader::query(const QString &columns, QStringList conditions, QVariantList values,
                        int limit, int offset, const std::function<void(const QVariantList &)> &row,
                        QString *error) {
    QString sql = QStringLiteral("SELECT %1 FROM events").arg(columns);
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql +=
        QStringLiteral(" ORDER BY at DESC, rowid DESC LIMIT %1 OFFSET %2").arg(limit).arg(offset);
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    // A file that is no database fails at the prepare, with the reason that says so.
    const bool prepared = q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!prepared || !q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    const int count = q.record().count();
    QVariantList cells;
    while (q.next()) {
        cells.clear();
        for (int c = 0; c < count; ++c)
            cells << q.value(c);
        row(cells);
    }
    const bool failed = q.lastError().isValid();
    if (failed)
        *error = q.lastError().text();
    // Finished here, before anything is shown: the read transaction ends with it.
    q.finish();
    return !failed;
}

bool EventReader::start(const EventFilter &filter, qint64 since,
                        const QVector<events::ShownKey> &shown, QString *error, EventPlace top) {
    indexed.clear();
    indexedValues.clear();
    checkedValues.clear();
    atEnd = true;
    if (!open(error))
        return false;
    QStringList checks;
    if (!filter.category.isEmpty()) {
        // Without its index (a history no program of this version has opened for writing), a
        // rare category is looked for row by row, in steps like a text.
        if (categoryIndexed()) {
            indexed << QStringLiteral("category = ?");
            indexedValues << filter.category;
        } else {
            checks << QStringLiteral("category = ?");
            checkedValues << filter.category;
        }
    }
    if (since > 0) {
        indexed << QStringLiteral("at >= ?");
        indexedValues << since;
    }
    if (!filter.text.isEmpty()) {
        QString condition = QStringLiteral("name LIKE ? ESCAPE '\\' OR value LIKE ? ESCAPE '\\' "
                                           "OR detail LIKE ? ESCAPE '\\'");
        const QString pattern = likePattern(filter.text);
        checkedValues << pattern << pattern << pattern;
        if (!shown.isEmpty())
            condition += QStringLiteral(" OR ") + shownCondition(shown, &checkedValues);
        checks << QLatin1Char('(') + condition + QLatin1Char(')');
    }
    checked = checks.join(QStringLiteral(" AND "));
    if (!top.valid && !query(
                          QStringLiteral("at, rowid"), {}, {}, 1, 0,
                          [&](const QVariantList &r) {
                              top = {r.value(0).toLongLong(), r.value(1).toLongLong(), true};
                          },
                          error))
        return false;
    first = last = top;
    fresh = true;
    atEnd = !top.valid;
    return true;
}

EventReader::Outcome EventReader::read(int want,
                                       const std::function<void(std::vector<EventRow> &&)> &sink,
                                       const std::function<bool()> &cancelled, QString *error) {
    if (atEnd)
        return Outcome::End;
    const auto failed = [this] {
        atEnd = true;
        return Outcome::Failed;
    };
    if (!open(error))
        return failed();
    int got = 0;
    for (;;) {
        if (cancelled && cancelled())
            return Outcome::Cancelled;
        // Below the last row read (at or below the first place before any was): the index
        // finds the place at once, and rows written meanwhile never shift the pages.
        QStringList conditions = indexed;
        QVariantList values = indexedValues;
        conditions << (fresh ? QStringLiteral("(at, rowid) <= (?, ?)")
                             : QStringLiteral("(at, rowid) < (?, ?)"));
        values << last.at << last.id;
        EventPlace boundary;
        if (!checked.isEmpty()) {
            // The place `stepRows` rows further down the index; this step checks the rows
            // above it.
            if (!query(
                    QStringLiteral("at, rowid"), conditions, values, 1, stepRows - 1,
                    [&](const QVariantList &r) {
                        boundary = {r.value(0).toLongLong(), r.value(1).toLongLong(), true};
                    },
                    error))
                return failed();
            if (boundary.valid) {
                conditions << QStringLiteral("(at, rowid) >= (?, ?)");
                values << boundary.at << boundary.id;
            }
            conditions << QLatin1Char('(') + checked + QLatin1Char(')');
            values << checkedValues;
        }
        std::vector<EventRow> rows;
        if (!query(
                QStringLiteral("at, rowid, category, name, value, detail"), conditions, values,
                want - got, 0,
                [&](const QVariantList &r) {
                    EventRow row{r.value(0).toLongLong(), r.value(1).toLongLong(), {}};
                    for (int c = 0; c < 4; ++c)
                        row.cells[c] = r.value(c + 2);
                    rows.push_back(std::move(row));
                },
                error))
            return failed();
        got += int(rows.size());
        if (!rows.empty()) {
            last = {rows.back().at, rows.back().id, true};
            fresh = false;
            sink(std::move(rows));
        }
        if (got >= want)
            return Outcome::More;
        if (checked.isEmpty() || !boundary.valid) {
            atEnd = true;
            return Outcome::End;
        }
        last = boundary;
        fresh = false;
    }
}

} // namespace diagnostics
