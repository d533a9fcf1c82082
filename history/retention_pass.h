#pragma once

#include "history/writer_limits.h"

#include <QString>
#include <QtGlobal>

#include <functional>

namespace history {

class EventStore;
class RetentionClock;

// What the deletes of retention have cost so far in this run.
struct RetentionFigures {
    quint64 deletedRows = 0;
    quint64 slices = 0;
    qint64 longestSliceMs = 0;
};

// Retention's deletes: once an hour a pass deletes the rows past their keeping, samples first,
// oldest first, in slices between the writes, so that no slice holds the database for long.
class RetentionPass {
public:
    // `steady`: the program's steady clock in ms; `stopAsked`: true ends the slices for now.
    RetentionPass(const WriterLimits &limits, std::function<void(const QString &)> trouble,
                  std::function<qint64()> steady, std::function<bool()> stopAsked);

    // Begins a pass when one is due, its ages against the time `clock` believes (`now` the wall
    // clock), then deletes slices for at most the budget.
    void retainSome(EventStore &store, const RetentionClock &clock, qint64 now);
    // Whether a pass has deletes left.
    bool isRetaining() const { return retaining; }
    const RetentionFigures &inThisRun() const { return figures; }

private:
    bool retainSlice(EventStore *store);

    WriterLimits limits;
    std::function<void(const QString &)> trouble;
    std::function<qint64()> steady;
    std::function<bool()> stopAsked;
    // The next pass (steady clock), and the pass under way.
    qint64 nextRetention = 0;
    bool retaining = false;
    bool samplesLeft = false;
    qint64 samplesBefore = 0;
    qint64 eventsBefore = 0;
    int sliceRows = 2000;
    RetentionFigures figures;
    RetentionFigures pass; // the pass under way
    qint64 passStarted = 0;
};

} // namespace history
