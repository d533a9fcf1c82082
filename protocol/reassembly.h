#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace protocol {

// Why a reassembly pass runs.
enum class PassKind {
    // The line has been quiet for 200 ms: an unfinished frame whose length byte is not yet in
    // is dropped (a lone trailing code byte goes with the scanned bytes).
    QuietLine,
    // The buffer reached its bound while bytes are still arriving: the unfinished frame at the
    // end is kept whole from its code byte, even when only the code byte has arrived.
    Early,
};

// Receives each complete frame, in arrival order, and optionally each run of skipped bytes.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void frameComplete(const QByteArray &frame) = 0;
    // A run of consecutive bytes the pass consumed without making a frame of them: noise
    // between frames, abandoned frames, a lone trailing code byte on a quiet line. Reported in
    // order with the frames, once per run.
    virtual void bytesSkipped(const char *bytes, int count) {
        Q_UNUSED(bytes)
        Q_UNUSED(count)
    }
};

// Cuts complete frames out of `buffer`, hands each to `sink` in arrival order and removes the
// consumed bytes from the front of `buffer`, keeping an unfinished frame from its code byte.
// Returns the number of complete frames (each one is a sign of life for the link watchdog).
// Linear in the size of the buffer: one scan, one removal of the consumed prefix at the end.
// The sink must not touch `buffer` while the pass runs.
//
// Rules of the scan: outside a frame only 0x80..0xFD opens one, every other byte is skipped;
// the byte after the code byte is the length byte L; a length byte with bit 7 set abandons the
// frame and is consumed; otherwise the frame ends after L more bytes, whatever their values.
// A length byte of 0 makes a two-byte frame that completes when the next byte is examined, and
// that byte is consumed with it. After a QuietLine pass the buffer holds at most one unfinished
// frame (at most 128 bytes).
int reassemble(QByteArray &buffer, FrameSink &sink, PassKind kind = PassKind::QuietLine);

} // namespace protocol
