// Whole-program measurements of the real laser-host on a real X display, with the simulated CCB
// on a virtual ttyUSB0 (see tools/virtual-port.sh). Run through cpu.sh, latency.sh and soak.sh,
// which find the binaries and a display; needs root.
//
//   program_probe cpu     [--seconds 30] [--bare PATH]
//   program_probe latency [--samples 30]
//   program_probe soak    [--seconds 60]

#include "common/pixel_sizes.h"
#include "support/e2e/harness.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#ifndef LASER_BARE_WINDOW_BIN
#define LASER_BARE_WINDOW_BIN ""
#endif

using harness::Lamp;
using harness::Screen;

namespace {

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// utime + stime of a process, in seconds.
double cpuSeconds(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// A line of /proc/PID/status in kB (VmRSS, VmHWM).
qint64 statusKb(qint64 pid, const char *key) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key)) + 1).simplified().split(' ').value(0).toLongLong();
    return -1;
}

void out(const QString &line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The simulator, the program and its window, with the port open.
struct Rig {
    harness::Session session;
    harness::Simulator &sim = session.sim;
    harness::Program &program = session.program;

    QString up(const QStringList &simArgs, const QStringList &simCommands = {}) {
        const QString missing = harness::missingPrerequisite();
        if (!missing.isEmpty())
            return missing;
        QString why = session.startSimulator(simArgs);
        if (!why.isEmpty())
            return why;
        for (const QString &c : simCommands)
            sim.send(c);
        // To measure the plant link: the settings file the program is to read.
        const QString plantIni = qEnvironmentVariable("LASER_BENCH_PLANT_INI");
        if (!plantIni.isEmpty()) {
            QFile file(plantIni);
            if (!file.open(QIODevice::ReadOnly) ||
                !session.writeConfig(QStringLiteral("plant.ini"), file.readAll()))
                return QStringLiteral("cannot copy %1").arg(plantIni);
        }
        why = session.start();
        if (!why.isEmpty())
            return why;
        if (!session.openPort())
            return QStringLiteral("the port did not open");
        return QString();
    }

    // The lamp's 16x16 area on screen, read straight from the X server.
    Lamp lampNow(const QString &label) {
        const QImage area = session.driver->grab(label);
        return harness::lampAt(area, QPoint(area.width() / 2, area.height() / 2));
    }
};

int cpu(int seconds, const QString &barePath, bool lineRate) {
    // The program, the bare window and this probe come from one build, so from one Qt.
    out(QStringLiteral("cpu: Qt %1 build").arg(QString::fromLatin1(qVersion())));
    double programPct = 0, simPct = 0;
    qint64 programHwm = 0;
    quint64 capturedBytes = 0;
    {
        Rig rig;
        // Usual traffic: one status round a second. Line rate: the rounds back to back at the
        // line's full 115200 baud (the simulator paces itself).
        // LASER_BENCH_DRIFT=1: the readings walk every round, so that every refresh pass has a
        // change for the plant link to publish (plant_formats.sh).
        QStringList simArgs{QStringLiteral("--quiet")};
        if (lineRate)
            simArgs << QStringLiteral("--period") << QStringLiteral("16");
        if (lineRate && !qEnvironmentVariableIsSet("LASER_BENCH_DRIFT"))
            simArgs << QStringLiteral("--no-drift");
        const QString why = rig.up(simArgs);
        if (!why.isEmpty()) {
            out(QStringLiteral("cpu: cannot run: %1").arg(why));
            return 2;
        }
        wait(3000); // settle: first frames shown, start-up work done
        const qint64 pid = rig.program.pid();
        const qint64 simPid = rig.sim.process().processId();
        const double c0 = cpuSeconds(pid), s0 = cpuSeconds(simPid);
        QElapsedTimer t;
        t.start();
        wait(seconds * 1000);
        const double elapsed = t.elapsed() / 1000.0;
        programPct = (cpuSeconds(pid) - c0) / elapsed * 100.0;
        simPct = (cpuSeconds(simPid) - s0) / elapsed * 100.0;
        programHwm = statusKb(pid, "VmHWM:");
        // The history was recording all along: the size of its capture files says how much.
        for (const QFileInfo &f :
             QDir(rig.session.logDir()).entryInfoList({QStringLiteral("capture-*.txt")}))
            capturedBytes += quint64(f.size());
        if (rig.session.driver->lamp(QStringLiteral("label_DCOn"), Screen::shot()) != Lamp::Green)
            out(QStringLiteral("cpu: warning: the program did not show the simulator's state"));
    }

    QProcess bare;
    bare.start(barePath, QStringList());
    if (!bare.waitForStarted(5000)) {
        out(QStringLiteral("cpu: cannot start %1").arg(barePath));
        return 2;
    }
    wait(3000);
    const double b0 = cpuSeconds(bare.processId());
    QElapsedTimer t;
    t.start();
    wait(seconds * 1000);
    const double barePct = (cpuSeconds(bare.processId()) - b0) / (t.elapsed() / 1000.0) * 100.0;
    const qint64 bareHwm = statusKb(bare.processId(), "VmHWM:");
    bare.terminate();
    bare.waitForFinished(3000);

    const double ratio = barePct > 0 ? programPct / barePct : 0;
    const double goal = lineRate ? 1.6 : 1.3;
    out(QStringLiteral("cpu: program %1 % of one core over %2 s (port open, simulator sending %3; "
                       "simulator itself %4 %)")
            .arg(programPct, 0, 'f', 2)
            .arg(seconds)
            .arg(lineRate ? QStringLiteral("status rounds back to back at 115200 baud")
                          : QStringLiteral("once a second"))
            .arg(simPct, 0, 'f', 2));
    out(QStringLiteral("cpu: history capture files %1 KiB").arg(capturedBytes / 1024.0, 0, 'f', 1));
    out(QStringLiteral("cpu: bare Qt window with a 1 ms timer %1 %").arg(barePct, 0, 'f', 2));
    out(QStringLiteral("cpu: ratio program/bare %1 (goal <= %2): %3")
            .arg(ratio, 0, 'f', 2)
            .arg(goal, 0, 'f', 1)
            .arg(ratio <= goal ? QStringLiteral("met") : QStringLiteral("NOT met")));
    out(QStringLiteral("rss: peak (VmHWM) program %1 MiB, bare window %2 MiB")
            .arg(programHwm / 1024.0, 0, 'f', 1)
            .arg(bareHwm / 1024.0, 0, 'f', 1));
    return 0;
}

int latency(int samples) {
    Rig rig;
    // Only the frames this measurement sends: nothing else restarts the program's 200 ms
    // receive timer in between.
    QStringList commands;
    for (const char *m : {"e6", "e2", "tempin", "tempout", "e4", "e5", "ee", "a2", "d2", "param4",
                          "param32", "param33"})
        commands << QStringLiteral("exclude %1").arg(QLatin1String(m));
    const QString why = rig.up({QStringLiteral("--no-drift")}, commands);
    if (!why.isEmpty()) {
        out(QStringLiteral("latency: cannot run: %1").arg(why));
        return 2;
    }
    const QString label = QStringLiteral("label_outEstop2");
    QList<double> got;
    int lost = 0;
    bool on = false;
    for (int i = 0; i < samples; ++i) {
        on = !on;
        const int mark = rig.sim.mark();
        rig.sim.send(QStringLiteral("alarm estop %1").arg(on ? "on" : "off"));
        rig.sim.send(QStringLiteral("send e6"));
        const Lamp wanted = on ? Lamp::Red : Lamp::Gray;
        double seenAt = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 2000) {
            if (rig.lampNow(label) == wanted) {
                seenAt = harness::wallClockMs();
                break;
            }
            QCoreApplication::processEvents();
            usleep(2000);
        }
        double sentAt = 0;
        if (!rig.sim.waitForLog(QRegularExpression(QStringLiteral("sent e6$")), mark, 1000, nullptr,
                                &sentAt) ||
            seenAt == 0) {
            ++lost;
            continue;
        }
        got << seenAt - sentAt;
        // Next frame at a random phase of the program's 200 ms refresh.
        wait(700 + int(QRandomGenerator::global()->bounded(400)));
    }
    if (got.isEmpty()) {
        out(QStringLiteral("latency: no sample (lost %1)").arg(lost));
        return 1;
    }
    std::sort(got.begin(), got.end());
    const auto at = [&got](double q) { return got.at(qMin(got.size() - 1, int(q * got.size()))); };
    const int over = int(std::count_if(got.begin(), got.end(), [](double v) { return v > 400; }));
    out(QStringLiteral("latency: frame written to the line -> lamp changed on screen, %1 samples: "
                       "min %2 ms, median %3 ms, p90 %4 ms, max %5 ms; over 400 ms: %6; lost: %7")
            .arg(got.size())
            .arg(got.first(), 0, 'f', 0)
            .arg(at(0.5), 0, 'f', 0)
            .arg(at(0.9), 0, 'f', 0)
            .arg(got.last(), 0, 'f', 0)
            .arg(over)
            .arg(lost));
    out(QStringLiteral("latency: goal (every change on screen within 400 ms): %1")
            .arg(over == 0 && lost == 0 ? QStringLiteral("met") : QStringLiteral("NOT met")));
    return 0;
}

int soak(int seconds) {
    Rig rig;
    // Status rounds back to back at the line's full 115200 baud (the simulator paces itself),
    // the system status left out: it goes only as the single marker frames below.
    const QString why = rig.up({QStringLiteral("--quiet"), QStringLiteral("--period"),
                                QStringLiteral("16"), QStringLiteral("--no-drift")},
                               {QStringLiteral("exclude e6")});
    if (!why.isEmpty()) {
        out(QStringLiteral("soak: cannot run: %1").arg(why));
        return 2;
    }
    const qint64 pid = rig.program.pid();
    const QString label = QStringLiteral("label_outEstop2");
    QElapsedTimer t;
    t.start();
    int markers = 0, applied = 0, badSent = 0, badApplied = 0;
    QList<qint64> rss;
    bool on = false;
    int step = 0;
    while (t.elapsed() < seconds * 1000LL && rig.program.isRunning()) {
        ++step;
        // One valid marker frame flips the lamp...
        on = !on;
        rig.sim.send(QStringLiteral("alarm estop %1").arg(on ? "on" : "off"));
        rig.sim.send(QStringLiteral("send e6"));
        ++markers;
        // ...among noise and frames with wrong check bytes.
        rig.sim.send(QStringLiteral("noise 400"));
        if (step % 3 == 0)
            rig.sim.send(QStringLiteral("badcrc 5"));
        const Lamp wanted = on ? Lamp::Red : Lamp::Gray;
        QElapsedTimer w;
        w.start();
        bool seen = false;
        while (w.elapsed() < 1500) {
            if (rig.lampNow(label) == wanted) {
                seen = true;
                break;
            }
            wait(20);
        }
        applied += seen;
        // A spoiled frame saying the opposite must not move the lamp.
        rig.sim.send(QStringLiteral("alarm estop %1").arg(on ? "off" : "on"));
        rig.sim.send(QStringLiteral("send e6 bad"));
        rig.sim.send(QStringLiteral("alarm estop %1").arg(on ? "on" : "off"));
        ++badSent;
        wait(800);
        if (rig.lampNow(label) != wanted)
            ++badApplied;
        if (step % 3 == 0)
            rss << statusKb(pid, "VmRSS:");
    }
    const bool alive = rig.program.isRunning();
    const qint64 hwm = statusKb(pid, "VmHWM:");
    const int statsMark = rig.sim.mark();
    rig.sim.send(QStringLiteral("stats"));
    QString stats;
    rig.sim.waitForLog(QRegularExpression(QStringLiteral("stats:")), statsMark, 2000, &stats);

    // RSS after the first third (warm-up) against the end.
    const qint64 early = rss.isEmpty() ? -1 : rss.at(rss.size() / 3);
    const qint64 late = rss.isEmpty() ? -1 : rss.last();
    const qint64 peak = rss.isEmpty() ? -1 : *std::max_element(rss.begin(), rss.end());
    out(QStringLiteral("soak: %1 s at 115200 baud line rate with noise and bad frames; program "
                       "%2")
            .arg(t.elapsed() / 1000)
            .arg(alive ? QStringLiteral("still running") : QStringLiteral("DIED")));
    out(QStringLiteral("soak: simulator %1").arg(stats.section(QStringLiteral("stats: "), 1)));
    out(QStringLiteral("soak: marker frames applied %1 of %2; spoiled frames applied %3 of %4")
            .arg(applied)
            .arg(markers)
            .arg(badApplied)
            .arg(badSent));
    out(QStringLiteral("soak: RSS %1 MiB after warm-up, %2 MiB at the end, highest sample %3 MiB, "
                       "VmHWM %4 MiB")
            .arg(early / 1024.0, 0, 'f', 1)
            .arg(late / 1024.0, 0, 'f', 1)
            .arg(peak / 1024.0, 0, 'f', 1)
            .arg(hwm / 1024.0, 0, 'f', 1));
    const bool flat = early > 0 && late - early < 2048;
    const bool ok = alive && applied == markers && badApplied == 0 && flat;
    out(QStringLiteral("soak: %1")
            .arg(ok ? QStringLiteral("passed")
                    : QStringLiteral("FAILED (alive %1, all markers %2, no "
                                     "spoiled frame applied %3, RSS flat %4)")
                          .arg(alive)
                          .arg(applied == markers)
                          .arg(badApplied == 0)
                          .arg(flat)));
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    keepFormPixelSizes();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures the real program; see cpu.sh, "
                                                    "latency.sh and soak.sh."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("cpu, latency or soak"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Duration (cpu: 30, soak: 60)."),
                                           QStringLiteral("S"));
    const QCommandLineOption samplesOption(QStringLiteral("samples"),
                                           QStringLiteral("Latency samples (30)."),
                                           QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption bareOption(
        QStringLiteral("bare"), QStringLiteral("The bare_window program."), QStringLiteral("PATH"),
        QString::fromLocal8Bit(LASER_BARE_WINDOW_BIN));
    const QCommandLineOption lineRateOption(
        QStringLiteral("line-rate"),
        QStringLiteral("cpu: the status rounds back to back at 115200 baud instead of once a "
                       "second (goal 1.6 instead of 1.3)."));
    parser.addOptions({secondsOption, samplesOption, bareOption, lineRateOption});
    parser.process(app);
    const QString mode = parser.positionalArguments().value(0);
    if (mode == QLatin1String("cpu"))
        return cpu(parser.value(secondsOption).isEmpty() ? 30 : parser.value(secondsOption).toInt(),
                   parser.value(bareOption), parser.isSet(lineRateOption));
    if (mode == QLatin1String("latency"))
        return latency(parser.value(samplesOption).toInt());
    if (mode == QLatin1String("soak"))
        return soak(parser.value(secondsOption).isEmpty() ? 60
                                                          : parser.value(secondsOption).toInt());
    parser.showHelp(2);
}
