#pragma once

#include <QtGlobal>

#include <optional>

namespace history {

// A step of the wall clock of more than the tolerance: where it should have been by the
// program's own steady clock (or, at the start, the newest row's time) and where it was.
struct ClockJump {
    qint64 from = 0; // ms since 1970
    qint64 to = 0;
    bool forward() const { return to > from; }
};

// The time the history's retention measures ages against. One wrong reading of the wall clock
// (a flat clock battery, a wrong answer of a time server) must not delete the history, so the
// wall clock is believed only as far as the history and the steady clock bear it out:
//  - at the start the history's newest row anchors the time; a wall clock more than the
//    tolerance past it (the program left unused, or the clock set ahead: the two cannot be told
//    apart) is believed once the run has gone on for the tolerance;
//  - while running, the steady clock carries the anchor on; a wall clock that steps more than
//    the tolerance away from it is a jump, believed once it has kept its new time for the
//    tolerance (a jump while it is still doubted starts that again); back within the
//    tolerance of the steady time, it is believed again at once;
//  - the reference is never later than the wall clock: a clock that is behind deletes less.
// Used by one thread; times in ms (wall: since 1970; steady: any monotonic origin).
class RetentionClock {
public:
    explicit RetentionClock(qint64 toleranceMs = qint64(24) * 3600 * 1000)
        : tolerance(toleranceMs) {}

    // The first reading. `newestRow`: the newest time of the history that may be believed (0
    // when there is none). A wall clock behind it is believed as it is (it deletes less).
    void start(qint64 wall, qint64 steady, qint64 newestRow);
    // Every later reading; a jump when the wall clock stepped more than the tolerance against
    // the steady clock since the last one.
    std::optional<ClockJump> observe(qint64 wall, qint64 steady);
    // The time ages are measured against now.
    qint64 reference(qint64 wall, qint64 steady) const;
    // Whether the wall clock is not believed at present.
    bool doubting() const { return doubtSince >= 0; }
    bool isStarted() const { return started; }

private:
    void settle(qint64 wall, qint64 steady);

    qint64 tolerance;
    bool started = false;
    qint64 anchorWall = 0;
    qint64 anchorSteady = 0;
    qint64 lastWall = 0;
    qint64 lastSteady = 0;
    qint64 doubtSince = -1; // steady time the doubt began; -1: none
};

} // namespace history
