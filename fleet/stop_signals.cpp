#include "fleet/stop_signals.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>

namespace fleet {

namespace {

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void askStop(int) {
    stopAsked = 1;
}

} // namespace

void quitOnStopSignals(QCoreApplication &application) {
    std::signal(SIGINT, askStop);
    std::signal(SIGTERM, askStop);
    // A signal handler may only set a flag; the event loop looks at it five times a second.
    auto *watch = new QTimer(&application);
    watch->setInterval(200);
    QObject::connect(watch, &QTimer::timeout, &application, [&application] {
        if (stopAsked)
            application.quit();
    });
    watch->start();
}

} // namespace fleet
