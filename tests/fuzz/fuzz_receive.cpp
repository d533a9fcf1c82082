// Arbitrary bytes through everything the receive path does with them: the reassembly pass of
// both kinds (whole and split into two bursts), the dispatcher, and every parser called
// directly. Besides the sanitizers, the invariants below stop the run when they break.

#include "fuzz/fuzz_check.h"
#include "protocol/device_state.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "protocol/reassembly.h"
#include "support/frames.h"

#include <QVector>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace protocol;

namespace {

struct Recorder : FrameSink {
    QVector<QByteArray> frames;
    void frameComplete(const QByteArray &frame) override { frames.append(frame); }
};

unsigned at(const QByteArray &bytes, int k) {
    return static_cast<unsigned char>(bytes.at(k));
}
bool opensFrame(unsigned b) {
    return b >= 0x80 && b <= 0xFD;
}
unsigned low5(const QByteArray &f) {
    return at(f, 1) & 0x1F;
}

// A frame handed out by the pass: opened by a code byte, counted by its 7-bit length byte.
void checkCutFrame(const QByteArray &f) {
    FUZZ_CHECK(f.size() >= 2 && f.size() <= 129);
    FUZZ_CHECK(opensFrame(at(f, 0)));
    FUZZ_CHECK(at(f, 1) < 0x80);
    FUZZ_CHECK(f.size() == int(at(f, 1)) + 2);
}

// What a pass may leave behind: nothing, or one unfinished frame from its code byte (a lone
// code byte only after an early pass). Always the tail of what was scanned.
void checkLeftOver(const QByteArray &scanned, const QByteArray &left, PassKind kind) {
    FUZZ_CHECK(left.size() <= 128);
    FUZZ_CHECK(scanned.endsWith(left));
    if (left.isEmpty())
        return;
    FUZZ_CHECK(opensFrame(at(left, 0)));
    if (left.size() == 1) {
        FUZZ_CHECK(kind == PassKind::Early);
        return;
    }
    const int length = int(at(left, 1));
    FUZZ_CHECK(length < 0x80);
    FUZZ_CHECK(left.size() < length + 2 || (length == 0 && left.size() == 2));
}

// The pass written out the slow, literal way: the frame under construction is built byte by
// byte and the buffer is trimmed as the rules say. reassemble must agree with it exactly.
QVector<QByteArray> referencePass(QByteArray &buffer, PassKind kind) {
    QVector<QByteArray> out;
    const int examined = buffer.size();
    if (examined == 0)
        return out;
    QByteArray frame;
    bool inFrame = false;
    int remaining = -1;
    int frameStart = 0;
    for (int i = 0; i < examined; ++i) {
        const unsigned b = at(buffer, i);
        if (!inFrame) {
            if ((b & 0x80) && b < 0xFE) {
                frame.append(char(b));
                frameStart = i;
                inFrame = true;
            }
        } else if (remaining == -1) {
            frame.append(char(b));
            if (b & 0x80) {
                frame.clear();
                inFrame = false;
            } else {
                remaining = int(b);
            }
        } else if (remaining == 0) {
            out.append(frame);
            frame.clear();
            inFrame = false;
        } else {
            --remaining;
            frame.append(char(b));
            if (remaining == 0) {
                out.append(frame);
                frame.clear();
                inFrame = false;
            }
        }
        if (!inFrame)
            remaining = -1;
    }
    if (remaining != -1 || (inFrame && kind == PassKind::Early))
        buffer.remove(0, frameStart);
    else
        buffer.remove(0, examined);
    return out;
}

QVector<QByteArray> pass(QByteArray &buffer, PassKind kind) {
    const QByteArray scanned = buffer;
    QByteArray reference = buffer;
    const QVector<QByteArray> expected = referencePass(reference, kind);

    Recorder sink;
    const int count = reassemble(buffer, sink, kind);
    FUZZ_CHECK(count == sink.frames.size());
    for (const QByteArray &f : sink.frames)
        checkCutFrame(f);
    checkLeftOver(scanned, buffer, kind);
    FUZZ_CHECK(sink.frames == expected);
    FUZZ_CHECK(buffer == reference);
    return sink.frames;
}

void checkReassembly(const QByteArray &input, int split) {
    const QByteArray first = input.left(split);
    const QByteArray second = input.mid(split);

    for (PassKind kind : {PassKind::QuietLine, PassKind::Early}) {
        QByteArray whole = input;
        const QVector<QByteArray> wholeFrames = pass(whole, kind);

        // An early pass keeps everything it could not finish, so stopping there and going on
        // with the rest gives exactly what one pass over all of it gives.
        QByteArray buffer = first;
        QVector<QByteArray> frames = pass(buffer, PassKind::Early);
        buffer.append(second);
        frames += pass(buffer, kind);
        FUZZ_CHECK(frames == wholeFrames);
        FUZZ_CHECK(buffer == whole);

        // A quiet-line pass over the first burst finds the frames that one pass would find
        // there too; it may lose an unfinished code byte, so only the prefix is bound.
        QByteArray quiet = first;
        const QVector<QByteArray> firstFrames = pass(quiet, PassKind::QuietLine);
        FUZZ_CHECK(firstFrames.size() <= wholeFrames.size());
        for (int i = 0; i < firstFrames.size(); ++i)
            FUZZ_CHECK(firstFrames[i] == wholeFrames[i]);
        quiet.append(second);
        pass(quiet, kind);
    }
}

// The acceptance rules of each message, stated independently of the parsers.
bool productInfoAccepted(const QByteArray &f) {
    return f.size() == 32 && low5(f) == 30;
}
bool driverBoardAccepted(const QByteArray &f) {
    return f.size() == 31 && low5(f) == 29 && (at(f, 28) & 0x7F) <= 2 && (at(f, 27) & 0x0F) <= 3 &&
           ((at(f, 27) >> 4) & 3) <= 1;
}
bool temperatureAccepted(const QByteArray &f) {
    return f.size() == 6 && low5(f) == 4 && (at(f, 5) & 0x7F) == 0 &&
           ((at(f, 4) & 7) == 2 || (at(f, 4) & 7) == 3);
}
bool moduleStatusAccepted(const QByteArray &f) {
    return f.size() < 9 || (at(f, 8) & 0x7F) <= 2;
}
bool dewPointAccepted(const QByteArray &f) {
    return f.size() == 10 && low5(f) == 8;
}
bool pwmInputAccepted(const QByteArray &f) {
    return f.size() == 12 && low5(f) == 10;
}
bool systemStatusAccepted(const QByteArray &) {
    return true;
}
bool clockAccepted(const QByteArray &f) {
    return f.size() == 16 && low5(f) == 14;
}
bool parameterAccepted(const QByteArray &f) {
    if (f.size() < 9 || low5(f) < 7 || ((at(f, 2) >> 3) & 3) != 0 || (at(f, 2) & 7) != 1)
        return false;
    const int n = int((at(f, 5) >> 3) & 7);
    if (f.size() != int(low5(f)) + 2 || int(low5(f)) != n + 7)
        return false;
    const unsigned parameter = ((at(f, 5) & 1) << 7) | (at(f, 6) & 0x7F);
    return (parameter == 4 && n == 6) ||
           ((parameter == 32 || parameter == 33 || parameter == 40) && n == 7);
}

using Parser = void (*)(const QByteArray &, DeviceState &);
struct Message {
    unsigned code;
    bool verified;
    Parser parse;
    bool (*accepted)(const QByteArray &);
};
const Message messages[] = {
    {0xA2, true, parseProductInfoReply, productInfoAccepted},
    {0xD2, true, parseDriverBoardReply, driverBoardAccepted},
    {0xE0, false, parseTemperatureReply, temperatureAccepted},
    {0xE2, true, parseModuleStatusReply, moduleStatusAccepted},
    {0xE4, true, parseDewPointReply, dewPointAccepted},
    {0xE5, true, parsePwmInputReply, pwmInputAccepted},
    {0xE6, true, parseSystemStatusReply, systemStatusAccepted},
    {0xEE, true, parseClockReply, clockAccepted},
    {0xEF, false, parseParameterReply, parameterAccepted},
};

void checkParsersAndDispatch(const QByteArray &frame) {
    static const DeviceState starts[] = {DeviceState{}, frames::busyState()};
    for (const DeviceState &start : starts) {
        for (const Message &m : messages) {
            DeviceState once = start;
            m.parse(frame, once);
            if (!m.accepted(frame))
                FUZZ_CHECK(once == start); // a rejected frame changes nothing at all
            DeviceState twice = once;
            m.parse(frame, twice);
            FUZZ_CHECK(twice == once); // every message is a plain overwrite
        }

        DeviceState routed = start;
        FUZZ_CHECK(dispatchFrame(frame, routed) == 1);
        DeviceState expected = start;
        if (!frame.isEmpty()) {
            for (const Message &m : messages)
                if (m.code == at(frame, 0) && (!m.verified || checkFrame(frame) == frameCrcOk))
                    m.parse(frame, expected);
        }
        FUZZ_CHECK(routed == expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > 4096)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));

    checkReassembly(input, int(size / 2));
    if (size > 0)
        checkReassembly(input, int(data[0] % (size + 1)));

    // The bytes as one frame, as a parser might be handed it directly.
    checkParsersAndDispatch(input);

    // And the frames the pass cuts out of them, through the dispatcher as the window does it.
    // The full parser checks run on the first few only: any one frame is also fuzzed directly
    // as a whole input, and checking thousands of tiny frames per input would slow the search.
    QByteArray buffer = input;
    Recorder sink;
    reassemble(buffer, sink);
    DeviceState state = frames::busyState();
    for (int i = 0; i < sink.frames.size(); ++i) {
        if (i < 8)
            checkParsersAndDispatch(sink.frames[i]);
        FUZZ_CHECK(dispatchFrame(sink.frames[i], state) == 1);
    }
    return 0;
}
