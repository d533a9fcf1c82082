#pragma once

#include <QSqlQueryModel>
#include <QString>
#include <QtGlobal>

namespace diagnostics {

// What the Events tab shows: a category (empty for all), a time window (0 for all) and a text
// that the name, value or detail must contain.
struct EventFilter {
    QString category;
    qint64 withinMs = 0;
    QString text;
};

// The events table of the history database, newest first. Opens the file read-only on a
// connection of its own and lets QSqlQueryModel fetch rows in pages as the view scrolls, so a
// database of a million rows opens at once.
class EventModel : public QSqlQueryModel {
    Q_OBJECT
public:
    enum Column { At, Category, Name, Value, Detail, ColumnCount };

    explicit EventModel(const QString &databasePath, QObject *parent = nullptr);
    ~EventModel() override;

    // Runs the query for `filter` relative to `now` (ms since 1970). False with the reason
    // when the database cannot be read (not there yet, damaged); the model is empty then.
    bool select(const EventFilter &filter, qint64 now, QString *error = nullptr);
    // Drops the rows and closes the connection: a query left half fetched would keep a read
    // transaction open and hold back the writer's checkpoints.
    void release();
    // Fetches every row the filter matches (for the export).
    void fetchAll();

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The model's own read-only connection (for tests).
    QString connectionName() const { return connection; }

    // "2026-12-07 14:37:45.123" in local time.
    static QString timeText(qint64 at);

private:
    bool openDatabase(QString *error);

    QString path;
    QString connection;
};

} // namespace diagnostics
