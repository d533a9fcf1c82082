#pragma once

#include <QtGlobal>

#include <array>

namespace alarms {

// Whether the rises come as a flood: more than floodRises within floodWindowMs. Only the last
// floodRises + 1 rise times are kept, so 10^5 rises cost no more memory than eleven. Times are
// ms of the caller's monotonic clock.
class FloodWatch {
public:
    enum class Change { None, Began, Ended };

    // One more rise; Began when it makes a flood.
    Change rise(qint64 now);
    // Ended when the window now holds no more than floodEndRises.
    Change check(qint64 now);

    bool on() const { return flooding; }
    // The rises of the flood going on or last ended, from the first of the window that made it.
    qint64 rises() const { return count; }
    // The rises of the last 10 minutes that began the flood.
    qint64 risesAtStart() const { return startCount; }

private:
    // The n-th newest rise time (1 = the newest); only when at least n were kept.
    qint64 newest(int n) const;

    std::array<qint64, 11> times{};
    int kept = 0; // how many of `times` hold a rise
    int next = 0; // where the next rise goes
    bool flooding = false;
    qint64 count = 0;
    qint64 startCount = 0;
};

} // namespace alarms
