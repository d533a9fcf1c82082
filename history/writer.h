#pragma once

#include "events/records.h"
#include "history/capture.h"
#include "history/event_store.h"
#include "history/notice.h"
#include "history/retention_clock.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace history {

// Sizes and periods of the files; tests make them small.
struct WriterLimits {
    qint64 captureFileBytes = qint64(16) << 20;
    qint64 captureTotalBytes = qint64(256) << 20;
    qint64 sampleKeepMs = qint64(90) * 24 * 3600 * 1000;
    qint64 eventKeepMs = qint64(400) * 24 * 3600 * 1000;
    // How long one write waits for another program's lock. Short: rows that find the lock
    // wait in memory for the next write a second later, and the last write at exit is not
    // held up by one that is still waiting.
    int busyTimeoutMs = 1000;
    // A lock held this long by another program is said.
    int lockSayMs = 5000;
    // After a failed write or open, the next try of the database and of a capture file.
    int retryMs = 3000;
    // The last write of a run keeps trying this long before it gives up and says so.
    int finalFlushMs = 5000;
    // Rows the writer keeps while the database cannot take them (locked, unwritable); beyond
    // this the oldest are given up.
    size_t maxHeldRows = 200000;
    // What the queue takes between two writes before it refuses.
    size_t maxQueuedRows = 100000;
    qint64 maxQueuedCaptureBytes = qint64(32) << 20;
    // A wall clock further than this from the history's own time (a jump while running, or at
    // the start a clock past the newest row) is believed for retention only once it has held
    // for this long (see RetentionClock).
    qint64 clockToleranceMs = qint64(24) * 3600 * 1000;
    // Retention deletes in slices of about this long each, for at most the budget in one
    // write; the queue is written between them.
    int retentionSliceMs = 50;
    int retentionBudgetMs = 150;
};

// What the deletes of retention have cost so far in this run.
struct RetentionFigures {
    quint64 deletedRows = 0;
    quint64 slices = 0;
    qint64 longestSliceMs = 0;
};

// A capture file opens, a chunk, the file closes, or chunks the queue refused; kept in order
// with the chunks, so that the remark of what was refused stands where the bytes are missing.
struct CaptureItem {
    enum Kind : quint8 { Start, Chunk, Stop, Lost };
    Kind kind = Chunk;
    CaptureChunk chunk; // Start: chunk.at is the time of the open; Lost: of the first refused
    QString port;       // Start only
    quint64 lost = 0;   // Lost only: the bytes refused
};

// What the GUI thread hands over between two writes.
struct Batch {
    std::vector<events::Event> events;
    std::vector<events::Sample> samples;
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
    bool pushEvent(const events::Event &event);
    bool pushSample(const events::Sample &sample);
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
// never stops the program. Its trouble is said as notices (history/notice.h): each kind when it
// begins and again when it ends, to `trouble` as a line of text and to the notice sink.
class HistoryWriter {
public:
    HistoryWriter(const QString &logDir, const WriterLimits &limits,
                  std::function<void(const QString &)> trouble);
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter &) = delete;
    HistoryWriter &operator=(const HistoryWriter &) = delete;

    void setNoticeSink(std::function<void(const Notice &)> sink) { notices = std::move(sink); }
    // Where the rows the writer writes of its own go as well (ended_unexpectedly, a clock jump).
    void setRowSink(std::function<void(const events::Event &)> sink) { rowSink = std::move(sink); }
    // Asked between two slices of retention: true ends the slices for now (the run ends, a
    // flush waits).
    void setStopAsked(std::function<bool()> asked) { stopAsked = std::move(asked); }
    // The program's steady clock in ms (tests pass their own).
    void setSteadyClock(std::function<qint64()> clock) { steadyClock = std::move(clock); }

    // Writes one batch: its capture items in order, then its rows (with any held ones) in one
    // transaction, then a share of retention's deletes. `now` is the wall clock in ms since
    // 1970.
    void write(Batch batch, qint64 now);
    // Opens the database if there is one already, with its check, before any row waits for
    // it (a new one is made only for the first rows).
    void openExisting(qint64 now);
    // The last write of a run: as write(), but the rows never wait for the next try; a lock or
    // a full disk is tried again for up to finalFlushMs. Then the capture closes, and what
    // could not be written is said (RowsAtExit, BytesAtExit).
    void finish(Batch batch);
    size_t heldRows() const { return heldEvents.size() + heldSamples.size(); }
    QString capturePath() const { return capture.currentPath(); }
    // Whether a retention pass has deletes left.
    bool isRetaining() const { return retaining; }
    const RetentionFigures &retentionFigures() const { return figures; }

private:
    void take(Batch &batch);
    void writeCapture(std::vector<CaptureItem> &items, quint64 droppedBytes);
    void writeRows(qint64 now, bool final);
    bool openStore(qint64 now, QString *error);
    void startRun(qint64 now);
    void lockFound(qint64 now, size_t waiting, const QString &error);
    void watchClock(qint64 now);
    void sayJump(const ClockJump &jump, bool atStart);
    void addOwnRow(const events::Event &event, bool first);
    void retainSome(qint64 now);
    bool retainSlice();
    qint64 steady() const;
    void giveUpBeyondBound();
    void say(const Notice &notice);
    void begin(Notice::Kind kind, quint64 count, const QString &text = QString());
    void end(Notice::Kind kind, quint64 count, const QString &text = QString());

    QString dir;
    WriterLimits limits;
    std::function<void(const QString &)> trouble;
    std::function<void(const Notice &)> notices;
    std::function<void(const events::Event &)> rowSink;
    std::function<bool()> stopAsked;
    std::function<qint64()> steadyClock;
    QElapsedTimer steadyTimer;
    CaptureFiles capture;
    std::unique_ptr<EventStore> store;
    std::vector<events::Event> heldEvents;
    std::vector<events::Sample> heldSamples;
    qint64 nextAttempt = 0;
    qint64 lockedSince = 0;
    QString lastError;
    // The last open found a damaged file it could not set aside (or a database of a later
    // version, left as it is): tried again seldom (each try checks the whole file), and not
    // again and again at the end of the run.
    bool damagedStuck = false;
    // The start of the run: what the history held before its first row was read.
    bool started = false;
    RetentionClock clock;
    // Retention: the next pass (steady clock), and the pass under way.
    qint64 nextRetention = 0;
    bool retaining = false;
    bool samplesLeft = false;
    qint64 samplesBefore = 0;
    qint64 eventsBefore = 0;
    int sliceRows = 2000;
    RetentionFigures figures;
    RetentionFigures pass; // the pass under way
    qint64 passStarted = 0;
    // Which kinds of trouble are going on, and what each has cost so far.
    std::array<bool, Notice::KindCount> going{};
    std::array<quint64, Notice::KindCount> tally{};
};

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
