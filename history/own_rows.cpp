#include "history/own_rows.h"

#include "events/clock_rows.h"

#include "history/capture.h"
#include "history/event_store.h"

#include <algorithm>
#include <utility>

namespace history {

OwnRows::OwnRows(const QString &dir, const WriterLimits &limits,
                 std::function<void(const Notice &)> say,
                 std::function<void(const events::Event &, bool)> addOwnRow,
                 std::function<void(const QString &)> trouble, std::function<qint64()> steady)
    : dir(dir), limits(limits), say(std::move(say)), addOwnRow(std::move(addOwnRow)),
      trouble(std::move(trouble)), steady(std::move(steady)), clock(limits.clockToleranceMs) {}

void OwnRows::sayJump(const ClockJump &jump, bool atStart) {
    Notice n{Notice::ClockJump, Notice::Once, quint64(qAbs(jump.to - jump.from)),
             atStart ? QStringLiteral("start") : QString()};
    n.from = jump.from;
    n.to = jump.to;
    say(n);
    addOwnRow(events::clockJumpRow(jump.from, jump.to), false);
}

void OwnRows::watchClock(qint64 now) {
    if (const std::optional<ClockJump> jump = clock.observe(now, steady()))
        sayJump(*jump, false);
}

void OwnRows::startRun(EventStore *store, RunBook *runs, qint64 now, const QString &capturePath) {
    HistoryFacts facts;
    QString error;
    if (store->readFacts(now, limits.clockToleranceMs, &facts, &error) != EventStore::Result::Ok) {
        // Nothing is lost: the run goes on without the start's findings.
        if (trouble)
            trouble(QStringLiteral("history: the start of the history cannot be read, ") + error);
        return;
    }
    // Behind the last row written (a flat clock battery): said once, at this start; the rows
    // left in the future are kept by their own time.
    if (facts.lastWrittenAt > now + limits.clockToleranceMs)
        sayJump({facts.lastWrittenAt, now}, false);
    // Ages run from the newest row until the wall clock has held; a forward jump that has not
    // held for the tolerance yet keeps the time before it, and so do rows after a long pause
    // that span less than the tolerance (the clock set ahead, the program started again).
    const qint64 anchor = facts.unsettledJumpAt ? facts.beforeJumpAt
                          : facts.beforePauseAt ? facts.beforePauseAt
                                                : facts.newestAt;
    clock.start(now, steady(), anchor);
    // (Not when the time is a row before a pause: the run after it has said so already.)
    if (!facts.unsettledJumpAt && !facts.beforePauseAt && anchor > 0 &&
        now - anchor > std::max(limits.sampleKeepMs, limits.clockToleranceMs))
        // Further past the history than it keeps samples: said, and kept as a jump, so that
        // the next start doubts it as well until it has held.
        sayJump({anchor, now}, true);
    // Each run that ended with its port open and without its closed row: killed, crashed, the
    // power gone. Unless it still runs (two programs in one folder): its capture is locked.
    for (const EndedRun &ended : facts.endedOpen) {
        if (CaptureFiles::isCapturing(dir, ended.port, capturePath))
            continue;
        addOwnRow({ended.newestAt, QStringLiteral("link"), QStringLiteral("ended_unexpectedly"),
                   QString(), ended.port},
                  true);
        runs->ending(ended);
    }
}

} // namespace history
