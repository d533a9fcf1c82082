#include "fleet/laser.h"

#include <algorithm>

namespace fleet {

namespace {

// 2000-01-01: a host's time before this is a clock that was never set.
constexpr qint64 earliestBelievable = 946684800000;

} // namespace

qint64 offlineSince(const Laser &laser, qint64 now, qint64 staleLimit) {
    if (laser.flagKnown && !laser.flagOnline) {
        // A retained "false" is the will of a host that went before this window started; its
        // last status tells best when that was.
        if (laser.flagRetained && laser.hasStatus)
            return laser.statusTime == unknownTime
                       ? unknownTime
                       : std::max(unknownTime + 1, std::min(laser.statusTime, laser.flagTime));
        return std::max(unknownTime + 1, laser.flagTime);
    }
    if (laser.hasStatus) {
        if (laser.statusTime == unknownTime)
            return unknownTime;
        return now - laser.statusTime > staleLimit ? std::max(unknownTime + 1, laser.statusTime)
                                                   : 0;
    }
    // Only a flag or events, and no status: as old as the last of them.
    return now - laser.heardAt > staleLimit ? std::max(unknownTime + 1, laser.heardAt) : 0;
}

qint64 lastFrameAge(const Laser &laser, qint64 now) {
    if (!laser.hasStatus || laser.status.lastFrameAt <= 0 || laser.statusTime == unknownTime)
        return -1;
    // Both times of the status are the host's, whatever its clock says: only their difference
    // counts, and the time since the status by the fleet's clock.
    const qint64 atStatus = std::max<qint64>(0, laser.status.at - laser.status.lastFrameAt);
    return atStatus + std::max<qint64>(0, now - laser.statusTime);
}

bool clockDiffers(const Laser &laser) {
    return laser.skewKnown &&
           (laser.clockSkew > clockSkewLimitMs || laser.clockSkew < -clockSkewLimitMs);
}

void heardInstance(Laser &laser, const QString &instance, qint64 received, qint64 staleLimit) {
    if (instance.isEmpty())
        return;
    auto &known = laser.instances;
    auto it = std::find_if(known.begin(), known.end(), [&](const std::pair<QString, qint64> &i) {
        return i.first == instance;
    });
    // Heard again after another: both are alive. A restart brings a new token and never the old.
    if (it != known.end() && it + 1 != known.end() && received - it->second <= staleLimit)
        laser.twoHostsAt = received;
    if (it != known.end())
        known.erase(it);
    else if (known.size() >= maxInstances)
        known.erase(known.begin());
    known.emplace_back(instance, received);
}

bool goneOffline(Laser &laser, const QString &instance, qint64 received, qint64 staleLimit) {
    if (instance.isEmpty())
        return true;
    auto &known = laser.instances;
    const auto it =
        std::find_if(known.begin(), known.end(),
                     [&](const std::pair<QString, qint64> &i) { return i.first == instance; });
    if (it != known.end()) {
        known.erase(it);
        laser.twoHostsAt = 0;
    }
    // Another host still heard speaks for the laser.
    return std::none_of(known.begin(), known.end(), [&](const std::pair<QString, qint64> &i) {
        return received - i.second <= staleLimit;
    });
}

bool twoHosts(const Laser &laser, qint64 now, qint64 staleLimit) {
    return laser.twoHostsAt != 0 && now - laser.twoHostsAt <= staleLimit;
}

void setStatusTime(Laser &laser, const plant::LaserStatus &next, bool retained, qint64 received) {
    // The fleet's clock decides how old a status is: a live one is as old as the time since it
    // came, and tells how far the host's clock is off.
    if (!retained) {
        laser.statusTime = received;
        laser.skewKnown = true;
        laser.clockSkew = next.at - received;
    } else if (next.at > received + clockSkewLimitMs) {
        // From the future: no telling when it was made; offline until a live one comes.
        laser.statusTime = unknownTime;
        laser.skewKnown = true;
        laser.clockSkew = std::max(laser.clockSkew, next.at - received);
    } else if (next.at < earliestBelievable) {
        laser.statusTime = unknownTime;
    } else {
        // As old as it says, by the host's clock put right where it is known; never newer
        // than its arrival.
        const qint64 made = laser.skewKnown ? next.at - laser.clockSkew : next.at;
        laser.statusTime = std::max(earliestBelievable, std::min(made, received));
    }
}

} // namespace fleet
