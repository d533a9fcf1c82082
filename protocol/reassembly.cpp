#include "protocol/reassembly.h"

namespace protocol {

namespace {

bool opensFrame(unsigned char b) {
    return (b & 0x80) && b < 0xFE;
}

} // namespace

int reassemble(QByteArray &buffer, FrameSink &sink, PassKind kind) {
    const int examined = buffer.size();
    if (examined == 0)
        return 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(buffer.constData());

    int frames = 0;
    bool inFrame = false;
    int remaining = -1; // -1 while the length byte is expected
    int frameStart = 0;
    int skipStart = 0; // bytes from here up to the frame under construction are skipped

    const auto reportSkipped = [&](int end) {
        if (end > skipStart)
            sink.bytesSkipped(buffer.constData() + skipStart, end - skipStart);
    };

    // The frame under construction is always the run buffer[frameStart .. i]; it is copied out
    // only when complete.
    const auto complete = [&](int frameSize) {
        reportSkipped(frameStart);
        skipStart = frameStart + frameSize;
        sink.frameComplete(QByteArray(buffer.constData() + frameStart, frameSize));
        ++frames;
        inFrame = false;
        remaining = -1;
    };

    for (int i = 0; i < examined; ++i) {
        const unsigned char b = bytes[i];
        if (!inFrame) {
            if (opensFrame(b)) {
                frameStart = i;
                inFrame = true;
            }
            // anything else between frames is noise
        } else if (remaining == -1) {
            if (b & 0x80)
                inFrame = false; // a length byte with bit 7 set abandons the frame and is consumed
            else
                remaining = b;
        } else if (remaining == 0) {
            // After a length byte of 0 the two-byte frame completes when the next byte is
            // examined; that byte is consumed with it.
            complete(2);
        } else if (--remaining == 0) {
            complete(i - frameStart + 1);
        }
    }

    int consumed = examined;
    if (inFrame && (remaining >= 0 || kind == PassKind::Early))
        consumed = frameStart; // keep the unfinished frame whole from its code byte
    reportSkipped(consumed);
    if (consumed > 0)
        buffer.remove(0, consumed);
    return frames;
}

} // namespace protocol
