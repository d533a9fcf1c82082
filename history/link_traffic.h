#pragma once

#include "history/journal.h"
#include "protocol/dispatch.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace history {

// Counters of the link since the start or the last reset.
struct LinkFigures {
    quint64 bytesIn = 0;
    quint64 bytesOut = 0;
    quint64 framesIn = 0;
    quint64 framesOut = 0;
    quint64 framesByCode[256] = {}; // received frames by code byte
    quint64 checkFailures = 0;
    quint64 unknownCodes = 0;
    quint64 noiseBytes = 0;
    quint64 earlyPasses = 0;    // reassembly passes run at the buffer bound
    double framesPerSecond = 0; // received in the last whole second
    qint64 lastFrameAt = 0;     // ms since 1970; 0 before the first frame
    QString lastPortError;      // empty when none
    qint64 lastPortErrorAt = 0;
};

// The link's traffic as it passes, before any row: its counters and the frame journal in memory.
class LinkTraffic {
public:
    explicit LinkTraffic(int journalCapacity);

    void bytesReceived(const QByteArray &chunk);
    // A complete frame with the dispatcher's verdict.
    void frameReceived(const QByteArray &frame, protocol::Verdict verdict, qint64 at);
    // `count` > 0 noise bytes the reassembly consumed without a frame.
    void bytesSkipped(const char *bytes, int count, qint64 at);
    void passDone(bool early);
    // A frame handed to the port, of which it took `bytes`: its journal entry.
    JournalEntry frameSent(const QByteArray &frame, const QByteArray &bytes, qint64 at);
    void portError(const QString &error, qint64 at);
    // Once a second: the frame rate.
    void secondElapsed();
    void resetFigures();

    const Journal &journal() const { return ring; }
    const LinkFigures &figures() const { return counters; }

private:
    Journal ring;
    LinkFigures counters;
    quint64 framesThisSecond = 0;
};

} // namespace history
