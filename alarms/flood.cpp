#include "alarms/flood.h"

#include "alarms/decisions.h"

#include <algorithm>

namespace alarms {

static_assert(floodRises + 1 == 11, "the ring keeps the rises that make a flood");
static_assert(floodEndRises < floodRises, "a flood ends below where it begins");

qint64 FloodWatch::newest(int n) const {
    const int size = int(times.size());
    return times[size_t((next - n + size) % size)];
}

FloodWatch::Change FloodWatch::rise(qint64 now) {
    times[size_t(next)] = now;
    next = (next + 1) % int(times.size());
    kept = std::min(kept + 1, int(times.size()));
    if (flooding) {
        ++count;
        return Change::None;
    }
    // The clock is monotonic, but a caller's time may still go back (tests, a bad source):
    // the window is then measured as 0 long, never negative.
    if (kept > floodRises && now - newest(floodRises + 1) <= floodWindowMs) {
        flooding = true;
        count = startCount = floodRises + 1;
        return Change::Began;
    }
    return Change::None;
}

FloodWatch::Change FloodWatch::check(qint64 now) {
    if (!flooding || now - newest(floodEndRises + 1) <= floodWindowMs)
        return Change::None;
    flooding = false;
    return Change::Ended;
}

} // namespace alarms
