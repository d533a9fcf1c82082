// The window's 1 ms tick while a support bundle of a large capture set is exported: the window
// (offscreen) with its port on a pseudo-terminal fed at the full line rate, a log/ folder with
// MIB MiB of capture files (16 MiB each, as the program writes them), the tick timed for
// SECONDS without an export, then during the export (period: all). Prints ticks per second, the
// longest gap between two ticks and the 99.9th percentile gap for both, the export's time and
// archive size, and the frames the window took in meanwhile.
//
//   bundle_tick [MIB] [SECONDS]   (defaults 256 and 5)
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/window_fixture.h"

#include "history/capture.h"
#include "history/recorder.h"
#include "ui/service/service_kit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Gaps {
    std::vector<qint64> ns;
    qint64 last = 0;
    void tick(qint64 now) {
        if (last && now - last > 60000000 && qEnvironmentVariableIsSet("BUNDLE_TICK_DEBUG"))
            std::printf("gap %.1f ms ending at %.3f s\n", double(now - last) / 1e6,
                        double(now) / 1e9);
        if (last)
            ns.push_back(now - last);
        last = now;
    }
    void print(const char *what, double seconds) {
        std::vector<qint64> sorted = ns;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&](double q) {
            return sorted.empty() ? 0.0
                                  : double(sorted[size_t(q * double(sorted.size() - 1))]) / 1e6;
        };
        std::printf("%-22s %7.0f ticks/s, longest gap %7.2f ms, 99.9%% %6.2f ms, median %5.2f ms\n",
                    what, double(ns.size()) / seconds, at(1.0), at(0.999), at(0.5));
    }
};

// 16 MiB of capture lines like the program's: received status rounds and the odd command.
QByteArray captureFile(qint64 bytes) {
    QByteArray out;
    out.reserve(int(bytes) + 256);
    qint64 at = 1796662420000;
    QRandomGenerator random(7);
    while (out.size() < bytes) {
        history::CaptureChunk chunk;
        chunk.at = at += 7;
        chunk.sent = random.bounded(50) == 0;
        chunk.bytes = frames::systemStatus(0, 0, frames::dcOnBit) +
                      frames::temperature(20, int(random.bounded(128)), 2) +
                      frames::driverBoard(0, 0, "V1.0.7", frames::driverSlot(int(at % 8)), 0);
        out += history::captureLine(chunk);
    }
    out.truncate(int(bytes));
    return out;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int mib = argc > 1 ? atoi(argv[1]) : 256;
    const int seconds = argc > 2 ? atoi(argv[2]) : 5;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QDir().mkpath(QStringLiteral("config"));
    QDir().mkpath(QStringLiteral("log"));
    QFile pref(QStringLiteral("config/language.gl"));
    pref.open(QIODevice::WriteOnly);
    pref.write("language = chinese");
    pref.close();
    const qint64 fileBytes = qint64(16) << 20;
    const QByteArray content = captureFile(qMin<qint64>(fileBytes, qint64(mib) << 20));
    for (qint64 written = 0, n = 0; written < (qint64(mib) << 20); written += content.size(), ++n) {
        QFile f(
            QStringLiteral("log/capture-20261201-%1-ttyUSB0.txt").arg(n, 6, 10, QLatin1Char('0')));
        f.open(QIODevice::WriteOnly);
        f.write(content);
    }

    PtyPair pty;
    Serial w;
    w.show();
    if (!pty.isValid() || !fixture::openOnPty(w, pty)) {
        std::fprintf(stderr, "cannot open the pseudo-terminal\n");
        return 1;
    }
    auto *kit = w.findChild<service::ServiceKit *>();
    auto *recorder = w.findChild<history::Recorder *>();

    // The line at 11520 bytes a second, paced by the clock.
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    int n = 0;
    QTimer feed;
    feed.setInterval(5);
    QObject::connect(&feed, &QTimer::timeout, [&] {
        while (sent < clock.elapsed() * 11520 / 1000) {
            ++n;
            const QByteArray bytes = frames::systemStatus(0, 0, n % 2 ? frames::dcOnBit : 0) +
                                     frames::temperature(20, n % 128, 2);
            pty.write(bytes);
            sent += bytes.size();
        }
    });
    feed.start();

    Gaps *gaps = nullptr;
    QObject::connect(SerialProbe::tickTimer(w), &QTimer::timeout, [&] {
        if (gaps)
            gaps->tick(clock.nsecsElapsed());
    });

    const auto idle = [&](int s) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < s * 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };
    idle(1);
    Gaps baseline;
    gaps = &baseline;
    idle(seconds);
    gaps = nullptr;
    baseline.print("without export", seconds);

    Gaps during;
    const quint64 framesBefore = recorder->figures().framesIn;
    const QString bundle = dir.filePath(QStringLiteral("bundle.zip"));
    bool finished = false;
    service::BundleResult result;
    QObject::connect(kit, &service::ServiceKit::bundleFinished,
                     [&](const service::BundleResult &r) {
                         finished = true;
                         result = r;
                     });
    QElapsedTimer exportTime;
    exportTime.start();
    if (qEnvironmentVariableIsSet("BUNDLE_TICK_DEBUG"))
        std::printf("export starts at %.3f s\n", double(clock.nsecsElapsed()) / 1e9);
    gaps = &during;
    kit->exportBundle(bundle, service::Period::All);
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    gaps = nullptr;
    if (qEnvironmentVariableIsSet("BUNDLE_TICK_DEBUG"))
        std::printf("export ends at %.3f s\n", double(clock.nsecsElapsed()) / 1e9);
    const double exportSeconds = double(exportTime.elapsed()) / 1000.0;
    during.print("during the export", exportSeconds);
    std::printf("export of %d MiB of captures: %s in %.1f s, archive %.1f MiB, %d entries; "
                "%llu frames taken in meanwhile\n",
                mib, result.outcome == service::BundleResult::Written ? "written" : "NOT written",
                exportSeconds, double(QFileInfo(bundle).size()) / (1 << 20),
                int(result.entries.size()),
                static_cast<unsigned long long>(recorder->figures().framesIn - framesBefore));
    return result.outcome == service::BundleResult::Written ? 0 : 1;
}
