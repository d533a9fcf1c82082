#pragma once

#include "events/event_words.h"
#include "events/records.h"
#include "ui/diagnostics/event_reader.h"

#include <QAbstractTableModel>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace diagnostics {

// The events table of the history database, newest first, in the operator's words: the name,
// value and category as the current language says them (the stored ones under StoredRole). An
// EventReader reads it in pages of `pageRows` as the view scrolls, so a database of millions of
// rows opens at once. In the background (the Events tab) the reader runs on a thread of its own:
// the GUI thread only asks and takes the rows as they come, so no filter ever holds it, and a new
// filter stops a read still running within a step of the reader. Here (the tests) it reads at
// once on the calling thread.
class EventModel : public QAbstractTableModel {
    Q_OBJECT
    // Whether rows asked for are still being read.
    Q_PROPERTY(bool reading READ isReading NOTIFY readingChanged)
public:
    enum Column { At, Category, Name, Value, Detail, ColumnCount };
    static constexpr int pageRows = 256;
    // The category, name or value as stored ("alarm", "chillerFault", "on").
    static constexpr int StoredRole = Qt::UserRole;
    enum class Reads { Here, InBackground };

    explicit EventModel(const QString &databasePath, QObject *parent = nullptr,
                        Reads reads = Reads::Here);
    ~EventModel() override;

    // Drops the rows and reads the first page for `filter` relative to `now` (ms since 1970).
    // Here: false with the reason when the database cannot be read (not there yet, damaged); the
    // model is empty then. In the background: true; selected() says how it went.
    bool select(const EventFilter &wanted, qint64 now, QString *error = nullptr);
    // Drops the rows, stops any read and closes the connection.
    void release();
    // Fetches every row the filter matches (here).
    void fetchAll();
    bool isReading() const { return reading; }
    // Writes every row the filter matches to `path` as CSV (eventsCsvHeader, eventCsvLine): the
    // rows taken on since the select, then the table's from where the select began, page by
    // page on a thread of its own (here: at once), one export at a time. exported() says how it
    // went; a cancel (or the model's end) stops it within a page and leaves no file behind.
    void exportCsv(const QString &path);
    void cancelExport();
    bool isExporting() const { return exporter != nullptr; }
    // Rows the recorder has just taken on (oldest first), which may not be in the database
    // yet: those the filter matches go on top, except, when the model `mayHold` them (read
    // since), those it holds already. Returns how many went on top.
    int addNewest(const std::vector<events::Event> &events, bool mayHold = false);
    // Whether the filter of the last select() takes `event`.
    bool matches(const events::Event &event) const;
    // The words shown change with the language.
    void retranslate();
    // Every row held, as exportCsv() writes them.
    QString csvText() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex &parent = QModelIndex()) override;

    // The reader's read-only connection (for tests).
    QString connectionName() const { return connection; }

    // "2026-12-07 14:37:45.123" in local time; where the clocks went back and that local time
    // was passed twice, with its offset: "2026-10-25 02:30:00.000 +02:00".
    static QString timeText(qint64 at);

signals:
    void readingChanged(bool reading);
    // The first page of a select() is there, or could not be read (`error`).
    void selected(const QString &error);
    void exported(const QString &path, const QString &error);
    // Rows written so far by the export under way, a few times a second.
    void exportProgress(qint64 rows);

private:
    // Runs `job` with the reader, here or on the reader's thread; `post` brings its results
    // back to this thread.
    void run(std::function<void(EventReader &)> job);
    void post(std::function<void()> done);
    // Reads `want` more rows of the filter (`fresh`: a new select).
    void ask(int want, bool fresh);
    void setReading(bool on);
    // Rows read for the request of `asked`, unless a newer select or a release came since.
    void append(quint64 asked, const std::vector<EventRow> &page);
    QString shown(const EventRow &row, int column) const;
    int held(const events::Event &event) const;

    QString path;
    QString connection;
    Reads reads;
    QThread *thread = nullptr;
    QObject *context = nullptr;          // lives on the reader's thread
    std::unique_ptr<EventReader> reader; // used on that thread only
    std::atomic<quint64> generation{0};  // a new select or a release stops older reads
    QThread *exporter = nullptr;
    std::atomic<bool> stopExport{false};
    EventFilter filter;
    qint64 since = 0;                    // the time window's start, or 0
    QVector<events::ShownKey> shownKeys; // what the filter's text finds among the shown words
    EventPlace top;                      // where the select began, once its first page came
    std::vector<EventRow> rows;
    bool atEnd = true;
    bool reading = false;
    QString lastError;
};

} // namespace diagnostics
