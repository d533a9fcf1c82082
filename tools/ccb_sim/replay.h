#pragma once

#include "history/capture.h"

#include <QIODevice>
#include <QList>
#include <QString>
#include <QVector>

// What the simulator plays back of a capture file: its received (RX) chunks, each with the time
// it is due after the start of the replay, and what the file held that could not be read.
namespace ccbsim {

struct ReplayPlan {
    QList<history::CaptureChunk> chunks;
    QVector<qint64> dueMs; // one per chunk, from 0
    history::CaptureReading reading;
};

// Each chunk is due at its capture time after the first chunk's, divided by `speed`; a gap
// between two chunks longer than `maxGapMs` (in capture time; a clock that went back counts as
// none) is shortened to it, so one far-off time stamp cannot stall the rest.
ReplayPlan planReplay(QIODevice &capture, double speed, qint64 maxGapMs);

// "13 lines skipped, the first is line 3: bytes not upper-case hex pairs", or empty.
QString skippedSummary(const history::CaptureReading &reading);

} // namespace ccbsim
