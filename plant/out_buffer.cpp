#include "plant/out_buffer.h"

#include <algorithm>

namespace plant {

OutBuffer::OutBuffer(int capacity) : capacity(std::max(1, capacity)) {}

void OutBuffer::push(Message message, qint64 now) {
    dropExpired(now);
    while (size() >= capacity) {
        // The oldest message is in flight when any is; it goes first.
        Message &oldest = !inFlight.empty() ? inFlight.front().second : waiting.front();
        if (oldest.eventId > 0)
            left.push_back(oldest.eventId);
        else
            ++droppedCount;
        if (!inFlight.empty())
            inFlight.pop_front();
        else
            waiting.pop_front();
    }
    waiting.push_back(std::move(message));
}

std::pair<quint64, Message> OutBuffer::takeNext() {
    const quint64 id = nextId++;
    inFlight.emplace_back(id, std::move(waiting.front()));
    waiting.pop_front();
    return inFlight.back();
}

void OutBuffer::giveBack() {
    if (inFlight.empty())
        return;
    waiting.push_front(std::move(inFlight.back().second));
    inFlight.pop_back();
}

qint64 OutBuffer::confirm(quint64 id) {
    const auto it =
        std::find_if(inFlight.begin(), inFlight.end(),
                     [id](const std::pair<quint64, Message> &m) { return m.first == id; });
    if (it == inFlight.end())
        return 0;
    const qint64 eventId = it->second.eventId;
    inFlight.erase(it);
    return eventId;
}

std::vector<qint64> OutBuffer::takeLeft() {
    std::vector<qint64> out;
    out.swap(left);
    return out;
}

void OutBuffer::requeueInFlight() {
    for (auto it = inFlight.rbegin(); it != inFlight.rend(); ++it)
        waiting.push_front(std::move(it->second));
    inFlight.clear();
}

void OutBuffer::dropExpired(qint64 now) {
    const auto expired = [now](const Message &m) { return m.expiresAt > 0 && now >= m.expiresAt; };
    // Kept whole (not moved from) at the end, in their order: an event among them is named.
    const auto end = std::stable_partition(waiting.begin(), waiting.end(),
                                           [&expired](const Message &m) { return !expired(m); });
    for (auto it = end; it != waiting.end(); ++it)
        if (it->eventId > 0)
            left.push_back(it->eventId);
        else
            ++expiredCount;
    waiting.erase(end, waiting.end());
}

} // namespace plant
