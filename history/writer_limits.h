#pragma once

#include <QtGlobal>

#include <cstddef>

namespace history {

// Sizes and periods of the files; tests make them small.
struct WriterLimits {
    qint64 captureFileBytes = qint64(16) << 20;
    qint64 captureTotalBytes = qint64(256) << 20;
    qint64 sampleKeepMs = qint64(90) * 24 * 3600 * 1000;
    qint64 eventKeepMs = qint64(400) * 24 * 3600 * 1000;
    // How long one write waits for another program's lock. Short: rows that find the lock
    // wait in memory for the next write a second later, and the last write at exit is not
    // held up by one that is still waiting.
    int busyTimeoutMs = 1000;
    // A lock held this long by another program is said.
    int lockSayMs = 5000;
    // After a failed write or open, the next try of the database and of a capture file.
    int retryMs = 3000;
    // The last write of a run keeps trying this long before it gives up and says so.
    int finalFlushMs = 5000;
    // Rows the writer keeps while the database cannot take them (locked, unwritable); beyond
    // this the oldest are given up.
    size_t maxHeldRows = 200000;
    // What the queue takes between two writes before it refuses.
    size_t maxQueuedRows = 100000;
    qint64 maxQueuedCaptureBytes = qint64(32) << 20;
    // A wall clock further than this from the history's own time (a jump while running, or at
    // the start a clock past the newest row) is believed for retention only once it has held
    // for this long (see RetentionClock).
    qint64 clockToleranceMs = qint64(24) * 3600 * 1000;
    // Retention deletes in slices of about this long each, for at most the budget in one
    // write; the queue is written between them.
    int retentionSliceMs = 50;
    int retentionBudgetMs = 150;
    // Folding the rows into the alarm report's tallies: at most this long in one write (a
    // second's rows take a few ms; a history of an older program is caught up this way).
    int alarmFoldBudgetMs = 100;
};

} // namespace history
