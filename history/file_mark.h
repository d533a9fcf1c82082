#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace history {

// The database file as this program last left it, so that another file copied onto it in place
// (`cp restore.sqlite log/history.sqlite` while the program runs keeps the inode: device and
// inode tell nothing) is found before the program writes to it or checkpoints into it again.
// The pages in the write-ahead log belong to the file that was there before: a checkpoint would
// write them over the new one, and a read would take them for its own.
class FileMark {
public:
    explicit FileMark(const QString &path) : file(path) {}

    // After the open and after each transaction of this program's own connection.
    void take();
    // Before and after each transaction: false, with `error`, when the file has changed (see
    // changed()); else the file as it is now is the mark.
    bool holds(QString *error);
    // Whether the file has changed since take() other than by a checkpoint of another
    // connection (which the write-ahead log's index shows); a checkpoint's change is taken as
    // the new mark. False until take().
    bool changed();
    // Makes the write-ahead log and its index empty for every connection, of this program and of
    // others: their headers are zeroed, so whoever uses them next rebuilds the index from a log
    // that holds no page. Nothing of the log then reaches the file, a close's checkpoint
    // included.
    void dropLog() const;

private:
    struct Look {
        QByteArray header; // the file's first 100 bytes
        qint64 size = -1;
        bool indexed = false;   // the index's header could be read
        QByteArray salt;        // of the log, new each time it starts again from its beginning
        quint32 backfilled = 0; // frames of the log copied into the file so far
    };
    Look look() const;

    QString file;
    Look marked;
    bool taken = false;
};

} // namespace history
