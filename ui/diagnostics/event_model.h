#pragma once

#include "events/event_words.h"
#include "events/records.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVariantList>
#include <QtGlobal>

#include <vector>

namespace diagnostics {

// What the Events tab shows: a category (empty for all), a time window (0 for all) and a text
// that the stored name, value or detail, or the name or value as shown, must contain.
struct EventFilter {
    QString category;
    qint64 withinMs = 0;
    QString text;
};

// The events table of the history database, newest first, in the operator's words: the name,
// value and category as the current language says them (the stored ones under StoredRole). Opens
// the file read-only on a connection of its own and reads it in pages of `pageRows` as the view
// scrolls, so a database of a million rows opens at once. Each page is one query that is read to
// its end and finished before the page is shown: no read transaction outlives a page, so the
// writer's checkpoints always reach the end of the write-ahead log. The next page starts below the
// last row shown (by time, then row id), however many rows came since.
class EventModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { At, Category, Name, Value, Detail, ColumnCount };
    static constexpr int pageRows = 256;
    // The category, name or value as stored ("alarm", "chillerFault", "on").
    static constexpr int StoredRole = Qt::UserRole;

    explicit EventModel(const QString &databasePath, QObject *parent = nullptr);
    ~EventModel() override;

    // Reads the first page for `filter` relative to `now` (ms since 1970). False with the
    // reason when the database cannot be read (not there yet, damaged); the model is empty then.
    bool select(const EventFilter &wanted, qint64 now, QString *error = nullptr);
    // Drops the rows and closes the connection.
    void release();
    // Fetches every row the filter matches (for the export).
    void fetchAll();
    // Rows the recorder has just taken on (oldest first), which may not be in the database
    // yet: those the filter matches go on top, except, when the model `mayHold` them (read
    // since), those it holds already. Returns how many went on top.
    int addNewest(const std::vector<events::Event> &events, bool mayHold = false);
    // Whether the filter of the last select() takes `event`.
    bool matches(const events::Event &event) const;
    // The words shown change with the language.
    void retranslate();
    // Every row held: time, category, the key and value as stored, the name and value as
    // shown, detail; the header in the current language.
    QString csvText() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex &parent = QModelIndex()) override;

    // The model's own read-only connection (for tests).
    QString connectionName() const { return connection; }

    // "2026-12-07 14:37:45.123" in local time.
    static QString timeText(qint64 at);

private:
    struct Row {
        qint64 at;
        qint64 id;                       // -1: taken on by the recorder, not read from the database
        QVariant cells[ColumnCount - 1]; // category, name, value, detail
        QString cell(int column) const { return cells[column - 1].toString(); }
    };
    bool openDatabase(QString *error);
    bool readPage(QString *error);
    QString shown(const Row &row, int column) const;
    int held(const events::Event &event) const;

    QString path;
    QString connection;
    QString where;       // the filter's conditions, or empty
    QVariantList values; // their bound values
    EventFilter filter;
    qint64 since = 0;                    // the time window's start, or 0
    QVector<events::ShownKey> shownKeys; // what the filter's text finds among the shown words
    std::vector<Row> rows;
    bool atEnd = true;
};

} // namespace diagnostics
