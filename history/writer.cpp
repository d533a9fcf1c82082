#include "history/writer.h"

#include <QDateTime>
#include <QDir>
#include <QMutexLocker>

#include <utility>

namespace history {

WriterQueue::WriterQueue(size_t maxRows, qint64 maxCaptureBytes)
    : maxRows(maxRows), maxCaptureBytes(maxCaptureBytes) {}

bool WriterQueue::pushEvent(const Event &event) {
    QMutexLocker lock(&mutex);
    if (pending.events.size() + pending.samples.size() >= maxRows) {
        ++pending.droppedRows;
        return false;
    }
    pending.events.push_back(event);
    return true;
}

bool WriterQueue::pushSample(const Sample &sample) {
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
            pending.droppedBytes += quint64(item.chunk.bytes.size());
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
    return out;
}

HistoryWriter::HistoryWriter(const QString &logDir, const WriterLimits &limits,
                             std::function<void(const QString &)> trouble)
    : dir(logDir), limits(limits), trouble(std::move(trouble)),
      capture(logDir, limits.captureFileBytes, limits.captureTotalBytes) {}

HistoryWriter::~HistoryWriter() {
    capture.stop();
    if (store)
        store->close();
}

void HistoryWriter::say(const QString &kind, const QString &text) {
    if (said.contains(kind))
        return;
    said.insert(kind);
    if (trouble)
        trouble(text);
}

void HistoryWriter::write(Batch batch, qint64 now) {
    if (batch.droppedRows > 0)
        say(QStringLiteral("queue"),
            QStringLiteral("history: the queue was full, %1 rows were not recorded")
                .arg(batch.droppedRows));
    writeCapture(batch.capture, batch.droppedBytes);
    heldEvents.insert(heldEvents.end(), std::make_move_iterator(batch.events.begin()),
                      std::make_move_iterator(batch.events.end()));
    heldSamples.insert(heldSamples.end(), batch.samples.begin(), batch.samples.end());
    writeRows(now);
}

void HistoryWriter::writeCapture(std::vector<CaptureItem> &items, quint64 droppedBytes) {
    QString error;
    bool ok = true;
    for (CaptureItem &item : items) {
        switch (item.kind) {
        case CaptureItem::Start:
            ok = capture.start(item.port, item.chunk.at, &error) && ok;
            break;
        case CaptureItem::Stop:
            ok = capture.flush(&error) && ok;
            capture.stop();
            break;
        case CaptureItem::Chunk:
            ok = capture.append(item.chunk, &error) && ok;
            break;
        }
    }
    // The queue refuses at its end, so the gap is after what it took.
    if (droppedBytes > 0) {
        say(QStringLiteral("queue"),
            QStringLiteral("history: the queue was full, %1 captured bytes were not recorded")
                .arg(droppedBytes));
        ok = capture.appendRemark(QByteArray::number(droppedBytes) + " bytes lost: queue full",
                                  &error) &&
             ok;
    }
    ok = capture.flush(&error) && ok;
    if (!ok)
        say(QStringLiteral("capture"), QStringLiteral("history: capture stopped, %1").arg(error));
}

void HistoryWriter::writeRows(qint64 now) {
    if (heldEvents.empty() && heldSamples.empty())
        return;
    QString error;
    if (!store || !store->isOpen()) {
        if (now < nextOpenAttempt)
            return;
        store = std::make_unique<EventStore>(QDir(dir).filePath(QStringLiteral("history.sqlite")),
                                             limits.busyTimeoutMs);
        const EventStore::Result r = store->open(&error);
        if (r == EventStore::Result::Damaged)
            say(QStringLiteral("damaged"), QStringLiteral("history: %1").arg(error));
        else if (r != EventStore::Result::Ok) {
            // Try again in a minute; the rows wait (within their bound).
            nextOpenAttempt = now + 60000;
            store.reset();
            say(QStringLiteral("database"),
                QStringLiteral("history: events not recorded, %1").arg(error));
        }
    }
    if (store && store->isOpen()) {
        EventStore::Result r = store->write(heldEvents, heldSamples, &error);
        if (r == EventStore::Result::Damaged) {
            say(QStringLiteral("damaged"), QStringLiteral("history: %1").arg(error));
            store->close();
            store.reset();
            nextOpenAttempt = 0;
            // A damaged file found while writing: reopen (renamed aside) and write again.
            store = std::make_unique<EventStore>(
                QDir(dir).filePath(QStringLiteral("history.sqlite")), limits.busyTimeoutMs);
            const EventStore::Result reopened = store->open(&error);
            r = reopened == EventStore::Result::Ok || reopened == EventStore::Result::Damaged
                    ? store->write(heldEvents, heldSamples, &error)
                    : reopened;
        }
        if (r == EventStore::Result::Ok) {
            heldEvents.clear();
            heldSamples.clear();
            if (now >= nextRetention) {
                store->deleteSamplesBefore(now - limits.sampleKeepMs, &error);
                nextRetention = now + 3600 * 1000;
            }
        } else if (r == EventStore::Result::Failed) {
            say(QStringLiteral("database"),
                QStringLiteral("history: events not recorded, %1").arg(error));
            // Reopen later: the disk may have room again.
            store.reset();
            nextOpenAttempt = now + 60000;
        }
        // Busy: another program holds the lock longer than the time-out; the rows stay held.
    }
    // Bounded memory when the database cannot take rows for a long time: oldest go first.
    const size_t held = heldRows();
    if (held > limits.maxHeldRows) {
        size_t excess = held - limits.maxHeldRows;
        const size_t fromSamples = std::min(excess, heldSamples.size());
        heldSamples.erase(heldSamples.begin(), heldSamples.begin() + long(fromSamples));
        excess -= fromSamples;
        heldEvents.erase(heldEvents.begin(), heldEvents.begin() + long(excess));
    }
}

WriterThread::WriterThread(WriterQueue &queue, const QString &logDir, const WriterLimits &limits,
                           QObject *parent)
    : QThread(parent), queue(queue), dir(logDir), limits(limits) {}

WriterThread::~WriterThread() {
    finish();
}

void WriterThread::flushNow() {
    if (!isRunning())
        return;
    QMutexLocker lock(&mutex);
    const quint64 wanted = ++flushRequested;
    wake.wakeAll();
    while (flushDone < wanted && isRunning())
        written.wait(&mutex, 100);
}

void WriterThread::finish() {
    {
        QMutexLocker lock(&mutex);
        stopping = true;
        wake.wakeAll();
    }
    wait();
}

void WriterThread::run() {
    HistoryWriter writer(dir, limits, [this](const QString &text) {
        // Standard error now; the signal reaches whoever shows it in the window.
        qWarning("%s", qPrintable(text));
        emit trouble(text);
    });
    for (;;) {
        quint64 serving = 0;
        bool last = false;
        {
            QMutexLocker lock(&mutex);
            if (!stopping && flushRequested == flushDone)
                wake.wait(&mutex, 1000);
            serving = flushRequested;
            last = stopping;
        }
        writer.write(queue.take(), QDateTime::currentMSecsSinceEpoch());
        {
            QMutexLocker lock(&mutex);
            flushDone = serving;
            written.wakeAll();
        }
        if (last)
            break;
    }
}

} // namespace history
