#include "history/retention_pass.h"

#include "history/event_store.h"
#include "history/retention_clock.h"

#include <QElapsedTimer>

#include <algorithm>
#include <utility>

namespace history {

RetentionPass::RetentionPass(const WriterLimits &limits,
                             std::function<void(const QString &)> trouble,
                             std::function<qint64()> steady, std::function<bool()> stopAsked)
    : limits(limits), trouble(std::move(trouble)), steady(std::move(steady)),
      stopAsked(std::move(stopAsked)) {}

void RetentionPass::retainSome(EventStore &store, const RetentionClock &clock, qint64 now) {
    const qint64 steadyNow = steady();
    if (!retaining && steadyNow >= nextRetention) {
        // Ages against the time the clock is believed to be (see RetentionClock): a wall clock
        // set ahead deletes nothing that the rows' own times keep.
        const qint64 reference = clock.reference(now, steadyNow);
        samplesBefore = reference - limits.sampleKeepMs;
        eventsBefore = reference - limits.eventKeepMs;
        samplesLeft = true;
        retaining = true;
        nextRetention = steadyNow + 3600 * 1000;
        pass = RetentionFigures();
        passStarted = steadyNow;
    }
    QElapsedTimer spent;
    spent.start();
    while (retaining && spent.elapsed() < limits.retentionBudgetMs && !(stopAsked && stopAsked()))
        retainSlice(&store);
}

bool RetentionPass::retainSlice(EventStore *store) {
    const QString table = samplesLeft ? QStringLiteral("samples") : QStringLiteral("events");
    QElapsedTimer took;
    took.start();
    int deleted = 0;
    QString error;
    const int asked = sliceRows;
    const EventStore::Result r = store->deleteOldest(
        table, samplesLeft ? samplesBefore : eventsBefore, asked, &deleted, &error);
    const qint64 ms = took.elapsed();
    for (RetentionFigures *f : {&figures, &pass}) {
        f->longestSliceMs = std::max(f->longestSliceMs, ms);
        ++f->slices;
        f->deletedRows += quint64(deleted);
    }
    if (r != EventStore::Result::Ok) {
        // Locked by another program, or no room for the journal: the rows stay, and the pass
        // begins again a little later. Nothing is lost by waiting.
        retaining = false;
        nextRetention = steady() + limits.retryMs;
        return false;
    }
    // Each slice about its share of time, whatever the machine and the triggers cost.
    if (deleted == asked && ms * 2 < limits.retentionSliceMs)
        sliceRows = std::min(asked * 2, 1 << 20);
    else if (ms > limits.retentionSliceMs)
        sliceRows = std::max(asked / 2, 64);
    if (deleted < asked) {
        if (samplesLeft)
            samplesLeft = false;
        else
            retaining = false;
    }
    // A long pass (after the program was left unused) is told on standard error.
    if (!retaining && steady() - passStarted >= 5000 && trouble)
        trouble(QStringLiteral("history: %1 rows past their keeping deleted in %2 slices over %3 "
                               "s, the longest %4 ms")
                    .arg(pass.deletedRows)
                    .arg(pass.slices)
                    .arg(double(steady() - passStarted) / 1000.0, 0, 'f', 1)
                    .arg(pass.longestSliceMs));
    return retaining;
}

} // namespace history
