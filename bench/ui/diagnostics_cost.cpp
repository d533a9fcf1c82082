// CPU cost of the diagnostics window: the window (offscreen) with its port on a pseudo-terminal
// fed at the full line rate (115200 baud, frames back to back), for SECONDS with the
// diagnostics window closed, then as long with it open on the Frames tab. Prints the CPU time
// of the process (less the thread that feeds the line) for both and their ratio.
//
//   diagnostics_cost [SECONDS]   (default 20)
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/window_fixture.h"
#include "ui/diagnostics/diagnostics_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// One round of what the CCB sends, every tenth with wrong check bytes.
QByteArray round(int n) {
    QByteArray status = frames::systemStatus(0, 0, frames::dcOnBit);
    if (n % 10 == 0)
        status = frames::corrupted(status);
    return status + frames::temperature(2591 >> 7, 2591 & 0x7F, 2) +
           frames::temperature(2610 >> 7, 2610 & 0x7F, 3) +
           frames::driverBoard(0, 0, "V1.0.7", frames::driverSlot(n % 8), 0);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? atoi(argv[1]) : 20;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QDir().mkpath(QStringLiteral("config"));
    QFile pref(QStringLiteral("config/language.gl"));
    pref.open(QIODevice::WriteOnly);
    pref.write("language = chinese");
    pref.close();

    PtyPair pty;
    Serial w;
    w.show();
    if (!pty.isValid() || !fixture::openOnPty(w, pty)) {
        std::fprintf(stderr, "cannot open the pseudo-terminal\n");
        return 1;
    }

    // The line at 11520 bytes a second: a round of 82 bytes every 7 ms or so, paced by the
    // clock so that timer slack does not slow it down.
    const int bytesPerSecond = 115200 / 10;
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    int n = 0;
    double feedCpu = 0;
    QTimer feed;
    feed.setInterval(5);
    QObject::connect(&feed, &QTimer::timeout, [&] {
        const double before = cpuSeconds(RUSAGE_THREAD);
        while (sent < clock.elapsed() * bytesPerSecond / 1000) {
            const QByteArray bytes = round(n++);
            pty.write(bytes);
            sent += bytes.size();
        }
        feedCpu += cpuSeconds(RUSAGE_THREAD) - before;
    });
    feed.start();

    const auto run = [&](const char *what) {
        const double feedBefore = feedCpu;
        const double before = cpuSeconds(RUSAGE_SELF);
        const qint64 sentBefore = sent;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < seconds * 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double cpu = cpuSeconds(RUSAGE_SELF) - before - (feedCpu - feedBefore);
        std::printf("%-34s %7.2f s CPU in %d s (%.1f %%), %lld bytes fed\n", what, cpu, seconds,
                    100.0 * cpu / seconds, static_cast<long long>(sent - sentBefore));
        return cpu;
    };

    auto *diagnostics = w.findChild<diagnostics::Diagnostics *>();
    run("warm-up");
    const double closed = run("diagnostics window closed");
    diagnostics->showWindow();
    diagnostics->window()->tabs()->setCurrentIndex(diagnostics::DiagnosticsWindow::FramesIndex);
    const double open = run("open on the Frames tab");
    diagnostics->window()->close();
    const double closedAgain = run("closed again");
    std::printf("open / closed: %.2f; closed again / closed: %.2f\n", open / closed,
                closedAgain / closed);
    return 0;
}
