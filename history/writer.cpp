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
    return out;
}

HistoryWriter::HistoryWriter(const QString &logDir, const WriterLimits &limits,
                             std::function<void(const QString &)> trouble)
    : dir(logDir), limits(limits), trouble(std::move(trouble)),
      capture(logDir, limits.captureFileBytes, limits.captureTotalBytes, limits.retryMs),
      clock(limits.clockToleranceMs) {
    steadyTimer.start();
}

qint64 HistoryWriter::steady() const {
    return steadyClock ? steadyClock() : steadyTimer.elapsed();
}

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
    // The history as the run found it is read before this run's capture begins.
    if (!started && now >= nextAttempt)
        openExisting(now);
    take(batch);
    watchClock(now);
    writeRows(now, false);
    retainSome(now);
}

void HistoryWriter::openExisting(qint64 now) {
    QString error;
    if (store || !QFileInfo::exists(QDir(dir).filePath(QStringLiteral("history.sqlite"))))
        return;
    // Its start rows (ended_unexpectedly, a clock found behind) are on disk before anything
    // reads the history of this run.
    if (openStore(now, &error))
        writeRows(now, false);
}

void HistoryWriter::addOwnRow(const events::Event &event, bool first) {
    heldEvents.insert(first ? heldEvents.begin() : heldEvents.end(), event);
    if (rowSink)
        rowSink(event);
}

void HistoryWriter::sayJump(const ClockJump &jump, bool atStart) {
    Notice n{Notice::ClockJump, Notice::Once, quint64(qAbs(jump.to - jump.from)),
             atStart ? QStringLiteral("start") : QString()};
    n.from = jump.from;
    n.to = jump.to;
    say(n);
    addOwnRow({jump.to, QStringLiteral("clock"), QStringLiteral("jump"),
               jump.forward() ? QStringLiteral("forward") : QStringLiteral("back"),
               utcText(jump.from) + QStringLiteral(" -> ") + utcText(jump.to)},
              false);
}

void HistoryWriter::watchClock(qint64 now) {
    if (const std::optional<ClockJump> jump = clock.observe(now, steady()))
        sayJump(*jump, false);
}

void HistoryWriter::startRun(qint64 now) {
    started = true;
    HistoryFacts facts;
    QString error;
    if (store->readFacts(now, limits.clockToleranceMs, &facts, &error) != EventStore::Result::Ok) {
        // Nothing is lost: the run goes on without the start's findings.
        if (trouble)
            trouble(QStringLiteral("history: the start of the history cannot be read, ") + error);
        return;
    }
    // Behind the last row written (a flat clock battery): said once, at this start; the rows
    // left in the future are kept by their own time.
    if (facts.lastWrittenAt > now + limits.clockToleranceMs)
        sayJump({facts.lastWrittenAt, now}, false);
    // Ages run from the newest row until the wall clock has held; a forward jump that has not
    // held for the tolerance yet keeps the time before it, and so do rows after a long pause
    // that span less than the tolerance (the clock set ahead, the program started again).
    const qint64 anchor = facts.unsettledJumpAt ? facts.beforeJumpAt
                          : facts.beforePauseAt ? facts.beforePauseAt
                                                : facts.newestAt;
    clock.start(now, steady(), anchor);
    // (Not when the time is a row before a pause: the run after it has said so already.)
    if (!facts.unsettledJumpAt && !facts.beforePauseAt && anchor > 0 &&
        now - anchor > std::max(limits.sampleKeepMs, limits.clockToleranceMs))
        // Further past the history than it keeps samples: said, and kept as a jump, so that
        // the next start doubts it as well until it has held.
        sayJump({anchor, now}, true);
    // The last run ended with its port open and without its closed row: killed, crashed, the
    // power gone. Unless it still runs (two programs in one folder): its capture is locked.
    if (facts.endedOpen) {
        const QString port = facts.openDetail.section(QStringLiteral(" ("), 0, 0);
        if (!CaptureFiles::isCapturing(dir, port, capture.currentPath()))
            addOwnRow({facts.openRunNewestAt, QStringLiteral("link"),
                       QStringLiteral("ended_unexpectedly"), QString(), port},
                      true);
    }
}

void HistoryWriter::take(Batch &batch) {
    // Rows and capture bytes are refused apart and said apart.
    if (batch.droppedRows > 0)
        begin(Notice::QueueRows, batch.droppedRows);
    else
        end(Notice::QueueRows, tally[Notice::QueueRows]);
    writeCapture(batch.capture, batch.droppedBytes);
    heldEvents.insert(heldEvents.end(), std::make_move_iterator(batch.events.begin()),
                      std::make_move_iterator(batch.events.end()));
    heldSamples.insert(heldSamples.end(), batch.samples.begin(), batch.samples.end());
}

void HistoryWriter::finish(Batch batch) {
    QElapsedTimer clock;
    clock.start();
    take(batch);
    for (;;) {
        writeRows(QDateTime::currentMSecsSinceEpoch(), true);
        const qint64 left = limits.finalFlushMs - clock.elapsed();
        if (heldRows() == 0 || left <= 0 || damagedStuck)
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

void HistoryWriter::writeCapture(std::vector<CaptureItem> &items, quint64 droppedBytes) {
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
        case CaptureItem::Lost:
            // Counted as lost bytes when the remark cannot be written either.
            capture.appendRemark(QByteArray::number(item.lost) + " bytes lost: queue full",
                                 item.chunk.at, &error, item.lost);
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
    if (droppedBytes > 0) {
        begin(Notice::QueueBytes, droppedBytes);
    } else {
        end(Notice::QueueBytes, tally[Notice::QueueBytes]);
    }
}

bool HistoryWriter::openStore(qint64 now, QString *error) {
    store = std::make_unique<EventStore>(QDir(dir).filePath(QStringLiteral("history.sqlite")),
                                         limits.busyTimeoutMs);
    const EventStore::Result r = store->open(error);
    // Set aside, whether or not a fresh one could be started.
    if (!store->damagedName().isEmpty())
        say({Notice::Damaged, Notice::Once, 0, QFileInfo(store->damagedName()).fileName()});
    damagedStuck = false;
    if (r == EventStore::Result::Ok || r == EventStore::Result::Damaged) {
        if (!started)
            startRun(now);
        return true;
    }
    damagedStuck = store->foundDamaged() || store->foundNewer();
    // Another program's lock (while it makes the tables), an unwritable folder, a full disk, a
    // damaged file that cannot be set aside: tried again later; the rows wait (within their
    // bound).
    store.reset();
    lastError = *error;
    if (r == EventStore::Result::Busy)
        lockFound(now, heldRows(), *error);
    else
        begin(Notice::Database, 0, *error);
    nextAttempt = now + (damagedStuck ? 20 * limits.retryMs : limits.retryMs);
    return false;
}

void HistoryWriter::lockFound(qint64 now, size_t waiting, const QString &error) {
    // How long it has lasted counts from the first attempt that found it.
    lastError = error;
    if (lockedSince == 0)
        lockedSince = now;
    if (now + limits.busyTimeoutMs - lockedSince >= limits.lockSayMs)
        begin(Notice::Locked, waiting);
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
    if (store && store->isOpen() && !store->isInPlace()) {
        // Deleted or replaced by someone meanwhile: the rows go where the history now is.
        if (trouble)
            trouble(QStringLiteral("history: %1 was deleted or replaced while open; the rows go "
                                   "on in the file now there")
                        .arg(store->path()));
        store->closeMoved();
        store.reset();
    }
    if ((!store || !store->isOpen()) && !openStore(now, &error)) {
        giveUpBeyondBound();
        return;
    }
    const size_t waiting = heldRows();
    EventStore::Result r = store->write(heldEvents, heldSamples, &error);
    if (r == EventStore::Result::Damaged) {
        // A damaged file found while writing: set aside, a fresh one started, the rows again.
        // When that fails too, openStore has said why and the store is gone.
        store.reset();
        if (!openStore(now, &error)) {
            giveUpBeyondBound();
            return;
        }
        r = store->write(heldEvents, heldSamples, &error);
    }
    switch (r) {
    case EventStore::Result::Ok:
        heldEvents.clear();
        heldSamples.clear();
        lockedSince = 0;
        nextAttempt = 0;
        end(Notice::Database, waiting);
        end(Notice::Locked, waiting);
        end(Notice::RowsGivenUp, tally[Notice::RowsGivenUp]);
        break;
    case EventStore::Result::Busy:
        // Another program holds the lock beyond the busy time-out; the rows stay held.
        lockFound(now, waiting, error);
        break;
    case EventStore::Result::Damaged:
    case EventStore::Result::Failed:
        // A full disk, most likely: the connection stays (the transaction is rolled back), so
        // the next try is a write, not a new open with its check of the whole file. A file
        // taken away from under the connection, or a fresh one found damaged at once, is
        // opened anew at the next try.
        lastError = error;
        lockedSince = 0;
        begin(Notice::Database, 0, error);
        nextAttempt = now + limits.retryMs;
        if (r == EventStore::Result::Damaged || !QFileInfo::exists(store->path()))
            store.reset();
        break;
    }
    giveUpBeyondBound();
}

void HistoryWriter::retainSome(qint64 now) {
    if (!store || !store->isOpen() || now < nextAttempt)
        return;
    const qint64 steadyNow = steady();
    if (!retaining && steadyNow >= nextRetention) {
        // Ages against the time the clock is believed to be (see RetentionClock): a wall clock
        // set ahead deletes nothing that the rows' own times keep.
        const qint64 reference = clock.reference(now, steadyNow);
        samplesBefore = reference - limits.sampleKeepMs;
        eventsBefore = reference - limits.eventKeepMs;
        samplesLeft = true;
        retaining = true;
        nextRetention = steadyNow + 3600 * 1000;
        pass = RetentionFigures();
        passStarted = steadyNow;
    }
    QElapsedTimer spent;
    spent.start();
    while (retaining && spent.elapsed() < limits.retentionBudgetMs && !(stopAsked && stopAsked()))
        retainSlice();
}

bool HistoryWriter::retainSlice() {
    const QString table = samplesLeft ? QStringLiteral("samples") : QStringLiteral("events");
    QElapsedTimer took;
    took.start();
    int deleted = 0;
    QString error;
    const int asked = sliceRows;
    const EventStore::Result r = store->deleteOldest(
        table, samplesLeft ? samplesBefore : eventsBefore, asked, &deleted, &error);
    const qint64 ms = took.elapsed();
    for (RetentionFigures *f : {&figures, &pass}) {
        f->longestSliceMs = std::max(f->longestSliceMs, ms);
        ++f->slices;
        f->deletedRows += quint64(deleted);
    }
    if (r != EventStore::Result::Ok) {
        // Locked by another program, or no room for the journal: the rows stay, and the pass
        // begins again a little later. Nothing is lost by waiting.
        retaining = false;
        nextRetention = steady() + limits.retryMs;
        return false;
    }
    // Each slice about its share of time, whatever the machine and the triggers cost.
    if (deleted == asked && ms * 2 < limits.retentionSliceMs)
        sliceRows = std::min(asked * 2, 1 << 20);
    else if (ms > limits.retentionSliceMs)
        sliceRows = std::max(asked / 2, 64);
    if (deleted < asked) {
        if (samplesLeft)
            samplesLeft = false;
        else
            retaining = false;
    }
    // A long pass (after the program was left unused) is told on standard error.
    if (!retaining && steady() - passStarted >= 5000 && trouble)
        trouble(QStringLiteral("history: %1 rows past their keeping deleted in %2 slices over %3 "
                               "s, the longest %4 ms")
                    .arg(pass.deletedRows)
                    .arg(pass.slices)
                    .arg(double(steady() - passStarted) / 1000.0, 0, 'f', 1)
                    .arg(pass.longestSliceMs));
    return retaining;
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
    writer.setRowSink([this](const events::Event &e) { emit ownRow(e); });
    writer.setStopAsked([this] {
        QMutexLocker lock(&mutex);
        return stopping || flushRequested != flushDone;
    });
    // The check of a large database takes seconds: done now, while the window starts, rather
    // than when the first rows wait for it.
    writer.openExisting(QDateTime::currentMSecsSinceEpoch());
    emit started();
    qint64 nextSize = 0;
    for (;;) {
        quint64 serving = 0;
        bool last = false;
        {
            QMutexLocker lock(&mutex);
            // While retention has deletes left, they go on soon after each write.
            if (!stopping && flushRequested == flushDone)
                wake.wait(&mutex, writer.isRetaining() ? 100 : 1000);
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
