// The yardstick for the program's CPU use: a bare Qt window of the program's size whose only
// work is a 1 ms timer, as the program's own tick runs. It prints the ticks it saw when it ends.
//
//   bare_window [SECONDS]      (runs until closed or SIGTERM when SECONDS is not given)

#include "common/pixel_sizes.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void onTerm(int) {
    stopRequested = 1;
}
} // namespace

int main(int argc, char **argv) {
    keepFormPixelSizes();
    QApplication app(argc, argv);
    std::signal(SIGTERM, onTerm);
    std::signal(SIGINT, onTerm);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare window"));
    auto *label = new QLabel(QStringLiteral("1 ms timer"), &window);
    window.setCentralWidget(label);
    window.resize(1400, 850);
    window.show();

    quint64 ticks = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&ticks] {
        ++ticks;
        if (stopRequested)
            QCoreApplication::quit();
    });
    tick.start();
    if (argc > 1)
        QTimer::singleShot(int(QString::fromLocal8Bit(argv[1]).toDouble() * 1000), &app,
                           &QCoreApplication::quit);
    const int rc = app.exec();
    std::printf("bare_window ticks=%llu\n", static_cast<unsigned long long>(ticks));
    return rc;
}
