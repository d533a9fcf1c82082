// Arbitrary bytes as one line of a capture file. The parser takes exactly what the writer
// writes: every line it accepts, written again by the writer, is the same line (newline aside)
// and parses to the same time, direction and bytes. Every line it refuses, other than a remark
// or an empty line, comes with a reason.

#include "fuzz/fuzz_check.h"
#include "history/capture_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The line without its line end, as the writer's line would be without its newline.
QByteArray body(const QByteArray &line) {
    QByteArray out = line;
    if (out.endsWith('\n'))
        out.chop(1);
    if (out.endsWith('\r'))
        out.chop(1);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > 4096)
        return 0;
    const QByteArray line(reinterpret_cast<const char *>(data), int(size));
    history::CaptureChunk chunk;
    QString reason;
    if (!history::parseCaptureLine(line, &chunk, &reason)) {
        const QByteArray text = body(line);
        FUZZ_CHECK(text.isEmpty() || text.startsWith('#') || !reason.isEmpty());
        return 0;
    }
    FUZZ_CHECK(reason.isEmpty());
    const QByteArray written = history::captureLine(chunk);
    FUZZ_CHECK(written.endsWith('\n'));
    FUZZ_CHECK(body(written) == body(line));
    history::CaptureChunk back;
    FUZZ_CHECK(history::parseCaptureLine(written, &back));
    FUZZ_CHECK(back.at == chunk.at);
    FUZZ_CHECK(back.sent == chunk.sent);
    FUZZ_CHECK(back.bytes == chunk.bytes);
    return 0;
}
