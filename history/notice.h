#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

namespace history {

// What the history says about its own trouble. Most kinds are episodes: the trouble is said
// when it begins, not again while it lasts, and said again when it ends, with what it cost; a
// new episode is said again. A few are said once, as they happen.
struct Notice {
    enum Kind : quint8 {
        QueueRows,   // the queue refused rows; `count` rows (at the end: in all)
        QueueBytes,  // the queue refused capture bytes; `count` bytes (at the end: in all)
        Capture,     // the capture cannot write; `text` the reason; at the end `count` bytes
                     // lost and `text` the file it goes on in
        Database,    // rows cannot be written; `text` the reason; at the end `count` rows
                     // that waited and are written now
        Locked,      // another program holds the write lock for long; `count` rows waiting;
                     // at the end `count` rows written
        RowsGivenUp, // more rows waited than are kept: `count` oldest given up (at the end: in
                     // all)
        OverCap,     // the captures exceed their cap by `count` bytes: files other programs
                     // are writing are never deleted
        Damaged,     // once: the database was set aside as `text`, a fresh one started
        RowsAtExit,  // once, at the end of the run: `count` rows not written; `text` the reason
        BytesAtExit, // once, at the end of the run: `count` capture bytes not written
        ClockJump,   // once: the wall clock stepped more than a day, from `from` to `to` (ms
                     // since 1970); `text` "start" when found at the start against the
                     // newest row
        KindCount
    };
    enum Phase : quint8 { Began, Ended, Once };

    Kind kind = Database;
    Phase phase = Once;
    quint64 count = 0;
    QString text;
    qint64 from = 0;
    qint64 to = 0;

    bool operator==(const Notice &o) const {
        return kind == o.kind && phase == o.phase && count == o.count && text == o.text &&
               from == o.from && to == o.to;
    }
};

// The notice as one English line for standard error ("history: ...").
QString logText(const Notice &notice);
// "2026-12-07 14:37:45 UTC"; "3652 days 4 hours" (or hours and minutes under a day).
QString utcText(qint64 ms);
QString spanText(qint64 ms);

} // namespace history

Q_DECLARE_METATYPE(history::Notice)
