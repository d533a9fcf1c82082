#include "tools/ccb_sim/replay.h"

#include <QtGlobal>

namespace ccbsim {

ReplayPlan planReplay(QIODevice &capture, double speed, qint64 maxGapMs) {
    ReplayPlan plan;
    plan.reading = history::readCapture(capture);
    double elapsed = 0;
    qint64 previous = 0;
    for (const history::CaptureChunk &c : plan.reading.chunks) {
        if (c.sent)
            continue;
        if (!plan.chunks.isEmpty())
            elapsed += double(qBound<qint64>(0, c.at - previous, maxGapMs)) / speed;
        previous = c.at;
        plan.chunks.append(c);
        plan.dueMs.append(qint64(elapsed));
    }
    return plan;
}

QString skippedSummary(const history::CaptureReading &reading) {
    if (reading.skipped == 0)
        return QString();
    return QStringLiteral("%1 %2 skipped, the first is line %3: %4")
        .arg(reading.skipped)
        .arg(reading.skipped == 1 ? QStringLiteral("line") : QStringLiteral("lines"))
        .arg(reading.firstSkippedLine)
        .arg(reading.firstSkippedReason);
}

} // namespace ccbsim
