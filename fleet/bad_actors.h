#pragma once

#include "fleet/laser.h"

#include <vector>

// The plant's bad actors: the laser × alarm pairs of every laser's last alarm summary, ranked.
namespace fleet {

// One pair: the laser's index in the fleet and the alarm's place in its summary's period.
struct BadActor {
    int laser = 0;
    int alarm = 0;
};

// What the list is ranked by: the laser and the alarm by their text, the rest by the figure.
enum class BadActorKey { Laser, Alarm, Rises, ActiveTime, Chatters, FirstOuts };

// The first `limit` pairs of the period `span` (plant::SummarySpan) by `key` (descending: the
// most first, or the texts from Z), ties by the most rises, the longest active, the laser id and
// the alarm key, so that the order never depends on the lasers' places. The work is linear in the
// pairs (at most 20 a laser) with a partial sort for the first `limit`.
std::vector<BadActor> rankBadActors(const std::vector<Laser> &lasers, int span, BadActorKey key,
                                    bool descending, size_t limit);

} // namespace fleet
