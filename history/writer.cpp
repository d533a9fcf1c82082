#include "history/writer.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <limits>
#include <utility>

namespace history {

HistoryWriter::HistoryWriter(const QString &logDir, const WriterLimits &limits,
                             std::function<void(const QString &)> trouble)
    : dir(logDir), limits(limits), trouble(std::move(trouble)),
      capture(logDir, limits.captureFileBytes, limits.captureTotalBytes, limits.retryMs),
      ownRows(
          logDir, limits, [this](const Notice &n) { say(n); },
          [this](const events::Event &e, bool first) { addOwnRow(e, first); }, this->trouble,
          [this] { return steady(); }),
      retention(
          limits, this->trouble, [this] { return steady(); },
          [this] { return stopAsked && stopAsked(); }) {
    steadyTimer.start();
}

qint64 HistoryWriter::steady() const {
    return steadyClock ? steadyClock() : steadyTimer.elapsed();
}

HistoryWriter::~HistoryWriter() {
    capture.stop();
    if (store && store->isWrittenOver())
        sayWrittenOver();
    if (store)
        store->close();
}

void HistoryWriter::sayWrittenOver() {
    if (trouble)
        trouble(QStringLiteral("history: %1 was written over in place while open (another file "
                               "copied onto it); the write-ahead log of the file before is "
                               "dropped, nothing of it is written into the file now there")
                    .arg(store->path()));
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
    ownRows.watchClock(now);
    writeRows(now, false);
    retainSome(now);
    foldAlarms(now);
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
    heldTold.insert(first ? heldTold.begin() : heldTold.end(), false);
    if (rowSink)
        rowSink(event);
}

void HistoryWriter::take(Batch &batch) {
    // Rows and capture bytes are refused apart and said apart.
    if (batch.droppedRows > 0)
        begin(Notice::QueueRows, batch.droppedRows);
    else
        end(Notice::QueueRows, tally[Notice::QueueRows]);
    writeCapture(batch.capture, batch.droppedBytes);
    heldTold.insert(heldTold.end(), batch.events.size(), false);
    heldEvents.insert(heldEvents.end(), std::make_move_iterator(batch.events.begin()),
                      std::make_move_iterator(batch.events.end()));
    heldSamples.insert(heldSamples.end(), batch.samples.begin(), batch.samples.end());
    outbox.laser = batch.outboxKey;
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
    store->setRunBook(&runs);
    const EventStore::Result r = store->open(error);
    // Set aside, whether or not a fresh one could be started.
    if (!store->damagedName().isEmpty())
        say({Notice::Damaged, Notice::Once, 0, QFileInfo(store->damagedName()).fileName()});
    damagedStuck = false;
    if (r == EventStore::Result::Ok || r == EventStore::Result::Damaged) {
        if (!started) {
            started = true;
            ownRows.startRun(store.get(), &runs, now, capture.currentPath());
        }
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
    tryWrite(now, final);
    // What the history could not take still goes to the plant link, without a row id (so
    // without the outbox's store and forward), once: the plant hears of an alarm though the
    // disk is full.
    // Only once the link has said its laser id: before, nobody may hear it yet, and the event
    // then goes with its id once written.
    for (size_t i = 0; storedSink && !outbox.laser.isEmpty() && i < heldEvents.size(); ++i)
        if (!heldTold[i]) {
            storedSink(events::StoredEvent{0, heldEvents[i], false});
            heldTold[i] = true;
        }
}

void HistoryWriter::tryWrite(qint64 now, bool final) {
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
    } else if (store && store->isOpen() && store->isWrittenOver()) {
        // Another file copied onto it in place (a backup put back): the log of the file before
        // must never reach it. Opened again once the copy has ended.
        sayWrittenOver();
        store->close();
        store.reset();
        copyLook = fileLook();
        giveUpBeyondBound();
        return;
    }
    if (!store && !copyLook.isEmpty()) {
        // Still being written (its size or time changed since the last look): the rows wait.
        const QString look = fileLook();
        if (look != copyLook) {
            copyLook = look;
            giveUpBeyondBound();
            return;
        }
        copyLook.clear();
    }
    if ((!store || !store->isOpen()) && !openStore(now, &error)) {
        giveUpBeyondBound();
        return;
    }
    const size_t waiting = heldRows();
    outbox.told = &heldTold;
    store->setOutbox(&outbox);
    EventStore::Result r = store->write(heldEvents, heldSamples, &error, &ids);
    if (r == EventStore::Result::Damaged) {
        // A damaged file found while writing: set aside, a fresh one started, the rows again.
        // When that fails too, openStore has said why and the store is gone.
        store.reset();
        if (!openStore(now, &error)) {
            giveUpBeyondBound();
            return;
        }
        store->setOutbox(&outbox);
        r = store->write(heldEvents, heldSamples, &error, &ids);
    }
    switch (r) {
    case EventStore::Result::Ok:
        outbox.committed(ids, heldEvents);
        for (size_t i = 0; storedSink && i < heldEvents.size() && i < ids.size(); ++i)
            if (!heldTold[i])
                storedSink(events::StoredEvent{ids[i], heldEvents[i], false});
        heldEvents.clear();
        heldTold.clear();
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
        // opened anew at the next try; so is one that lacks a table (another program's file
        // put in its place, followed without an open), which the open then checks and makes.
        lastError = error;
        lockedSince = 0;
        begin(Notice::Database, 0, error);
        nextAttempt = now + limits.retryMs;
        if (r == EventStore::Result::Damaged || !QFileInfo::exists(store->path()) ||
            error.contains(QLatin1String("no such table")))
            store.reset();
        break;
    }
    giveUpBeyondBound();
}

QString HistoryWriter::fileLook() const {
    const QFileInfo info(QDir(dir).filePath(QStringLiteral("history.sqlite")));
    return QStringLiteral("%1 %2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
}

void HistoryWriter::retainSome(qint64 now) {
    if (!store || !store->isOpen() || now < nextAttempt)
        return;
    retention.retainSome(*store, ownRows.retentionClock(), now);
}

void HistoryWriter::foldAlarms(qint64 now) {
    if (!store || !store->isOpen() || now < nextAttempt)
        return;
    // The tallies go as the events they come of go.
    const RetentionClock &clock = ownRows.retentionClock();
    const qint64 forget = clock.isStarted() ? clock.reference(now, steady()) - limits.eventKeepMs
                                            : std::numeric_limits<qint64>::min();
    QString error;
    const EventStore::Result r =
        alarmRollup.keepUp(*store, limits.alarmFoldBudgetMs, forget, &error);
    // Nothing is lost meanwhile: a report reads the rows not folded itself.
    const bool failing = r == EventStore::Result::Failed;
    if (failing && !alarmFoldFailing && trouble)
        trouble(QStringLiteral("history: the alarm report's tallies are not kept up (reports "
                               "read the rows themselves meanwhile): ") +
                error);
    alarmFoldFailing = failing;
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
    heldTold.erase(heldTold.begin(), heldTold.begin() + long(excess));
    begin(Notice::RowsGivenUp, held - limits.maxHeldRows);
}

} // namespace history
