// The fleet view under load: a real mosquitto on loopback, fleet_load publishing as N lasers
// (status once a second each, an alarm change every ten seconds each), and
//  1. the real laser-fleet program: its CPU time and peak memory over the measured seconds;
//  2. the same window in this process: how long after being published a raised alarm is
//     painted in its row (the first paint of the table after the batch that carries it), and
//     this process's CPU time and peak memory; beside it, how late a plain subscriber gets
//     the statuses from the broker, the share of the delay that is not the window's.
//
//   fleet_bench [--lasers N] [--seconds S] [--warmup W]    (defaults 500, 30, 5)
//
// Uses DISPLAY when set, the offscreen platform otherwise. Figures taken while other work runs
// on the machine are inflated; the CPU time is given beside the wall time.
#include "fleet/fleet_window.h"
#include "fleet/laser_table.h"
#include "plant/fleet_link.h"
#include "tests/support/broker.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

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

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lasers = option(args, "--lasers", 500);
    const int seconds = option(args, "--seconds", 30);
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

    QProcess load;
    load.setProcessChannelMode(QProcess::ForwardedChannels);
    load.start(QStringLiteral(FLEET_LOAD_BIN),
               {QStringLiteral("--port"), QString::number(broker.port), QStringLiteral("--lasers"),
                QString::number(lasers), QStringLiteral("--seconds"),
                QString::number(2 * (warmup + seconds) + 5)});
    if (!load.waitForStarted()) {
        std::fprintf(stderr, "fleet_bench: fleet_load did not start\n");
        return 1;
    }
    runFor(2000);
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
    program.terminate();
    program.waitForFinished(5000);
    std::printf("N=%d laser-fleet: CPU %.1f s in %d s = %.2f core; peak RSS %.0f MB\n", lasers,
                programCpu, seconds, programCpu / seconds, programPeak);

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
            if (m.kind != plant::Kind::Status)
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
    measuring = true;
    plainMeasuring = true;
    const double c0 = ownCpuSeconds();
    runFor(seconds * 1000);
    const double ownCpu = ownCpuSeconds() - c0;
    measuring = false;
    plainMeasuring = false;
    plain.disconnect()->wait_for(std::chrono::seconds(2));
    std::printf(
        "N=%d window in-process: alarm to row p50 %.0f ms, p99 %.0f ms, max %.0f ms "
        "(%zu alarms; in the table p50 %.0f ms, p99 %.0f ms); CPU %.1f s in %d s = %.2f core; "
        "peak RSS %.0f MB; %d lasers shown, %llu messages not kept\n",
        lasers, percentile(latencies, 0.5), percentile(latencies, 0.99), percentile(latencies, 1.0),
        latencies.size(), percentile(inBatch, 0.5), percentile(inBatch, 0.99), ownCpu, seconds,
        ownCpu / seconds, peakMbOf(QCoreApplication::applicationPid()),
        int(window.state().lasers().size()),
        static_cast<unsigned long long>(window.state().rejectedTotal() + window.state().overrun()));
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
