#pragma once

#include "events/records.h"
#include "history/alarm_rollup.h"
#include "history/capture.h"
#include "history/event_store.h"
#include "history/notice.h"
#include "history/own_rows.h"
#include "history/retention_pass.h"
#include "history/writer_limits.h"
#include "history/writer_queue.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace history {

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
    // Where each event goes, with its row id, once its transaction is committed.
    void setStoredSink(std::function<void(const events::StoredEvent &)> sink) {
        storedSink = std::move(sink);
    }
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
    bool isRetaining() const { return retention.isRetaining(); }
    const RetentionFigures &retentionFigures() const { return retention.inThisRun(); }

private:
    void take(Batch &batch);
    void writeCapture(std::vector<CaptureItem> &items, quint64 droppedBytes);
    void writeRows(qint64 now, bool final);
    void tryWrite(qint64 now, bool final);
    bool openStore(qint64 now, QString *error);
    void lockFound(qint64 now, size_t waiting, const QString &error);
    void addOwnRow(const events::Event &event, bool first);
    void retainSome(qint64 now);
    void foldAlarms(qint64 now);
    qint64 steady() const;
    QString fileLook() const;
    void sayWrittenOver();
    void giveUpBeyondBound();
    void say(const Notice &notice);
    void begin(Notice::Kind kind, quint64 count, const QString &text = QString());
    void end(Notice::Kind kind, quint64 count, const QString &text = QString());

    QString dir;
    WriterLimits limits;
    std::function<void(const QString &)> trouble;
    std::function<void(const Notice &)> notices;
    std::function<void(const events::Event &)> rowSink;
    std::function<void(const events::StoredEvent &)> storedSink;
    // The plant link's outbox (history/outbox.h), kept with each write.
    OutboxKeep outbox;
    std::vector<qint64> ids; // scratch, reused
    std::function<bool()> stopAsked;
    std::function<qint64()> steadyClock;
    QElapsedTimer steadyTimer;
    CaptureFiles capture;
    std::unique_ptr<EventStore> store;
    std::vector<events::Event> heldEvents;
    std::vector<bool> heldTold; // beside heldEvents: already handed to the plant link
    std::vector<events::Sample> heldSamples;
    qint64 nextAttempt = 0;
    qint64 lockedSince = 0;
    QString lastError;
    // The last open found a damaged file it could not set aside (or a database of a later
    // version, left as it is): tried again seldom (each try checks the whole file), and not
    // again and again at the end of the run.
    bool damagedStuck = false;
    // The database's size and time when it was found written over, until it stops changing.
    QString copyLook;
    // The start of the run: what the history held before its first row was read.
    bool started = false;
    OwnRows ownRows;
    RunBook runs{QDateTime::currentMSecsSinceEpoch()};
    RetentionPass retention;
    // The alarm report's tallies, kept up with the rows; its trouble said once.
    AlarmRollup alarmRollup;
    bool alarmFoldFailing = false;
    // Which kinds of trouble are going on, and what each has cost so far.
    std::array<bool, Notice::KindCount> going{};
    std::array<quint64, Notice::KindCount> tally{};
};

} // namespace history
