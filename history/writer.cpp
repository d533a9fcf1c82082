#include "history/writer.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
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
      capture(logDir, limits.captureFileBytes, limits.captureTotalBytes, limits.retryMs) {}

HistoryWriter::~HistoryWriter() {
    capture.stop();
    if (store)
        store->close();
}

void HistoryWriter::say(const Notice &notice) {
    if (trouble)
        trouble(logText(notice));
    if (notices)
        notices(notice);
}

void HistoryWriter::begin(Notice::Kind kind, quint64 count, const QString &text) {
    tally[kind] += count;
    if (going[kind])
        return;
    going[kind] = true;
    say({kind, Notice::Began, count, text});
}

void HistoryWriter::end(Notice::Kind kind, quint64 count, const QString &text) {
    if (!going[kind])
        return;
    going[kind] = false;
    tally[kind] = 0;
    say({kind, Notice::Ended, count, text});
}

void HistoryWriter::write(Batch batch, qint64 now) {
    take(batch, now);
    writeRows(now, false);
}

void HistoryWriter::openExisting(qint64 now) {
    QString error;
    if (!store && QFileInfo::exists(QDir(dir).filePath(QStringLiteral("history.sqlite"))))
        openStore(now, &error);
}

void HistoryWriter::take(Batch &batch, qint64 now) {
    // Rows and capture bytes are refused apart and said apart.
    if (batch.droppedRows > 0)
        begin(Notice::QueueRows, batch.droppedRows);
    else
        end(Notice::QueueRows, tally[Notice::QueueRows]);
    writeCapture(batch.capture, batch.droppedBytes, now);
    heldEvents.insert(heldEvents.end(), std::make_move_iterator(batch.events.begin()),
                      std::make_move_iterator(batch.events.end()));
    heldSamples.insert(heldSamples.end(), batch.samples.begin(), batch.samples.end());
}

void HistoryWriter::finish(Batch batch) {
    QElapsedTimer clock;
    clock.start();
    take(batch, QDateTime::currentMSecsSinceEpoch());
    for (;;) {
        writeRows(QDateTime::currentMSecsSinceEpoch(), true);
        const qint64 left = limits.finalFlushMs - clock.elapsed();
        if (heldRows() == 0 || left <= 0)
            break;
        // A lock is waited for by the write itself, up to what is left; a full disk or an
        // unwritable folder is tried again a little later.
        if (lockedSince != 0 && store && store->isOpen())
            store->setBusyTimeout(int(qMin<qint64>(left, limits.busyTimeoutMs)));
        else
            QThread::msleep(quint32(qMin<qint64>(left, 200)));
    }
    capture.stop();
    if (capture.lostBytes() > 0)
        say({Notice::BytesAtExit, Notice::Once, capture.lostBytes(), capture.troubleReason()});
    if (heldRows() > 0)
        say({Notice::RowsAtExit, Notice::Once, heldRows(), lastError});
}

void HistoryWriter::writeCapture(std::vector<CaptureItem> &items, quint64 droppedBytes,
                                 qint64 now) {
    QString error;
    for (CaptureItem &item : items) {
        const bool troubled = capture.inTrouble();
        switch (item.kind) {
        case CaptureItem::Start:
            capture.start(item.port, item.chunk.at, &error);
            break;
        case CaptureItem::Stop:
            capture.stop();
            break;
        case CaptureItem::Chunk:
            capture.append(item.chunk, &error);
            break;
        }
        if (!troubled && capture.inTrouble())
            begin(Notice::Capture, 0, capture.troubleReason());
        else if (troubled && !capture.inTrouble())
            end(Notice::Capture, capture.lostBeforeRecovery(), capture.currentPath());
        if (capture.keptOverCap() > 0)
            begin(Notice::OverCap, quint64(capture.keptOverCap()));
        else
            end(Notice::OverCap, 0);
    }
    // The queue refuses at its end, so the gap is after what it took.
    if (droppedBytes > 0) {
        begin(Notice::QueueBytes, droppedBytes);
        capture.appendRemark(QByteArray::number(droppedBytes) + " bytes lost: queue full", now,
                             &error);
    } else {
        end(Notice::QueueBytes, tally[Notice::QueueBytes]);
    }
}

bool HistoryWriter::openStore(qint64 now, QString *error) {
    store = std::make_unique<EventStore>(QDir(dir).filePath(QStringLiteral("history.sqlite")),
                                         limits.busyTimeoutMs);
    const EventStore::Result r = store->open(error);
    if (r == EventStore::Result::Damaged)
        say({Notice::Damaged, Notice::Once, 0, QFileInfo(store->damagedName()).fileName()});
    if (r == EventStore::Result::Ok || r == EventStore::Result::Damaged)
        return true;
    // Busy while making the tables, an unwritable folder, a full disk: try again later; the
    // rows wait (within their bound).
    lastError = *error;
    if (r == EventStore::Result::Failed)
        begin(Notice::Database, 0, *error);
    store.reset();
    nextAttempt = now + limits.retryMs;
    return false;
}

void HistoryWriter::writeRows(qint64 now, bool final) {
    if (heldEvents.empty() && heldSamples.empty())
        return;
    // After a failure the next try waits a few seconds, except the last write of a run.
    if (now < nextAttempt && !final) {
        giveUpBeyondBound();
        return;
    }
    QString error;
    if (!store || !store->isOpen())
        openStore(now, &error);
    if (store && store->isOpen()) {
        const size_t waiting = heldRows();
        EventStore::Result r = store->write(heldEvents, heldSamples, &error);
        if (r == EventStore::Result::Damaged) {
            // A damaged file found while writing: reopen (renamed aside) and write again.
            store->close();
            r = openStore(now, &error) ? store->write(heldEvents, heldSamples, &error)
                                       : EventStore::Result::Failed;
        }
        if (r == EventStore::Result::Ok) {
            heldEvents.clear();
            heldSamples.clear();
            lockedSince = 0;
            end(Notice::Database, waiting);
            end(Notice::Locked, waiting);
            end(Notice::RowsGivenUp, tally[Notice::RowsGivenUp]);
            if (now >= nextRetention) {
                store->deleteSamplesBefore(now - limits.sampleKeepMs, &error);
                store->deleteEventsBefore(now - limits.eventKeepMs, &error);
                nextRetention = now + 3600 * 1000;
            }
        } else if (r == EventStore::Result::Busy) {
            // Another program holds the lock beyond the busy time-out; the rows stay held.
            // How long it has lasted counts from the first attempt that found it.
            lastError = error;
            if (lockedSince == 0)
                lockedSince = now;
            if (now + limits.busyTimeoutMs - lockedSince >= limits.lockSayMs)
                begin(Notice::Locked, waiting);
        } else if (r == EventStore::Result::Failed) {
            // A full disk, most likely: the connection stays (the transaction is rolled back),
            // so the next try is a write, not a new open with its check of the whole file.
            lastError = error;
            lockedSince = 0;
            begin(Notice::Database, 0, error);
            nextAttempt = now + limits.retryMs;
            // A file taken away from under the connection is made afresh.
            if (!QFileInfo::exists(store->path()))
                store.reset();
        }
    }
    giveUpBeyondBound();
}

void HistoryWriter::giveUpBeyondBound() {
    // Bounded memory when the database cannot take rows for a long time: oldest go first.
    const size_t held = heldRows();
    if (held <= limits.maxHeldRows)
        return;
    size_t excess = held - limits.maxHeldRows;
    const size_t fromSamples = std::min(excess, heldSamples.size());
    heldSamples.erase(heldSamples.begin(), heldSamples.begin() + long(fromSamples));
    excess -= fromSamples;
    heldEvents.erase(heldEvents.begin(), heldEvents.begin() + long(excess));
    begin(Notice::RowsGivenUp, held - limits.maxHeldRows);
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
    HistoryWriter writer(dir, limits, [](const QString &text) {
        // Standard error now; the notice reaches whoever shows it in the window.
        qWarning("%s", qPrintable(text));
    });
    writer.setNoticeSink([this](const Notice &n) {
        emit trouble(logText(n));
        emit notice(n);
    });
    // The check of a large database takes seconds: done now, while the window starts, rather
    // than when the first rows wait for it.
    writer.openExisting(QDateTime::currentMSecsSinceEpoch());
    qint64 nextSize = 0;
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
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (last)
            writer.finish(queue.take());
        else
            writer.write(queue.take(), now);
        if (!last && now >= nextSize) {
            emit logSize(folderSize(dir));
            nextSize = now + 10000;
        }
        {
            QMutexLocker lock(&mutex);
            flushDone = serving;
            written.wakeAll();
        }
        if (last)
            break;
    }
}

qint64 folderSize(const QString &dir) {
    qint64 total = 0;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace history

#include "moc_writer.cpp"
