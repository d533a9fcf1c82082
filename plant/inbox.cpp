#include "plant/inbox.h"

namespace plant {

namespace {
// How long a message from the broker waits for room before it is counted as overrun: the
// time to read a full batch of the largest statuses, well within the broker's keep-alive.
constexpr auto roomWait = std::chrono::seconds(10);
} // namespace

Inbox::Inbox(int capacity, qint64 byteCapacity) : capacity(capacity), byteCapacity(byteCapacity) {}

qint64 Inbox::heldBytes(const Raw &raw) {
    return qint64(sizeof(Raw)) + 64 + raw.topic.capacity() + raw.payload.capacity() +
           2 * raw.instance.capacity();
}

void Inbox::put(Raw raw, const std::function<void(bool now)> &askDrain) {
    std::unique_lock<std::mutex> lock(inboxLock);
    const qint64 size = heldBytes(raw);
    const auto full = [&] {
        return static_cast<int>(inbox.size()) >= capacity ||
               inboxBytes + batchOutBytes + size > byteCapacity;
    };
    // Nothing more is read from the broker while the window catches up, for a while.
    if (full() && !stopRequested)
        roomMade.wait_for(lock, roomWait, [&] { return !full() || stopRequested; });
    if (full() || stopRequested) {
        ++overrun;
        return;
    }
    inboxBytes += size;
    inbox.push_back(std::move(raw));
    // Half full: no gathering time, the next batch goes as soon as the last one is taken.
    const bool now = inboxBytes + batchOutBytes > byteCapacity / 2 ||
                     static_cast<int>(inbox.size()) > capacity / 2;
    if (drainAsked && !(now && !drainNowAsked))
        return;
    drainAsked = true;
    drainNowAsked = drainNowAsked || now;
    askDrain(now);
}

void Inbox::take(std::vector<Raw> &taken, quint64 &overrunSince) {
    std::lock_guard<std::mutex> lock(inboxLock);
    taken.swap(inbox);
    // Counted as the batch until it is read.
    batchOutBytes = inboxBytes;
    inboxBytes = 0;
    overrunSince = overrun;
    overrun = 0;
    drainAsked = false;
    drainNowAsked = false;
}

void Inbox::batchOut(qint64 bytes) {
    {
        // The raw copies go with `taken`; what the batch holds is counted until it is taken.
        std::lock_guard<std::mutex> lock(inboxLock);
        batchOutBytes = bytes;
    }
    roomMade.notify_all();
}

void Inbox::batchTaken(bool &waiting, bool &now) {
    {
        std::lock_guard<std::mutex> lock(inboxLock);
        batchOutBytes = 0;
        waiting = !inbox.empty() || overrun > 0;
        now = drainNowAsked;
    }
    roomMade.notify_all();
}

void Inbox::requestStop() {
    stopRequested = true;
    std::lock_guard<std::mutex> lock(inboxLock);
    roomMade.notify_all();
}

} // namespace plant
