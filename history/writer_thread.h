#pragma once

#include "events/records.h"
#include "history/notice.h"
#include "history/writer_limits.h"
#include "history/writer_queue.h"

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

namespace history {

// The bytes of every file in `dir` and below it.
qint64 folderSize(const QString &dir);

// The writer thread: takes the queue once a second (at most one transaction a second) and at
// the end. flushNow() waits until everything queued before the call is written.
class WriterThread : public QThread {
    Q_OBJECT
public:
    WriterThread(WriterQueue &queue, const QString &logDir, const WriterLimits &limits,
                 QObject *parent = nullptr);
    ~WriterThread() override;
    void flushNow();
    // Writes what is queued and ends the thread; waits for it.
    void finish();

signals:
    void trouble(const QString &text);
    void notice(const history::Notice &notice);
    // A row the writer wrote of its own (ended_unexpectedly, a clock jump).
    void ownRow(const events::Event &event);
    // An event on disk, with its row id.
    void stored(const events::StoredEvent &event);
    // The database as the run found it has been opened and its start rows written (or there
    // is none yet): what is read from it now includes them.
    void started();
    // The size of the log folder (database, its journals and the captures), now and then.
    void logSize(qint64 bytes);

protected:
    void run() override;

private:
    WriterQueue &queue;
    QString dir;
    WriterLimits limits;
    QMutex mutex;
    QWaitCondition wake;
    QWaitCondition written;
    bool stopping = false;
    quint64 flushRequested = 0;
    quint64 flushDone = 0;
};

} // namespace history
