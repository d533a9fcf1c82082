#include "history/retention_clock.h"

#include <algorithm>

namespace history {

void RetentionClock::start(qint64 wall, qint64 steady, qint64 newestRow) {
    started = true;
    lastWall = wall;
    lastSteady = steady;
    anchorSteady = steady;
    anchorWall = wall;
    doubtSince = -1;
    if (newestRow <= 0 || wall - newestRow <= tolerance)
        return;
    // Past the history by more than the tolerance: unused, or set ahead.
    anchorWall = newestRow;
    doubtSince = steady;
}

std::optional<ClockJump> RetentionClock::observe(qint64 wall, qint64 steady) {
    if (!started) {
        start(wall, steady, 0);
        return std::nullopt;
    }
    std::optional<ClockJump> jump;
    const qint64 expected = lastWall + (steady - lastSteady);
    if (qAbs(wall - expected) > tolerance) {
        jump = ClockJump{expected, wall};
        // A jump on a jump: the new time has to hold for the tolerance itself.
        if (doubtSince >= 0)
            doubtSince = steady;
    }
    lastWall = wall;
    lastSteady = steady;
    settle(wall, steady);
    return jump;
}

void RetentionClock::settle(qint64 wall, qint64 steady) {
    const qint64 trusted = anchorWall + (steady - anchorSteady);
    if (qAbs(wall - trusted) <= tolerance ||
        (doubtSince >= 0 && steady - doubtSince >= tolerance)) {
        anchorWall = wall;
        anchorSteady = steady;
        doubtSince = -1;
    } else if (doubtSince < 0) {
        doubtSince = steady;
    }
}

qint64 RetentionClock::reference(qint64 wall, qint64 steady) const {
    if (!started)
        return wall;
    return std::min(wall, anchorWall + (steady - anchorSteady));
}

} // namespace history
