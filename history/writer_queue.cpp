#include "history/writer_queue.h"

#include <QMutexLocker>

#include <utility>

namespace history {

WriterQueue::WriterQueue(size_t maxRows, qint64 maxCaptureBytes)
    : maxRows(maxRows), maxCaptureBytes(maxCaptureBytes) {}

bool WriterQueue::pushEvent(const events::Event &event) {
    QMutexLocker lock(&mutex);
    if (pending.events.size() + pending.samples.size() >= maxRows) {
        ++pending.droppedRows;
        return false;
    }
    pending.events.push_back(event);
    return true;
}

bool WriterQueue::pushSample(const events::Sample &sample) {
    QMutexLocker lock(&mutex);
    if (pending.events.size() + pending.samples.size() >= maxRows) {
        ++pending.droppedRows;
        return false;
    }
    pending.samples.push_back(sample);
    return true;
}

bool WriterQueue::pushCapture(CaptureItem item) {
    QMutexLocker lock(&mutex);
    if (item.kind == CaptureItem::Chunk) {
        if (captureBytes + item.chunk.bytes.size() > maxCaptureBytes) {
            const auto size = quint64(item.chunk.bytes.size());
            pending.droppedBytes += size;
            // One remark for each run of refused chunks, where they are missing.
            if (pending.capture.empty() || pending.capture.back().kind != CaptureItem::Lost) {
                CaptureItem lost;
                lost.kind = CaptureItem::Lost;
                lost.chunk.at = item.chunk.at;
                pending.capture.push_back(std::move(lost));
            }
            pending.capture.back().lost += size;
            return false;
        }
        captureBytes += item.chunk.bytes.size();
    }
    pending.capture.push_back(std::move(item));
    return true;
}

Batch WriterQueue::take() {
    QMutexLocker lock(&mutex);
    Batch out;
    std::swap(out, pending);
    captureBytes = 0;
    out.outboxKey = outboxKey;
    return out;
}

void WriterQueue::setOutboxKey(const QString &key) {
    QMutexLocker lock(&mutex);
    outboxKey = key;
}

} // namespace history
