#include "ui/diagnostics/event_model.h"

#include "ui/diagnostics/texts.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

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
    : QSqlQueryModel(parent), path(databasePath),
      connection(QStringLiteral("diagnostics-events-%1").arg(quintptr(this), 0, 16)) {}

EventModel::~EventModel() {
    clear();
    if (QSqlDatabase::contains(connection)) {
        QSqlDatabase::database(connection, false).close();
        QSqlDatabase::removeDatabase(connection);
    }
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
    clear();
    if (!openDatabase(error))
        return false;
    QString sql = QStringLiteral("SELECT at, category, name, value, detail FROM events");
    QStringList where;
    QVariantList values;
    if (!filter.category.isEmpty()) {
        where << QStringLiteral("category = ?");
        values << filter.category;
    }
    if (filter.withinMs > 0) {
        where << QStringLiteral("at >= ?");
        values << now - filter.withinMs;
    }
    if (!filter.text.isEmpty()) {
        where << QStringLiteral("(name LIKE ? ESCAPE '\\' OR value LIKE ? ESCAPE '\\' "
                                "OR detail LIKE ? ESCAPE '\\')");
        const QString pattern = likePattern(filter.text);
        values << pattern << pattern << pattern;
    }
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    // The index on `at` gives the newest rows first without sorting the table.
    sql += QStringLiteral(" ORDER BY at DESC");

    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.prepare(sql);
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    setQuery(std::move(query));
    if (lastError().isValid()) {
        if (error)
            *error = lastError().text();
        return false;
    }
    return true;
}

void EventModel::release() {
    clear();
    if (QSqlDatabase::contains(connection))
        QSqlDatabase::database(connection, false).close();
}

void EventModel::fetchAll() {
    while (canFetchMore())
        fetchMore();
}

QString EventModel::timeText(qint64 at) {
    return QDateTime::fromMSecsSinceEpoch(at).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QVariant EventModel::data(const QModelIndex &index, int role) const {
    if (index.column() == At && role == Qt::DisplayRole)
        return timeText(QSqlQueryModel::data(index, role).toLongLong());
    return QSqlQueryModel::data(index, role);
}

QVariant EventModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QSqlQueryModel::headerData(section, orientation, role);
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
