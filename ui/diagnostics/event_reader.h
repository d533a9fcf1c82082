#pragma once

#include "events/event_words.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVector>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace diagnostics {

// What the Events tab shows: a category (empty for all), a time window (0 for all) and a text
// that the stored name, value or detail, or the name or value as shown, must contain.
struct EventFilter {
    QString category;
    qint64 withinMs = 0;
    QString text;
};

// One row of the events table: its time, its row id (-1: a row the recorder took on, not read
// from the database), and category, name, value, detail in `cells`.
struct EventRow {
    qint64 at = 0;
    qint64 id = -1;
    QVariant cells[4];
};

// A row's place in the table, newest first: by time, then row id.
struct EventPlace {
    qint64 at = 0;
    qint64 id = 0;
    bool valid = false;
};

// Reads the events table of the history database for a filter, newest first, read-only on a
// connection of its own, on the thread that made it. Each query is read to its end and finished
// before it returns: no read transaction outlives it, so the writer's checkpoints always reach
// the end of the write-ahead log. A filter the indexes answer at once (a category, a time window)
// is one query a page; one they cannot (a text, anywhere in the name, value or detail) walks the
// table along the index in steps of `stepRows` rows, handing on what each step found and asking
// between two steps whether to stop, so that no read holds its thread for long.
class EventReader {
public:
    static constexpr int stepRows = 20000;
    enum class Outcome { More, End, Cancelled, Failed };

    EventReader(const QString &databasePath, const QString &connectionName);
    ~EventReader();
    EventReader(const EventReader &) = delete;
    EventReader &operator=(const EventReader &) = delete;

    // Sets the filter (`since`: the time window's start, or 0; `shown`: what the text finds among
    // the words shown). The first read starts at `top` (inclusive), by default the newest row now:
    // rows written later come from the recorder. False with the reason when the database cannot
    // be read (not there yet, damaged).
    bool start(const EventFilter &filter, qint64 since, const QVector<events::ShownKey> &shown,
               QString *error, EventPlace top = EventPlace());
    // Where the reads started.
    EventPlace top() const { return first; }
    // Reads up to `want` more rows below the last one read, handing them to `sink` in batches as
    // they are found; `cancelled` is asked between two steps. More: there may be more rows.
    Outcome read(int want, const std::function<void(std::vector<EventRow> &&)> &sink,
                 const std::function<bool()> &cancelled, QString *error);
    void close();

private:
    bool open(QString *error);
    bool categoryIndexed();
    // The rows of `conditions` below the last one read, newest first, at most `limit`; false on
    // an error.
    bool query(const QString &columns, QStringList conditions, QVariantList values, int limit,
               int offset, const std::function<void(const QVariantList &)> &row, QString *error);

    QString path;
    QString connection;
    // What the index walked finds at once (the category where it is indexed, the time window),
    // and what each row of it is checked for (the text; the category where it is not).
    QStringList indexed;
    QVariantList indexedValues;
    QString checked;
    QVariantList checkedValues;
    EventPlace first;
    EventPlace last;   // the last row looked at, or `first` before the first read
    bool fresh = true; // nothing read yet: `last` itself is still to be read
    bool atEnd = true;
};

} // namespace diagnostics
