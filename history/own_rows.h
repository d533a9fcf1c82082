#pragma once

#include "events/records.h"
#include "history/notice.h"
#include "history/retention_clock.h"
#include "history/writer_limits.h"

#include <QString>
#include <QtGlobal>

#include <functional>

namespace history {

class EventStore;
class RunBook;

// The rows the writer writes of its own and the clock they are judged by: at the start of a run,
// from what the history held (the last run ended with its port open, a wall clock behind the
// newest row or far past it); while it runs, the wall clock's jumps. Keeps the clock retention
// measures ages against.
class OwnRows {
public:
    // `say`: a notice; `addOwnRow`: a row to write, before (`first`) or after the rows waiting;
    // `trouble`: a line for standard error; `steady`: the program's steady clock in ms.
    OwnRows(const QString &dir, const WriterLimits &limits, std::function<void(const Notice &)> say,
            std::function<void(const events::Event &, bool)> addOwnRow,
            std::function<void(const QString &)> trouble, std::function<qint64()> steady);

    // The start of the run: what the history held before its first row was read.
    // `runs`: this run's book, told of the ended runs whose rows it is to write; `capturePath`:
    // this program's own capture file.
    void startRun(EventStore *store, RunBook *runs, qint64 now, const QString &capturePath);
    // At each write: a jump of the wall clock is said and written.
    void watchClock(qint64 now);
    const RetentionClock &retentionClock() const { return clock; }

private:
    void sayJump(const ClockJump &jump, bool atStart);

    QString dir;
    WriterLimits limits;
    std::function<void(const Notice &)> say;
    std::function<void(const events::Event &, bool)> addOwnRow;
    std::function<void(const QString &)> trouble;
    std::function<qint64()> steady;
    RetentionClock clock;
};

} // namespace history
