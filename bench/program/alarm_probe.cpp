// Whole-program measurements of the alarm handling: the real laser-host with the simulated CCB on
// a virtual ttyUSB0, on a real X display with a session bus of the probe's own (bench::DesktopBus:
// a tray host and a notification server). Run through alarms.sh; needs root.
//
//   alarm_probe soak    [--seconds 3600] [--drain 660]
//   alarm_probe latency [--samples 30]
//
// soak: two programs side by side, each with its own simulator and working folder, the same
// traffic: the door interlock pulsed for one frame every 100 ms, the chiller and module 0's T3
// alarm chattering. One has its alarm summary open, the other not; both are away from the
// operator (a window of the probe has the focus), so their desktop notifications go out. After
// `seconds` the traffic stops and the probe waits `drain` seconds for the flood to end (10
// minutes without rises) and be told. Then it compares, for each program, the rises the history
// kept, the rises its summary counts (read over AT-SPI) and the rises its notifications told;
// the longest time its GUI thread took to answer (a property of its tray object, read every 20
// ms, beside the same read of the probe's own watcher: the buses and the machine alone); and
// its processor time over the driven part.
//
// latency: one program on a quiet line, the summary open: a frame raising a new alarm, and the
// time from its last byte on the line to its line (red background) on screen in the summary.

#include "bench/program/desktop_bus.h"
#include "common/pixel_sizes.h"
#include "support/e2e/harness.h"
#include "support/history.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using harness::Screen;

namespace {

void out(const QString &line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

double cpuSeconds(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() < 13 ? -1
                              : (fields.at(11).toDouble() + fields.at(12).toDouble()) /
                                    double(sysconf(_SC_CLK_TCK));
}

qint64 statusKb(qint64 pid, const char *key) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key)) + 1).simplified().split(' ').value(0).toLongLong();
    return -1;
}

// The main window of the program `pid` (two programs show the same title).
quint64 mainWindowOf(qint64 pid) {
    QByteArray found;
    Screen::run(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"),
                 QStringLiteral("LASER SYSTEM_V")},
                &found);
    return found.trimmed().split('\n').value(0).toULongLong();
}

bool focus(quint64 window) {
    return Screen::run(
        QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
}

// The rises a program's notifications told: an alarm's line once or "（N 次）", "另有 N 次", a
// flood's beginning its one new rise, its end those after the eleven that began it.
qint64 toldRises(const std::vector<bench::Notification> &all, qint64 pid, int *count) {
    static const QRegularExpression times(QStringLiteral("（(\\d+) 次）$"));
    static const QRegularExpression more(QStringLiteral("^另有 (\\d+) 次$"));
    static const QRegularExpression floodEnd(QStringLiteral("^报警泛滥已结束: 共 (\\d+) 次报警$"));
    qint64 told = 0;
    *count = 0;
    for (const bench::Notification &n : all) {
        if (n.pid != pid)
            continue;
        ++*count;
        for (const QString &line : n.body.split(QLatin1Char('\n'))) {
            QRegularExpressionMatch m;
            if ((m = times.match(line)).hasMatch() || (m = more.match(line)).hasMatch())
                told += m.captured(1).toLongLong();
            else if ((m = floodEnd.match(line)).hasMatch())
                told += m.captured(1).toLongLong() - 11;
            else if (line.startsWith(QStringLiteral("报警泛滥: ")))
                told += 1;
            else if (!line.startsWith(QStringLiteral("首出: ")) &&
                     !line.contains(QStringLiteral("链路")) &&
                     !line.startsWith(QStringLiteral("搁置")) && !line.isEmpty())
                told += 1;
        }
    }
    return told;
}

struct Run {
    harness::Session session;
    QString name;
    bool summaryOpen = false;
    double cpu0 = 0, cpu = 0;
    qint64 pid() { return session.program.pid(); }
};

// The window that has the focus meanwhile: the operator is elsewhere.
QWidget *elsewhere() {
    auto *w = new QLabel(QStringLiteral("probe"));
    w->setWindowTitle(QStringLiteral("alarm-probe-elsewhere"));
    w->setGeometry(1400, 900, 150, 60);
    w->show();
    return w;
}

int soak(int seconds, int drain) {
    bench::DesktopBus bus;
    QString why = bus.start();
    if (!why.isEmpty()) {
        out(QStringLiteral("soak: cannot run: %1").arg(why));
        return 2;
    }
    QWidget *away = elsewhere();
    Run runs[2];
    runs[0].name = QStringLiteral("summary open");
    runs[0].summaryOpen = true;
    runs[1].name = QStringLiteral("summary closed");
    for (Run &r : runs) {
        why = r.session.startSimulator({QStringLiteral("--quiet"), QStringLiteral("--no-drift"),
                                        QStringLiteral("--period"), QStringLiteral("1000")});
        if (why.isEmpty())
            why = r.session.start(QString(), bus.programEnv() << QStringLiteral("USER=bench"));
        if (why.isEmpty() && !r.session.openPort())
            why = QStringLiteral("the port did not open");
        if (why.isEmpty() && !bus.waitForTray(r.pid(), 10000))
            why = QStringLiteral("the program's tray did not come (no D-Bus tray)");
        if (!why.isEmpty()) {
            out(QStringLiteral("soak: cannot run: %1").arg(why));
            return 2;
        }
    }
    focus(mainWindowOf(runs[0].pid()));
    Screen::key(QStringLiteral("F9"));
    const quint64 summary = Screen::findWindow(QStringLiteral("报警汇总 - LASER SYSTEM"), 5000);
    if (!summary) {
        out(QStringLiteral("soak: cannot run: F9 opened no summary"));
        return 2;
    }
    focus(away->winId());
    harness::pause(2000);
    out(QStringLiteral("soak: two programs (summary open, summary closed) for %1 s, then %2 s "
                       "for the flood to end")
            .arg(seconds)
            .arg(drain));

    bus.startTiming(20);
    for (Run &r : runs)
        r.cpu0 = cpuSeconds(r.pid());
    qint64 pulses = 0;
    bool chiller = false, waterIn = false;
    const auto all = [&runs](const QStringList &lines) {
        for (Run &r : runs)
            for (const QString &l : lines)
                r.session.sim.send(l);
    };
    QTimer door, chillerTimer, waterTimer, progress;
    door.setTimerType(Qt::PreciseTimer);
    QObject::connect(&door, &QTimer::timeout, [&] {
        ++pulses;
        all({QStringLiteral("alarm door on"), QStringLiteral("send e6"),
             QStringLiteral("alarm door off"), QStringLiteral("send e6")});
    });
    QObject::connect(&chillerTimer, &QTimer::timeout, [&] {
        chiller = !chiller;
        all({QStringLiteral("alarm chiller %1").arg(chiller ? "on" : "off")});
    });
    QObject::connect(&waterTimer, &QTimer::timeout, [&] {
        waterIn = !waterIn;
        all({QStringLiteral("alarm waterin %1").arg(waterIn ? "on" : "off"),
             QStringLiteral("send e2")});
    });
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&progress, &QTimer::timeout, [&] {
        QString line =
            QStringLiteral("soak: %1 s, %2 door pulses").arg(clock.elapsed() / 1000).arg(pulses);
        for (Run &r : runs)
            line += QStringLiteral("; %1: RSS %2 MiB")
                        .arg(r.name)
                        .arg(statusKb(r.pid(), "VmRSS:") / 1024.0, 0, 'f', 1);
        out(line);
    });
    door.start(100);
    chillerTimer.start(1300);
    waterTimer.start(2100);
    progress.start(300 * 1000);
    harness::pause(seconds * 1000);
    door.stop();
    chillerTimer.stop();
    waterTimer.stop();
    const double driven = clock.elapsed() / 1000.0;
    for (Run &r : runs)
        r.cpu = (cpuSeconds(r.pid()) - r.cpu0) / driven * 100.0;
    all({QStringLiteral("alarm all off"), QStringLiteral("send e6"), QStringLiteral("send e2")});
    harness::pause(drain * 1000);
    progress.stop();
    const std::map<qint64, bench::Answers> answers = bus.stopTiming();
    const std::vector<bench::Notification> notifications = bus.notifications();

    // The closed summary opened now, to be read.
    focus(mainWindowOf(runs[1].pid()));
    Screen::key(QStringLiteral("F9"));
    harness::pause(2000);
    Screen::shot().save(QDir::tempPath() + QStringLiteral("/alarm-probe-end.png"));
    bool ok = true;
    for (Run &r : runs) {
        const QList<QVariantList> rows = fixture::rows(
            r.session.logDir() + QStringLiteral("/history.sqlite"),
            QStringLiteral("SELECT name, count(*) FROM events WHERE category = 'alarm' AND value = "
                           "'on' GROUP BY name ORDER BY name"));
        qint64 kept = 0;
        QStringList byName;
        for (const QVariantList &row : rows) {
            kept += row[1].toLongLong();
            byName << row[0].toString() + QLatin1Char(' ') + row[1].toString();
        }
        qint64 counted = 0;
        int lines = 0;
        static const QRegularExpression risesCell(QStringLiteral("^次数: (\\d+)$"));
        for (const QString &name : bus.accessibleNames(r.pid(), 20000)) {
            const QRegularExpressionMatch m = risesCell.match(name);
            if (m.hasMatch()) {
                counted += m.captured(1).toLongLong();
                ++lines;
            }
        }
        int notices = 0;
        const qint64 told = toldRises(notifications, r.pid(), &notices);
        const bench::Answers a = answers.count(r.pid()) ? answers.at(r.pid()) : bench::Answers();
        QVector<double> sorted = a.all;
        std::sort(sorted.begin(), sorted.end());
        const double p99 = sorted.isEmpty() ? 0 : sorted.at(int(sorted.size() * 0.99));
        out(QStringLiteral(
                "soak %1: history kept %2 rises (%3); the summary counts %4 in %5 lines; "
                "%6 notifications told %7")
                .arg(r.name)
                .arg(kept)
                .arg(byName.join(QStringLiteral(", ")))
                .arg(counted)
                .arg(lines)
                .arg(notices)
                .arg(told));
        out(QStringLiteral("soak %1: GUI thread answered %2 calls (%3 failed): p99 %4 ms, longest "
                           "%5 ms, over 50 ms: %6; processor %7 % of one core while driven; "
                           "VmHWM %8 MiB")
                .arg(r.name)
                .arg(a.calls)
                .arg(a.failed)
                .arg(p99, 0, 'f', 1)
                .arg(a.longest, 0, 'f', 1)
                .arg(a.over50)
                .arg(r.cpu, 0, 'f', 2)
                .arg(statusKb(r.pid(), "VmHWM:") / 1024.0, 0, 'f', 1));
        // A call the GUI thread held: one over 50 ms beyond those the probe's own watcher, which
        // does nothing else, had on the same buses and machine.
        const int machine = answers.count(0) ? answers.at(0).over50 : 0;
        ok = ok && kept == counted && counted == told && a.over50 <= machine &&
             r.session.program.isRunning();
    }
    if (answers.count(0)) {
        const bench::Answers &own = answers.at(0);
        out(QStringLiteral("soak: the probe's own watcher (the buses and the machine alone) "
                           "answered %1 calls: longest %2 ms, over 50 ms: %3")
                .arg(own.calls)
                .arg(own.longest, 0, 'f', 1)
                .arg(own.over50));
    }
    out(QStringLiteral("soak: %1 door pulses sent to each; processor with the summary open / "
                       "closed: %2")
            .arg(pulses)
            .arg(runs[1].cpu > 0 ? runs[0].cpu / runs[1].cpu : 0, 0, 'f', 3));
    out(QStringLiteral("soak: %1")
            .arg(ok ? QStringLiteral("counts agree; no more answers over 50 ms than the "
                                     "machine's own")
                    : QStringLiteral("NOT met (see above)")));
    delete away;
    return ok ? 0 : 1;
}

// Pixels of an active alarm's line (its red background) in `image`.
int activeLinePixels(const QImage &image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() == 255 && qAbs(c.green() - 205) < 3 && qAbs(c.blue() - 205) < 3;
        }
    return n;
}

int latency(int samples) {
    harness::Session s;
    QString why = s.startSimulator({QStringLiteral("--no-drift")});
    // Only the frames this measurement sends: nothing else restarts the 200 ms receive timer.
    for (const char *m : {"e6", "e2", "tempin", "tempout", "e4", "e5", "ee", "a2", "d2", "param4",
                          "param32", "param33"})
        s.sim.send(QStringLiteral("exclude %1").arg(QLatin1String(m)));
    if (why.isEmpty())
        why = s.start();
    if (why.isEmpty() && !s.openPort())
        why = QStringLiteral("the port did not open");
    focus(s.driver->window());
    Screen::key(QStringLiteral("F9"));
    const quint64 summary = Screen::findWindow(QStringLiteral("报警汇总 - LASER SYSTEM"), 5000);
    if (!why.isEmpty() || !summary) {
        out(QStringLiteral("latency: cannot run: %1").arg(why.isEmpty() ? "no summary" : why));
        return 2;
    }
    const QRect area = Screen::windowGeometry(summary);
    QList<double> got;
    int lost = 0;
    for (int i = 0; i < samples; ++i) {
        const int mark = s.sim.mark();
        s.sim.send(QStringLiteral("alarm chiller on"));
        s.sim.send(QStringLiteral("send e6"));
        double seenAt = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 2000) {
            if (activeLinePixels(Screen::grabArea(area)) > 200) {
                seenAt = harness::wallClockMs();
                break;
            }
            QCoreApplication::processEvents();
            usleep(2000);
        }
        double sentAt = 0;
        if (!s.sim.waitForLog(QRegularExpression(QStringLiteral("sent e6$")), mark, 1000, nullptr,
                              &sentAt) ||
            seenAt == 0)
            ++lost;
        else
            got << seenAt - sentAt;
        // Cleared and acknowledged, the lines leave: the next rise is a new line.
        s.sim.send(QStringLiteral("alarm chiller off"));
        s.sim.send(QStringLiteral("send e6"));
        harness::pause(600);
        focus(summary);
        Screen::key(QStringLiteral("alt+k"));
        // Next frame at a random phase of the program's 200 ms refresh.
        harness::pause(700 + int(QRandomGenerator::global()->bounded(400)));
    }
    if (got.isEmpty()) {
        out(QStringLiteral("latency: no sample (lost %1)").arg(lost));
        return 1;
    }
    std::sort(got.begin(), got.end());
    const int over = int(std::count_if(got.begin(), got.end(), [](double v) { return v > 400; }));
    out(QStringLiteral("latency: frame written to the line -> its new line in the summary on "
                       "screen, %1 samples: min %2 ms, median %3 ms, max %4 ms; over 400 ms: %5; "
                       "lost: %6")
            .arg(got.size())
            .arg(got.first(), 0, 'f', 0)
            .arg(got.at(got.size() / 2), 0, 'f', 0)
            .arg(got.last(), 0, 'f', 0)
            .arg(over)
            .arg(lost));
    return over == 0 && lost == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    keepFormPixelSizes();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures the alarm handling of the real "
                                                    "program; see alarms.sh."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("soak or latency"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("soak: driven time (3600)."),
                                           QStringLiteral("S"), QStringLiteral("3600"));
    const QCommandLineOption drainOption(QStringLiteral("drain"),
                                         QStringLiteral("soak: time for the flood to end (660)."),
                                         QStringLiteral("S"), QStringLiteral("660"));
    const QCommandLineOption samplesOption(QStringLiteral("samples"),
                                           QStringLiteral("latency: samples (30)."),
                                           QStringLiteral("N"), QStringLiteral("30"));
    parser.addOptions({secondsOption, drainOption, samplesOption});
    parser.process(app);
    const QString mode = parser.positionalArguments().value(0);
    if (mode == QLatin1String("soak"))
        return soak(parser.value(secondsOption).toInt(), parser.value(drainOption).toInt());
    if (mode == QLatin1String("latency"))
        return latency(parser.value(samplesOption).toInt());
    parser.showHelp(2);
}
