#include "plant/out_buffer.h"

#include <algorithm>

namespace plant {

OutBuffer::OutBuffer(int capacity) : capacity(std::max(1, capacity)) {}

void OutBuffer::push(Message message, qint64 now) {
    dropExpired(now);
    while (size() >= capacity) {
        // The oldest message is in flight when any is; it goes first.
        if (!inFlight.empty())
            inFlight.pop_front();
        else
            waiting.pop_front();
        ++droppedCount;
    }
    waiting.push_back(std::move(message));
}

std::pair<quint64, Message> OutBuffer::takeNext() {
    const quint64 id = nextId++;
    inFlight.emplace_back(id, std::move(waiting.front()));
    waiting.pop_front();
    return inFlight.back();
}

void OutBuffer::confirm(quint64 id) {
    const auto it =
        std::find_if(inFlight.begin(), inFlight.end(),
                     [id](const std::pair<quint64, Message> &m) { return m.first == id; });
    if (it != inFlight.end())
        inFlight.erase(it);
}

void OutBuffer::requeueInFlight() {
    for (auto it = inFlight.rbegin(); it != inFlight.rend(); ++it)
        waiting.push_front(std::move(it->second));
    inFlight.clear();
}

void OutBuffer::dropExpired(qint64 now) {
    const auto expired = [now](const Message &m) { return m.expiresAt > 0 && now >= m.expiresAt; };
    const auto end = std::remove_if(waiting.begin(), waiting.end(), expired);
    expiredCount += static_cast<quint64>(waiting.end() - end);
    waiting.erase(end, waiting.end());
}

} // namespace plant
