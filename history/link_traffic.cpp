#include "history/link_traffic.h"

#include "protocol/describe.h"

#include <utility>

namespace history {

LinkTraffic::LinkTraffic(int journalCapacity) : ring(journalCapacity) {}

void LinkTraffic::bytesReceived(const QByteArray &chunk) {
    counters.bytesIn += quint64(chunk.size());
}

void LinkTraffic::frameReceived(const QByteArray &frame, protocol::Verdict verdict, qint64 at) {
    const auto code = static_cast<quint8>(frame.at(0));
    ++counters.framesIn;
    ++counters.framesByCode[code];
    ++framesThisSecond;
    counters.lastFrameAt = at;
    if (verdict == protocol::Verdict::CheckFailed)
        ++counters.checkFailures;
    else if (verdict == protocol::Verdict::UnknownCode)
        ++counters.unknownCodes;

    JournalEntry entry;
    entry.at = at;
    entry.direction = Direction::Received;
    entry.verdict = verdict;
    entry.name = protocol::receivedCodeName(code);
    entry.bytes = frame;
    entry.text = protocol::describeReceivedFrame(frame);
    ring.append(std::move(entry));
}

void LinkTraffic::bytesSkipped(const char *bytes, int count, qint64 at) {
    counters.noiseBytes += quint64(count);
    JournalEntry entry;
    entry.at = at;
    entry.direction = Direction::Skipped;
    entry.name = QStringLiteral("Noise");
    entry.bytes = QByteArray(bytes, count);
    entry.text = QString::number(count) +
                 (count == 1 ? QStringLiteral(" byte skipped") : QStringLiteral(" bytes skipped"));
    ring.append(std::move(entry));
}

void LinkTraffic::passDone(bool early) {
    if (early)
        ++counters.earlyPasses;
}

JournalEntry LinkTraffic::frameSent(const QByteArray &frame, const QByteArray &bytes, qint64 at) {
    counters.bytesOut += quint64(bytes.size());
    ++counters.framesOut;
    const auto code = static_cast<quint8>(frame.at(0));
    JournalEntry entry;
    entry.at = at;
    entry.direction = Direction::Sent;
    entry.name = protocol::sentCodeName(code);
    entry.bytes = bytes;
    entry.text = protocol::describeSentFrame(frame);
    ring.append(entry);
    return entry;
}

void LinkTraffic::portError(const QString &error, qint64 at) {
    counters.lastPortError = error;
    counters.lastPortErrorAt = at;
}

void LinkTraffic::secondElapsed() {
    counters.framesPerSecond = double(framesThisSecond);
    framesThisSecond = 0;
}

void LinkTraffic::resetFigures() {
    counters = LinkFigures();
    framesThisSecond = 0;
}

} // namespace history
