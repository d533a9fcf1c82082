#include "ui/diagnostics/event_model.h"

#include "ui/diagnostics/texts.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
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

} // namespace

EventModel::EventModel(const QString &databasePath, QObject *parent)
    : QAbstractTableModel(parent), path(databasePath),
      connection(QStringLiteral("diagnostics-events-%1").arg(quintptr(this), 0, 16)) {}

EventModel::~EventModel() {
    release();
    QSqlDatabase::removeDatabase(connection);
}

bool EventModel::openDatabase(QString *error) {
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (db.isOpen())
        return true;
    // Read-only never creates the file; a missing file only means nothing was recorded yet.
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = Texts::tr("尚无历史记录");
        return false;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    return true;
}

bool EventModel::select(const EventFilter &filter, qint64 now, QString *error) {
    beginResetModel();
    rows.clear();
    atEnd = true;
    endResetModel();
    if (!openDatabase(error))
        return false;
    QStringList conditions;
    values.clear();
    if (!filter.category.isEmpty()) {
        conditions << QStringLiteral("category = ?");
        values << filter.category;
    }
    if (filter.withinMs > 0) {
        conditions << QStringLiteral("at >= ?");
        values << now - filter.withinMs;
    }
    if (!filter.text.isEmpty()) {
        conditions << QStringLiteral("(name LIKE ? ESCAPE '\\' OR value LIKE ? ESCAPE '\\' "
                                     "OR detail LIKE ? ESCAPE '\\')");
        const QString pattern = likePattern(filter.text);
        values << pattern << pattern << pattern;
    }
    where = conditions.join(QStringLiteral(" AND "));
    atEnd = false;
    return readPage(error);
}

bool EventModel::readPage(QString *error) {
    QStringList conditions;
    QVariantList bound = values;
    if (!where.isEmpty())
        conditions << where;
    if (!rows.empty()) {
        // Below the last row shown: the index on `at` (which holds the row id) finds the
        // place at once, and rows written meanwhile never shift the pages.
        conditions << QStringLiteral("(at, rowid) < (?, ?)");
        bound << rows.back().at << rows.back().id;
    }
    QString sql = QStringLiteral("SELECT at, rowid, category, name, value, detail FROM events");
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY at DESC, rowid DESC LIMIT %1").arg(pageRows);

    std::vector<Row> page;
    {
        QSqlQuery query(QSqlDatabase::database(connection, false));
        query.setForwardOnly(true);
        query.prepare(sql);
        for (const QVariant &v : bound)
            query.addBindValue(v);
        if (!query.exec()) {
            atEnd = true;
            if (error)
                *error = query.lastError().text();
            return false;
        }
        while (query.next()) {
            Row row{query.value(0).toLongLong(), query.value(1).toLongLong(), {}};
            for (int c = 0; c < ColumnCount - 1; ++c)
                row.cells[c] = query.value(c + 2);
            page.push_back(std::move(row));
        }
        const bool failed = query.lastError().isValid();
        if (failed && error)
            *error = query.lastError().text();
        // Finished here, before anything is shown: the read transaction ends with it.
        query.finish();
        if (failed) {
            atEnd = true;
            return false;
        }
    }
    atEnd = page.size() < size_t(pageRows);
    if (page.empty())
        return true;
    beginInsertRows(QModelIndex(), int(rows.size()), int(rows.size() + page.size()) - 1);
    rows.insert(rows.end(), std::make_move_iterator(page.begin()),
                std::make_move_iterator(page.end()));
    endInsertRows();
    return true;
}

void EventModel::release() {
    beginResetModel();
    rows.clear();
    rows.shrink_to_fit();
    atEnd = true;
    endResetModel();
    if (QSqlDatabase::contains(connection))
        QSqlDatabase::database(connection, false).close();
}

void EventModel::fetchAll() {
    while (canFetchMore())
        fetchMore();
}

int EventModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

int EventModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

bool EventModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && !atEnd;
}

void EventModel::fetchMore(const QModelIndex &parent) {
    if (canFetchMore(parent))
        readPage(nullptr);
}

QString EventModel::timeText(qint64 at) {
    return QDateTime::fromMSecsSinceEpoch(at).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QVariant EventModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= rows.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const Row &row = rows[size_t(index.row())];
    if (index.column() == At)
        return role == Qt::DisplayRole ? QVariant(timeText(row.at)) : QVariant(row.at);
    return row.cells[index.column() - 1];
}

QVariant EventModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case At:
        return Texts::tr("时间");
    case Category:
        return Texts::tr("类别");
    case Name:
        return Texts::tr("名称");
    case Value:
        return Texts::tr("值");
    case Detail:
        return Texts::tr("详情");
    default:
        return QVariant();
    }
}

} // namespace diagnostics
