// Receive-path throughput over a realistic CCB stream: every message kind, some noise between
// frames and some frames with wrong check bytes, in a fixed pseudo-random mix.

#include "protocol/device_state.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "protocol/reassembly.h"

#include <benchmark/benchmark.h>

#include <cstdint>

using namespace protocol;

namespace {

// Small fixed generator so the stream is the same on every machine and run.
struct Prng {
    std::uint64_t s = 0x9E3779B97F4A7C15ull;
    std::uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return std::uint32_t(s >> 11);
    }
    int below(int n) { return int(next() % std::uint32_t(n)); }
    char low7() { return char(next() & 0x7F); }
};

QByteArray frame(int code, const QByteArray &payload, bool checked = true) {
    QByteArray f;
    f.append(char(code));
    f.append(char(payload.size() + 2));
    f.append(payload);
    if (checked)
        appendCheckBytes(f);
    return f;
}

QByteArray randomBytes(Prng &r, int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(r.low7());
    return b;
}

QByteArray parameterReply(Prng &r, int parameter, int n) {
    QByteArray p;
    p.append(char(1)).append(char(0)).append(char(0));
    p.append(char(n << 3)).append(char(parameter));
    p.append(randomBytes(r, n));
    return frame(0xEF, p);
}

QByteArray oneMessage(Prng &r) {
    switch (r.below(12)) {
    case 0: {
        QByteArray p = QByteArray("FL-2000") + QByteArray(9, '\0') + QByteArray("SN123456") +
                       QByteArray(4, '\0');
        return frame(0xA2, p);
    }
    case 1: {
        QByteArray p = randomBytes(r, 25);
        p.append(char(r.below(2) << 4 | r.below(4)));
        p.append(char(r.below(3)));
        return frame(0xD2, p);
    }
    case 2: {
        // no check bytes: channel and a zero byte
        QByteArray f;
        f.append(char(0xE0)).append(char(4)).append(r.low7()).append(r.low7());
        f.append(char(2 + r.below(2))).append(char(0));
        return f;
    }
    case 3: {
        QByteArray p = randomBytes(r, 7);
        p[6] = char(r.below(3));
        return frame(0xE2, p);
    }
    case 4:
        return frame(0xE4, randomBytes(r, 6));
    case 5:
        return frame(0xE5, randomBytes(r, 8));
    case 6:
    case 7:
        return frame(0xE6, randomBytes(r, 3)); // the CCB sends its status most often
    case 8: {
        QByteArray p = randomBytes(r, 12);
        p[6] = char(r.below(10));
        p[7] = char(1 + r.below(12));
        p[8] = char(1 + r.below(28));
        p[9] = char(r.below(24));
        p[10] = char(r.below(60));
        return frame(0xEE, p);
    }
    case 9:
        return parameterReply(r, 4, 6);
    case 10:
        return parameterReply(r, 32 + r.below(2), 7);
    default:
        return parameterReply(r, 40, 7);
    }
}

QByteArray ccbStream(int size) {
    Prng r;
    QByteArray stream;
    stream.reserve(size + 256);
    while (stream.size() < size) {
        if (r.below(20) == 0) { // line noise between frames
            const int n = 1 + r.below(4);
            for (int i = 0; i < n; ++i)
                stream.append(r.below(4) == 0 ? char(0xFE + r.below(2)) : r.low7());
        }
        QByteArray f = oneMessage(r);
        if (r.below(30) == 0) // damaged on the line
            f[f.size() - 1] = char((f.at(f.size() - 1) + 1) & 0x7F);
        stream.append(f);
    }
    stream.truncate(size);
    return stream;
}

struct Dispatcher : FrameSink {
    DeviceState state;
    int frames = 0;
    void frameComplete(const QByteArray &frame) override {
        dispatchFrame(frame, state);
        ++frames;
    }
};

struct Counter : FrameSink {
    std::int64_t bytes = 0;
    void frameComplete(const QByteArray &frame) override { bytes += frame.size(); }
};

// Reassembly, dispatch and parsers, as one quiet-line pass over the whole buffer.
void receivePath(benchmark::State &st) {
    const QByteArray stream = ccbStream(int(st.range(0)));
    Dispatcher sink;
    for (auto _ : st) {
        QByteArray buffer = stream;
        benchmark::DoNotOptimize(reassemble(buffer, sink));
        benchmark::DoNotOptimize(sink.state);
    }
    st.SetBytesProcessed(std::int64_t(st.iterations()) * stream.size());
    st.counters["frames/pass"] = double(sink.frames) / double(st.iterations());
}
BENCHMARK(receivePath)->Arg(64 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMicrosecond);

// The cutting alone, to show the pass stays linear in the buffer size.
void reassemblyOnly(benchmark::State &st) {
    const QByteArray stream = ccbStream(int(st.range(0)));
    Counter sink;
    for (auto _ : st) {
        QByteArray buffer = stream;
        benchmark::DoNotOptimize(reassemble(buffer, sink, PassKind::Early));
    }
    benchmark::DoNotOptimize(sink.bytes);
    st.SetBytesProcessed(std::int64_t(st.iterations()) * stream.size());
}
BENCHMARK(reassemblyOnly)->Arg(64 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMicrosecond);

// A buffer of nothing but noise and of nothing but two-byte frames: the worst cases for the
// removal at the end and for the number of frames handed out.
void noiseOnly(benchmark::State &st) {
    const QByteArray stream(int(st.range(0)), '\x55');
    Counter sink;
    for (auto _ : st) {
        QByteArray buffer = stream;
        benchmark::DoNotOptimize(reassemble(buffer, sink));
    }
    st.SetBytesProcessed(std::int64_t(st.iterations()) * stream.size());
}
BENCHMARK(noiseOnly)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void shortestFrames(benchmark::State &st) {
    QByteArray stream;
    while (stream.size() < st.range(0))
        stream.append("\xE6\x01\x00", 3);
    Counter sink;
    for (auto _ : st) {
        QByteArray buffer = stream;
        benchmark::DoNotOptimize(reassemble(buffer, sink));
    }
    st.SetBytesProcessed(std::int64_t(st.iterations()) * stream.size());
}
BENCHMARK(shortestFrames)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
