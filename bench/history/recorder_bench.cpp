// The recorder's share of receiving one frame: the chunk queued for the capture, the frame
// described and put in the journal, its flags compared and any change queued. The writer thread
// runs as in the program and empties the queue once a second.

#include "history/recorder.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "support/frames.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using frames::bytes;
using frames::make;

// The frames of one usual status round.
std::vector<QByteArray> statusRound() {
    return {make(0xE6, bytes({0x04, 0x08, 0x30})),
            make(0xE2, bytes({0, 0x40, 0, 0x08, 0, 0, 1})),
            bytes({0xE0, 0x04, 0x14, 0x1F, 0x02, 0x00}),
            bytes({0xE0, 0x04, 0x0E, 0x0D, 0x03, 0x00}),
            make(0xE4, bytes({0, 0, 0, 0x09, 0x52, 0})),
            make(0xE5, bytes({0, 50, 0x07, 0x68, 0, 0, 0, 0})),
            make(0xEE, bytes({0, 0, 0, 0, 0, 0, 6, 12, 7, 14, 37, 0})),
            frames::driverBoard(0, 0, "V1.0.0", frames::driverSlot(3), 0)};
}

struct Rig {
    QTemporaryDir dir;
    history::Recorder *recorder = nullptr;
    protocol::DeviceState state;
    Rig() {
        history::RecorderOptions options;
        options.logDir = dir.filePath(QStringLiteral("log"));
        recorder = new history::Recorder(nullptr, options);
        recorder->portOpened(QStringLiteral("ttyUSB0"), QString());
    }
    ~Rig() { delete recorder; }
};

// Usual traffic: the round's frames, each arriving as its own chunk; flags stay as they are.
void BM_RecordOneReceivedFrame(benchmark::State &s) {
    Rig rig;
    const std::vector<QByteArray> round = statusRound();
    for (const QByteArray &f : round)
        protocol::dispatchFrameVerdict(f, rig.state);
    size_t k = 0;
    for (auto _ : s) {
        const QByteArray &f = round[k];
        k = (k + 1) % round.size();
        rig.recorder->bytesReceived(f);
        const protocol::Verdict v = protocol::dispatchFrameVerdict(f, rig.state);
        rig.recorder->frameReceived(f, v, rig.state);
    }
    s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_RecordOneReceivedFrame);

// The worst case: every frame turns an alarm on or off, so each one queues an event row.
void BM_RecordOneReceivedFrameWithAFlagChange(benchmark::State &s) {
    Rig rig;
    const QByteArray on = make(0xE6, bytes({0x04, 0x08, 0x30}));
    const QByteArray off = make(0xE6, bytes({0x04, 0x00, 0x30}));
    bool flip = false;
    for (auto _ : s) {
        const QByteArray &f = flip ? on : off;
        flip = !flip;
        rig.recorder->bytesReceived(f);
        const protocol::Verdict v = protocol::dispatchFrameVerdict(f, rig.state);
        rig.recorder->frameReceived(f, v, rig.state);
    }
    s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_RecordOneReceivedFrameWithAFlagChange);

// The same round through dispatch alone, for comparison: what the recorder adds is the
// difference between the two.
void BM_DispatchOnlyForComparison(benchmark::State &s) {
    protocol::DeviceState state;
    const std::vector<QByteArray> round = statusRound();
    size_t k = 0;
    for (auto _ : s) {
        const QByteArray &f = round[k];
        k = (k + 1) % round.size();
        benchmark::DoNotOptimize(protocol::dispatchFrameVerdict(f, state));
    }
}
BENCHMARK(BM_DispatchOnlyForComparison);

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
