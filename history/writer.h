#pragma once

#include "history/capture.h"
#include "history/event_store.h"
#include "history/records.h"

#include <QMutex>
#include <QSet>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <functional>
#include <memory>
#include <vector>

namespace history {

// Sizes and periods of the files; tests make them small.
struct WriterLimits {
    qint64 captureFileBytes = qint64(16) << 20;
    qint64 captureTotalBytes = qint64(256) << 20;
    qint64 sampleKeepMs = qint64(90) * 24 * 3600 * 1000;
    int busyTimeoutMs = 5000;
    // Rows the writer keeps while the database cannot take them (locked, unwritable); beyond
    // this the oldest are given up.
    size_t maxHeldRows = 200000;
    // What the queue takes between two writes before it refuses.
    size_t maxQueuedRows = 100000;
    qint64 maxQueuedCaptureBytes = qint64(32) << 20;
};

// A capture file opens, a chunk, or the file closes; kept in order with the chunks.
struct CaptureItem {
    enum Kind : quint8 { Start, Chunk, Stop };
    Kind kind = Chunk;
    CaptureChunk chunk; // Start: chunk.at is the time of the open
    QString port;       // Start only
};

// What the GUI thread hands over between two writes.
struct Batch {
    std::vector<Event> events;
    std::vector<Sample> samples;
    std::vector<CaptureItem> capture;
    quint64 droppedRows = 0;
    quint64 droppedBytes = 0;
    bool isEmpty() const {
        return events.empty() && samples.empty() && capture.empty() && droppedRows == 0 &&
               droppedBytes == 0;
    }
};

// The hand-over between the GUI thread and the writer thread: a short lock to append or to
// take everything. Bounded: when full it refuses and counts what it refused.
class WriterQueue {
public:
    explicit WriterQueue(size_t maxRows = 100000, qint64 maxCaptureBytes = qint64(32) << 20);
    bool pushEvent(const Event &event);
    bool pushSample(const Sample &sample);
    bool pushCapture(CaptureItem item);
    Batch take();

private:
    QMutex mutex;
    Batch pending;
    size_t maxRows;
    qint64 maxCaptureBytes;
    qint64 captureBytes = 0;
};

// Writes batches to the capture files and the database; used by one thread. Never throws and
// never stops the program: trouble goes to `trouble`, once per kind (capture, database, queue).
class HistoryWriter {
public:
    HistoryWriter(const QString &logDir, const WriterLimits &limits,
                  std::function<void(const QString &)> trouble);
    ~HistoryWriter();

    // Writes one batch: its capture items in order, then its rows (with any held ones) in one
    // transaction. `now` is the wall clock in ms since 1970.
    void write(Batch batch, qint64 now);
    size_t heldRows() const { return heldEvents.size() + heldSamples.size(); }
    QString capturePath() const { return capture.currentPath(); }

private:
    void writeCapture(std::vector<CaptureItem> &items, quint64 droppedBytes);
    void writeRows(qint64 now);
    void say(const QString &kind, const QString &text);

    QString dir;
    WriterLimits limits;
    std::function<void(const QString &)> trouble;
    CaptureFiles capture;
    std::unique_ptr<EventStore> store;
    std::vector<Event> heldEvents;
    std::vector<Sample> heldSamples;
    qint64 nextOpenAttempt = 0;
    qint64 nextRetention = 0;
    QSet<QString> said;
};

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
