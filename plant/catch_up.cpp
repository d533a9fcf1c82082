#include "plant/catch_up.h"

#include <algorithm>

namespace plant {

namespace {
constexpr qint64 retryMs = 5000;
}

CatchUp::CatchUp(OutboxAccess access) : access(std::move(access)) {}

bool CatchUp::takeLive(qint64 id) {
    // Without an outbox nothing is sent late: the live path has every event, untracked.
    if (!isOn())
        return true;
    liveSeen = std::max(liveSeen, id);
    // Live events come in the order they were written: the catch-up's earlier ones cannot
    // come live any more.
    const bool taken = lateTaken.count(id) > 0;
    lateTaken.erase(lateTaken.begin(), lateTaken.upper_bound(id));
    if (taken || doneSet.count(id))
        return false;
    inBuffer.insert(id);
    return true;
}

void CatchUp::leftBuffer(qint64 id) {
    if (inBuffer.erase(id) == 0)
        return;
    ++leftCount;
    rewind(id - 1);
}

void CatchUp::rewind(qint64 to) {
    // What was read and not yet sent is read again from there.
    if (readAt < read.size())
        to = std::min(to, read[readAt].id - 1);
    read.clear();
    readAt = 0;
    cursor = std::min(cursor, to);
    passDone = false;
}

void CatchUp::notSent(qint64 id) {
    if (lateInFlight.erase(id) == 0)
        return;
    lateTaken.erase(id);
    --lateSent;
    rewind(id - 1);
}

void CatchUp::delivered(qint64 id) {
    inBuffer.erase(id);
    lateInFlight.erase(id);
    if (!doneSet.insert(id).second)
        return;
    done.push_back(id);
    if (done.size() > maxDone) {
        doneSet.erase(done.front());
        done.erase(done.begin());
    }
}

void CatchUp::connected() {
    connectedNow = true;
    cursor = 0;
    read.clear();
    readAt = 0;
    passDone = false;
}

void CatchUp::connectionLost() {
    connectedNow = false;
    lateInFlight.clear();
}

std::vector<events::StoredEvent> CatchUp::next(qint64 now) {
    std::vector<events::StoredEvent> out;
    if (!isOn() || !connectedNow || passDone || now < retryAt)
        return out;
    while (lateInFlight.size() < size_t(window)) {
        if (readAt >= read.size()) {
            read.clear();
            readAt = 0;
            qint64 last = cursor;
            int gone = 0;
            QString error;
            if (!access.read(cursor, slice, &read, &last, &gone, &error)) {
                readTrouble = error.isEmpty() ? QStringLiteral("?") : error;
                const qint64 counted = access.count ? access.count() : -1;
                unsentCount = counted >= 0 ? counted : qint64(leftCount);
                read.clear();
                retryAt = now + retryMs;
                break;
            }
            readTrouble.clear();
            unsentCount = -1;
            goneCount += quint64(gone);
            if (last <= cursor) {
                passDone = true;
                break;
            }
            cursor = last;
            continue;
        }
        events::StoredEvent e = read[readAt++];
        if (inBuffer.count(e.id) || lateInFlight.count(e.id) || doneSet.count(e.id))
            continue;
        e.late = true;
        lateInFlight.insert(e.id);
        if (e.id > liveSeen && lateTaken.insert(e.id).second && lateTaken.size() > maxTaken)
            lateTaken.erase(lateTaken.begin());
        ++lateSent;
        out.push_back(std::move(e));
    }
    return out;
}

bool CatchUp::flush() {
    if (done.empty())
        return true;
    QString error;
    if (access.remove && !access.remove(done, &error)) {
        // Nothing is lost: the events the broker has may go once more (a consumer drops a
        // repeat by its id). Said once for each time it begins.
        if (!removeFailing)
            qWarning("plant link: the history's outbox cannot be written (%s): events the broker "
                     "has may be sent again",
                     qPrintable(error));
        removeFailing = true;
        return false;
    }
    removeFailing = false;
    done.clear();
    doneSet.clear();
    // What was read before is read again: a live event confirmed meanwhile, no longer known as
    // delivered, would otherwise go once more, late.
    if (readAt < read.size())
        rewind(read[readAt].id - 1);
    return true;
}

} // namespace plant
