// One refresh pass of the plant link in Sparkplug: the laser's values taken from the device
// state, compared with what the host last saw, and the DDATA of what changed encoded. The
// window refreshes every 200 ms, so at most five DDATA a second go out whatever the line's
// rate. Beside it the JSON status of the same pass, as `format = json` makes it.
#include "plant/payloads.h"
#include "plant/sparkplug_metrics.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace plant::sparkplug;

namespace {

struct Laser {
    protocol::DeviceState state;
    plant::LinkInfo link{QStringLiteral("ttyUSB0"), true, 1796662420180};
    events::Sample readings{0, 24.37, 27.05, 12.3};
    EdgeNode node;
    qint64 now = 1796662420295;

    Laser() : node(settings(), laserMetrics()) {
        state.productType = QStringLiteral("FL-SIM-1000");
        state.serialNumber = QStringLiteral("SIM00000042");
        state.ccbVersion = QStringLiteral("V1.0.7");
        state.driverBoardVersion[0][0] = QStringLiteral("D2.3.1");
        node.will(now);
        node.refresh(laserDevice(state, link, readings), now);
        node.connected(now);
    }
    static NodeSettings settings() {
        NodeSettings s;
        s.groupId = QStringLiteral("hall2");
        s.edgeNodeId = QStringLiteral("cutter-7");
        return s;
    }
    // One pass; the bytes of what it published.
    qint64 pass() {
        now += 200;
        qint64 bytes = 0;
        for (const Outgoing &o : node.refresh(laserDevice(state, link, readings), now).publish)
            bytes += o.payload.size();
        return bytes;
    }
};

void report(benchmark::State &s, qint64 bytes) {
    s.counters["payload bytes/pass"] =
        benchmark::Counter(double(bytes), benchmark::Counter::kAvgIterations);
}

// Nothing changed: the usual pass.
void refreshPassUnchanged(benchmark::State &s) {
    Laser laser;
    qint64 bytes = 0;
    for (auto _ : s)
        bytes += laser.pass();
    report(s, bytes);
}
BENCHMARK(refreshPassUnchanged);

// The water temperatures move on every pass: a DDATA of two metrics.
void refreshPassTwoTemperatures(benchmark::State &s) {
    Laser laser;
    qint64 bytes = 0;
    for (auto _ : s) {
        laser.readings.waterIn += 0.01;
        laser.readings.waterOut += 0.01;
        bytes += laser.pass();
    }
    report(s, bytes);
}
BENCHMARK(refreshPassTwoTemperatures);

// Every flag and lamp and the three temperatures change on every pass: the largest DDATA.
void refreshPassEverythingFlips(benchmark::State &s) {
    Laser laser;
    qint64 bytes = 0;
    for (auto _ : s) {
        protocol::DeviceState &d = laser.state;
        const bool on = !d.chillerFault;
        d.extEStop = d.doorInterlock = d.systemFault = d.chillerFault = on;
        d.redLightOn = d.laserReady = d.dcOn = on;
        d.dinEStop2 = d.dinPwm = d.dinDcOn = d.dinLaserOn = d.doutDcOn = d.doutFault = on;
        for (protocol::ModuleStatus &m : d.moduleStatus)
            m.qbhFault = m.fiberBreakFault = m.waterInHiFault = m.waterOutHiFault = m.beamOn =
                m.pdFault = on;
        for (auto &board : d.driverChannel)
            for (protocol::DriverChannel &c : board)
                c.overCurrent1 = c.overCurrent2 = c.overTemp1 = c.overTemp2 = c.overTemp3 =
                    c.overTemp4 = on;
        laser.readings.waterIn += 0.01;
        laser.readings.waterOut += 0.01;
        laser.readings.dewPoint += 0.01;
        bytes += laser.pass();
    }
    report(s, bytes);
}
BENCHMARK(refreshPassEverythingFlips);

// The DDATA of two changed temperatures alone, from values already taken.
void encodeDdataOfTwo(benchmark::State &s) {
    Laser laser;
    std::vector<Value> values = laserDevice(laser.state, laser.link, laser.readings).values;
    const std::vector<int> changed{
        laser.node.metricIndex(QStringLiteral("Temperatures/water_in")),
        laser.node.metricIndex(QStringLiteral("Temperatures/water_out"))};
    qint64 bytes = 0;
    for (auto _ : s)
        bytes += dataPayload(laser.now, 7, laser.node.deviceMetrics(), values, changed).size();
    report(s, bytes);
}
BENCHMARK(encodeDdataOfTwo);

// The births of a connection or a rebirth.
void births(benchmark::State &s) {
    Laser laser;
    qint64 bytes = 0;
    for (auto _ : s) {
        laser.now += 200;
        for (const Outgoing &o : laser.node.connected(laser.now).publish)
            bytes += o.payload.size();
    }
    report(s, bytes);
}
BENCHMARK(births);

// The JSON status of the same pass (compared, and made into bytes when it changed).
void jsonStatusPass(benchmark::State &s) {
    Laser laser;
    qint64 bytes = 0;
    for (auto _ : s) {
        laser.readings.waterIn += 0.01;
        const QJsonObject status = plant::statusObject(laser.state, laser.link, laser.readings);
        bytes += plant::statusPayload(status, QStringLiteral("cutter-7"), laser.now).size();
    }
    report(s, bytes);
}
BENCHMARK(jsonStatusPass);

} // namespace

BENCHMARK_MAIN();
