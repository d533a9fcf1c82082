// The fleet view under load: a real mosquitto on loopback, fleet_load publishing as N lasers
// (status once a second each, an alarm change every ten seconds each), and
//  1. the real laser-fleet program: its CPU time and peak memory over the measured seconds;
//  2. the same window in this process: how long after being published a raised alarm is
//     painted in its row (the first paint of the table after the batch that carries it), and
//     this process's CPU time and peak memory; beside it, how late a plain subscriber gets
//     the statuses from the broker, the share of the delay that is not the window's.
//
//   fleet_bench [--lasers N] [--seconds S] [--warmup W]    (defaults 500, 30, 5)
//   fleet_bench --hostile [--lasers N] ...    (N defaults to 2000)
//   fleet_bench --memory realistic|stuffed|events [--lasers N] [--seconds S]   (4000, 60)
//
// --hostile: beside the N lasers one host sends 10 statuses a second, each stuffed with 60 KiB
// of unknown alarm keys. The latency is that of the other lasers' alarms; after the measured
// seconds the real program gets SIGTERM under the load, and the time to its end is given.
// --memory: the real program and the window in this process side by side, fed by N lasers:
// "realistic" statuses once a second; "stuffed" statuses of 64 KiB each (every 40 s each);
// "events": one status each, then 200,000 events of 2.3 KB as fast as the broker takes them
// (QoS 0). Gives the peak memory of both and what the window's state holds and did not keep.
//
// Uses DISPLAY when set, the offscreen platform otherwise. Figures taken while other work runs
// on the machine are inflated; the CPU time is given beside the wall time.
#include "fleet/fleet_window.h"
#include "fleet/laser_table.h"
#include "plant/fleet_link.h"
#include "plant/payloads.h"
#include "tests/support/broker.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <csignal>
#include <ctime>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

int option(const QStringList &args, const char *name, int fallback) {
    const int i = args.indexOf(QLatin1String(name));
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU seconds (user + system) of a process from /proc/PID/stat.
double cpuSecondsOf(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = f.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

// Peak resident memory in MB (VmHWM of /proc/PID/status).
double peakMbOf(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// This thread's CPU time in ms.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

double ownCpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<qint64> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return double(v[std::min(v.size() - 1, size_t(p * double(v.size())))]);
}

// Until `count` live statuses (or events) have passed the broker: fleet_load takes a while to
// connect all its clients on a busy machine.
bool waitForFlow(const Broker &broker, const char *filter, int count, int timeoutMs) {
    std::atomic<int> seen{0};
    mqtt::async_client watch("tcp://127.0.0.1:" + std::to_string(broker.port), "bench-watch");
    watch.set_message_callback([&](mqtt::const_message_ptr m) {
        if (!m->is_retained())
            ++seen;
    });
    watch.connect()->wait_for(std::chrono::seconds(10));
    watch.subscribe(filter, 0)->wait_for(std::chrono::seconds(10));
    QElapsedTimer clock;
    clock.start();
    while (seen < count && clock.elapsed() < timeoutMs)
        runFor(100);
    watch.disconnect()->wait_for(std::chrono::seconds(2));
    return seen >= count;
}

QStringList loadArguments(const Broker &broker, int lasers, int seconds) {
    return {QStringLiteral("--port"), QString::number(broker.port), QStringLiteral("--lasers"),
            QString::number(lasers),  QStringLiteral("--seconds"),  QString::number(seconds)};
}

// SIGTERM to the real program; the ms until it has ended, -1 if it did not within 10 s.
qint64 stopByTerm(QProcess &program) {
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(program.processId()), SIGTERM);
    return program.waitForFinished(10000) ? clock.elapsed() : -1;
}

// The memory modes: both fleets side by side under one kind of load.
int measureMemory(const QString &mode, const Broker &broker, const QString &workPath, int lasers,
                  int seconds) {
    QProcess load;
    load.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcess program;
    program.setWorkingDirectory(workPath);
    program.start(QStringLiteral(LASER_FLEET_BIN), {});
    program.waitForStarted();
    QDir::setCurrent(workPath);
    plant::FleetLink link(QStringLiteral("config/plant.ini"), QStringLiteral("bench"));
    fleet::FleetWindow window(&link);
    window.show();
    if (mode == QLatin1String("realistic")) {
        load.start(QStringLiteral(FLEET_LOAD_BIN), loadArguments(broker, lasers, seconds + 120));
        waitForFlow(broker, "laser/+/status", lasers, 120000);
    } else if (mode == QLatin1String("stuffed")) {
        // Each laser's status every 40 s, 100 a second in all: as fast as a busy machine lets
        // two fleets read them. (Sent all at once, a broker passes a subscriber only what its
        // queue holds; see docs/fleet.md.)
        load.start(QStringLiteral(FLEET_LOAD_BIN),
                   loadArguments(broker, lasers, seconds + 600) +
                       QStringList{QStringLiteral("--interval"), QStringLiteral("40000"),
                                   QStringLiteral("--stuffed"), QStringLiteral("65000")});
    } else if (mode == QLatin1String("events")) {
        load.start(QStringLiteral(FLEET_LOAD_BIN),
                   loadArguments(broker, lasers, seconds + 120) +
                       QStringList{QStringLiteral("--interval"), QStringLiteral("0"),
                                   QStringLiteral("--events"), QStringLiteral("200000"),
                                   QStringLiteral("--event-bytes"), QStringLiteral("2300"),
                                   QStringLiteral("--qos"), QStringLiteral("0")});
        waitForFlow(broker, "laser/+/events", 1000, 120000);
    }
    // Every laser's status in the window's state, then the measured time.
    const fleet::Fleet &state = window.state();
    QElapsedTimer filling;
    filling.start();
    const auto statuses = [&] {
        return std::count_if(state.lasers().begin(), state.lasers().end(),
                             [](const fleet::Laser &l) { return l.hasStatus; });
    };
    while (statuses() < lasers && filling.elapsed() < 600000)
        runFor(200);
    std::printf("memory %s, N=%d: %d statuses in the window after %.1f s\n", qPrintable(mode),
                lasers, int(statuses()), double(filling.elapsed()) / 1000);
    runFor(seconds * 1000);
    quint64 eventsKept = 0;
    for (const fleet::Laser &l : state.lasers())
        eventsKept += l.events.size();
    std::printf("memory %s, N=%d: laser-fleet peak RSS %.0f MB; window in-process peak RSS %.0f "
                "MB, %d lasers shown, state holds %.1f MiB, %llu events kept and %llu dropped "
                "(per-laser bounds), %llu messages overrun, %llu refused, %llu status payloads "
                "not kept\n",
                qPrintable(mode), lasers, peakMbOf(program.processId()),
                peakMbOf(QCoreApplication::applicationPid()), int(state.lasers().size()),
                double(state.heldBytes()) / (1024 * 1024),
                static_cast<unsigned long long>(eventsKept),
                static_cast<unsigned long long>(state.eventsDropped()),
                static_cast<unsigned long long>(state.overrun()),
                static_cast<unsigned long long>(state.rejectedTotal()),
                static_cast<unsigned long long>(state.payloadsNotKept()));
    std::printf("memory %s, N=%d: laser-fleet ended %lld ms after SIGTERM\n", qPrintable(mode),
                lasers, static_cast<long long>(stopByTerm(program)));
    load.kill();
    load.waitForFinished(3000);
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool hostile = args.contains(QStringLiteral("--hostile"));
    const int memoryAt = args.indexOf(QStringLiteral("--memory"));
    const QString memory = memoryAt > 0 ? args.value(memoryAt + 1) : QString();
    const int lasers = option(args, "--lasers", !memory.isEmpty() ? 4000 : hostile ? 2000 : 500);
    const int seconds = option(args, "--seconds", !memory.isEmpty() ? 60 : 30);
    const int warmup = option(args, "--warmup", 5);
    if (!Broker::available()) {
        std::fprintf(stderr, "fleet_bench: mosquitto is not installed\n");
        return 1;
    }
    Broker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "fleet_bench: mosquitto did not start\n");
        return 1;
    }
    QTemporaryDir work;
    QDir(work.path()).mkpath(QStringLiteral("config"));
    QFile ini(work.filePath(QStringLiteral("config/plant.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[mqtt]\nurl = " + broker.url().toUtf8() + "\n");
    ini.close();
    if (!memory.isEmpty())
        return measureMemory(memory, broker, work.path(), lasers, seconds);

    if (hostile) {
        // What one stuffed status costs the reading thread: 60 KiB, 4,000 raised unknown keys.
        QByteArray stuffing;
        for (int k = 0; stuffing.size() + 1500 < 60 * 1024; ++k)
            stuffing += "\"zz_stuffed_" + QByteArray::number(k).rightJustified(5, '0') + "\":true,";
        QByteArray payload = plant::statusPayload(plant::statusObject({}, {}),
                                                  QStringLiteral("hostile"), 1796662420295);
        payload.insert(payload.indexOf("\"alarms\":{") + 10, stuffing);
        QElapsedTimer reading;
        reading.start();
        for (int i = 0; i < 100; ++i)
            plant::parseFleetMessage(QStringLiteral("laser"), "laser/hostile/status", payload,
                                     false);
        std::printf("reading one stuffed status of %d bytes: %.2f ms\n", int(payload.size()),
                    double(reading.nsecsElapsed()) / 1e8);
    }

    QProcess load;
    load.setProcessChannelMode(QProcess::ForwardedChannels);
    load.start(QStringLiteral(FLEET_LOAD_BIN),
               loadArguments(broker, lasers, 2 * (warmup + seconds) + 5) +
                   (hostile ? QStringList{QStringLiteral("--hostile"), QStringLiteral("10")}
                            : QStringList()));
    if (!load.waitForStarted()) {
        std::fprintf(stderr, "fleet_bench: fleet_load did not start\n");
        return 1;
    }
    if (!waitForFlow(broker, "laser/+/status", lasers, 120000))
        std::fprintf(stderr, "fleet_bench: fleet_load is slow to start\n");
    const double brokerCpu0 = cpuSecondsOf(broker.pid());
    const double loadCpu0 = cpuSecondsOf(load.processId());

    // 1. The real program.
    QProcess program;
    program.setWorkingDirectory(work.path());
    program.start(QStringLiteral(LASER_FLEET_BIN), {});
    program.waitForStarted();
    runFor(warmup * 1000);
    const double p0 = cpuSecondsOf(program.processId());
    runFor(seconds * 1000);
    const double programCpu = cpuSecondsOf(program.processId()) - p0;
    const double programPeak = peakMbOf(program.processId());
    const qint64 stopMs = stopByTerm(program);
    std::printf("N=%d%s laser-fleet: CPU %.1f s in %d s = %.2f core; peak RSS %.0f MB; ended %lld "
                "ms after SIGTERM\n",
                lasers, hostile ? " +hostile" : "", programCpu, seconds, programCpu / seconds,
                programPeak, static_cast<long long>(stopMs));

    // 2. The window in this process, for the latency.
    QDir::setCurrent(work.path());
    plant::FleetLink link(QStringLiteral("config/plant.ini"), QStringLiteral("bench"));
    fleet::FleetWindow window(&link);
    window.show();
    auto *view = window.findChild<QTableView *>(QStringLiteral("laserView"));
    QHash<QString, bool> alarmed;
    std::vector<qint64> pending;
    std::vector<qint64> latencies;
    std::vector<qint64> inBatch; // the same alarms when their batch was applied, before the paint
    bool measuring = false;
    QObject::connect(&window, &fleet::FleetWindow::batchShown, [&](const plant::FleetBatch &batch) {
        for (const plant::FleetMessage &m : batch.messages) {
            // The hostile host's own alarms are not what is measured.
            if (m.kind != plant::Kind::Status || m.laserId == QLatin1String("hostile"))
                continue;
            const bool on = m.status.alarmKeys().contains(QStringLiteral("chiller_fault"));
            const auto it = alarmed.find(m.laserId);
            if (on && it != alarmed.end() && !it.value() && !m.retained) {
                pending.push_back(m.status.at);
                if (measuring)
                    inBatch.push_back(QDateTime::currentMSecsSinceEpoch() - m.status.at);
            }
            alarmed.insert(m.laserId, on);
        }
    });
    struct PaintWatch : QObject {
        std::function<void()> painted;
        bool eventFilter(QObject *o, QEvent *e) override {
            if (e->type() == QEvent::Paint)
                painted();
            return QObject::eventFilter(o, e);
        }
    } watch;
    watch.painted = [&] {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (measuring)
            for (qint64 at : pending)
                latencies.push_back(now - at);
        pending.clear();
    };
    view->viewport()->installEventFilter(&watch);

    // A plain subscriber beside the window: how late the broker hands the statuses out.
    std::mutex plainLock;
    std::vector<qint64> plainLags;
    std::atomic<bool> plainMeasuring{false};
    mqtt::async_client plain("tcp://127.0.0.1:" + std::to_string(broker.port), "bench-plain");
    plain.set_message_callback([&](mqtt::const_message_ptr m) {
        const std::string &p = m->get_payload_str();
        const size_t at = p.find("\"at\":");
        if (!plainMeasuring || m->is_retained() || at == std::string::npos)
            return;
        const qint64 lag =
            QDateTime::currentMSecsSinceEpoch() - std::strtoll(p.c_str() + at + 5, nullptr, 10);
        std::lock_guard<std::mutex> lock(plainLock);
        plainLags.push_back(lag);
    });
    plain.connect()->wait_for(std::chrono::seconds(5));
    plain.subscribe("laser/+/status", 0)->wait_for(std::chrono::seconds(5));

    runFor(warmup * 1000);
    // How long the GUI thread was away from its event loop at a time: a timer every 5 ms, and
    // the gaps between its ticks beyond that; beside it the thread's own CPU time in each gap,
    // which leaves out the time the machine gave to other work.
    std::vector<qint64> stalls;
    std::vector<qint64> busy;
    QElapsedTimer sinceTick;
    double cpuAtTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double cpu = threadCpuMs();
        if (sinceTick.isValid()) {
            stalls.push_back(std::max<qint64>(0, sinceTick.elapsed() - 5));
            busy.push_back(qint64(cpu - cpuAtTick));
        }
        sinceTick.start();
        cpuAtTick = cpu;
    });
    ticker.start();
    measuring = true;
    plainMeasuring = true;
    const double c0 = ownCpuSeconds();
    runFor(seconds * 1000);
    const double ownCpu = ownCpuSeconds() - c0;
    measuring = false;
    ticker.stop();
    plainMeasuring = false;
    plain.disconnect()->wait_for(std::chrono::seconds(2));
    std::printf(
        "N=%d%s window in-process: alarm to row p50 %.0f ms, p99 %.0f ms, max %.0f ms "
        "(%zu alarms; in the table p50 %.0f ms, p99 %.0f ms); CPU %.1f s in %d s = %.2f core; "
        "peak RSS %.0f MB; %d lasers shown, %llu messages not kept, %llu unknown alarms ignored\n",
        lasers, hostile ? " +hostile" : "", percentile(latencies, 0.5), percentile(latencies, 0.99),
        percentile(latencies, 1.0), latencies.size(), percentile(inBatch, 0.5),
        percentile(inBatch, 0.99), ownCpu, seconds, ownCpu / seconds,
        peakMbOf(QCoreApplication::applicationPid()), int(window.state().lasers().size()),
        static_cast<unsigned long long>(window.state().rejectedTotal() + window.state().overrun()),
        static_cast<unsigned long long>(window.state().alarmsIgnored()));
    std::printf("N=%d%s window in-process: event loop stalls p99 %.0f ms, max %.0f ms; GUI "
                "thread's CPU time between two turns p99 %.0f ms, max %.0f ms\n",
                lasers, hostile ? " +hostile" : "", percentile(stalls, 0.99),
                percentile(stalls, 1.0), percentile(busy, 0.99), percentile(busy, 1.0));
    {
        std::lock_guard<std::mutex> lock(plainLock);
        std::printf("N=%d plain subscriber: status from broker p50 %.0f ms, p99 %.0f ms (%zu)\n",
                    lasers, percentile(plainLags, 0.5), percentile(plainLags, 0.99),
                    plainLags.size());
    }
    std::printf("N=%d mosquitto CPU %.1f s, fleet_load CPU %.1f s over both parts\n", lasers,
                cpuSecondsOf(broker.pid()) - brokerCpu0, cpuSecondsOf(load.processId()) - loadCpu0);
    load.kill();
    load.waitForFinished(3000);
    return 0;
}
