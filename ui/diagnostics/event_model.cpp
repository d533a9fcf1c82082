#include "ui/diagnostics/event_model.h"

#include "ui/diagnostics/csv.h"
#include "ui/diagnostics/texts.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMap>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>

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

bool isShownAs(const events::ShownKey &k, const events::Event &e) {
    return k.category == e.category && (k.name.isEmpty() || k.name == e.name) &&
           (k.value.isEmpty() || k.value == e.value);
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

bool EventModel::select(const EventFilter &wanted, qint64 now, QString *error) {
    filter = wanted;
    since = filter.withinMs > 0 ? now - filter.withinMs : 0;
    shownKeys = events::keysShownAs(filter.text);
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
        values << since;
    }
    if (!filter.text.isEmpty()) {
        QString condition = QStringLiteral("name LIKE ? ESCAPE '\\' OR value LIKE ? ESCAPE '\\' "
                                           "OR detail LIKE ? ESCAPE '\\'");
        const QString pattern = likePattern(filter.text);
        values << pattern << pattern << pattern;
        if (!shownKeys.isEmpty())
            condition += QStringLiteral(" OR ") + shownCondition(shownKeys, &values);
        conditions << QLatin1Char('(') + condition + QLatin1Char(')');
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
        // A file that is no database fails at the prepare, with the reason that says so.
        const bool prepared = query.prepare(sql);
        for (const QVariant &v : bound)
            query.addBindValue(v);
        if (!prepared || !query.exec()) {
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
        (role != Qt::DisplayRole && role != Qt::EditRole && role != StoredRole))
        return QVariant();
    const Row &row = rows[size_t(index.row())];
    if (index.column() == At)
        return role == Qt::DisplayRole ? QVariant(timeText(row.at)) : QVariant(row.at);
    if (role == StoredRole || index.column() == Detail)
        return row.cells[index.column() - 1];
    return shown(row, index.column());
}

QString EventModel::shown(const Row &row, int column) const {
    const QString category = row.cell(Category);
    switch (column) {
    case Category:
        return events::categoryText(category);
    case Name:
        return events::eventLabel(category, row.cell(Name));
    case Value:
        return events::eventValueText(category, row.cell(Name), row.cell(Value));
    default:
        return row.cell(column);
    }
}

bool EventModel::matches(const events::Event &e) const {
    if ((!filter.category.isEmpty() && e.category != filter.category) || e.at < since)
        return false;
    if (filter.text.isEmpty())
        return true;
    for (const QString &stored : {e.name, e.value, e.detail})
        if (stored.contains(filter.text, Qt::CaseInsensitive))
            return true;
    return std::any_of(shownKeys.cbegin(), shownKeys.cend(),
                       [&](const events::ShownKey &k) { return isShownAs(k, e); });
}

int EventModel::held(const events::Event &e) const {
    // Rows of the same time sit together at the top.
    int count = 0;
    for (const Row &row : rows) {
        if (row.at < e.at)
            break;
        count += row.at == e.at && row.cell(Category) == e.category && row.cell(Name) == e.name &&
                 row.cell(Value) == e.value && row.cell(Detail) == e.detail;
    }
    return count;
}

int EventModel::addNewest(const std::vector<events::Event> &events, bool mayHold) {
    std::vector<Row> added; // newest first
    for (size_t i = 0; i < events.size(); ++i) {
        const events::Event &e = events[i];
        if (!matches(e))
            continue;
        if (mayHold) {
            // The same row may come twice within a millisecond (a flag that flaps in one
            // burst): the n-th of equal rows is there when the model holds n of them.
            int before = 0;
            for (size_t k = 0; k < i; ++k)
                before += events[k].at == e.at && events[k].category == e.category &&
                          events[k].name == e.name && events[k].value == e.value &&
                          events[k].detail == e.detail;
            if (before < held(e))
                continue;
        }
        added.insert(added.begin(), Row{e.at, -1, {e.category, e.name, e.value, e.detail}});
    }
    if (added.empty())
        return 0;
    beginInsertRows(QModelIndex(), 0, int(added.size()) - 1);
    rows.insert(rows.begin(), std::make_move_iterator(added.begin()),
                std::make_move_iterator(added.end()));
    endInsertRows();
    return int(added.size());
}

void EventModel::retranslate() {
    headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

QString EventModel::csvText() const {
    QString out =
        csvLine({Texts::tr("时间"), Texts::tr("类别"), Texts::tr("键"), Texts::tr("存储值"),
                 Texts::tr("名称"), Texts::tr("值"), Texts::tr("详情")});
    for (const Row &row : rows)
        out += csvLine({timeText(row.at), shown(row, Category), row.cell(Name), row.cell(Value),
                        shown(row, Name), shown(row, Value), row.cell(Detail)});
    return out;
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

#include "moc_event_model.cpp"
