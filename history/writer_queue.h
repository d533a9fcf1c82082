#pragma once

#include "events/records.h"
#include "history/capture_line.h"

#include <QMutex>
#include <QString>

#include <vector>

namespace history {

// A capture file opens, a chunk, the file closes, or chunks the queue refused; kept in order
// with the chunks, so that the remark of what was refused stands where the bytes are missing.
struct CaptureItem {
    enum Kind : quint8 { Start, Chunk, Stop, Lost };
    Kind kind = Chunk;
    CaptureChunk chunk; // Start: chunk.at is the time of the open; Lost: of the first refused
    QString port;       // Start only
    quint64 lost = 0;   // Lost only: the bytes refused
};

// What the GUI thread hands over between two writes.
struct Batch {
    std::vector<events::Event> events;
    std::vector<events::Sample> samples;
    std::vector<CaptureItem> capture;
    quint64 droppedRows = 0;
    quint64 droppedBytes = 0;
    // The laser id the plant link publishes under (see history/outbox.h); empty: no link.
    QString outboxKey = QString();
    bool isEmpty() const {
        return events.empty() && samples.empty() && capture.empty() && droppedRows == 0 &&
               droppedBytes == 0;
    }
};

// The hand-over between the GUI thread and the writer thread: a short lock to append or to
// take everything. Bounded: when full it refuses and counts what it refused.
class WriterQueue {
public:
    explicit WriterQueue(size_t maxRows = 100000, qint64 maxCaptureBytes = qint64(32) << 20);
    bool pushEvent(const events::Event &event);
    bool pushSample(const events::Sample &sample);
    bool pushCapture(CaptureItem item);
    Batch take();
    // From the next batch on, the events are kept in the outbox for the plant link too.
    void setOutboxKey(const QString &key);

private:
    QMutex mutex;
    Batch pending;
    size_t maxRows;
    qint64 maxCaptureBytes;
    qint64 captureBytes = 0;
    QString outboxKey = QString();
};

} // namespace history
