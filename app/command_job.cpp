#include "app/command_job.h"

#include <QDir>

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

volatile std::sig_atomic_t caughtNumber = 0;
volatile std::sig_atomic_t caughtTimes = 0;

extern "C" void onStopSignal(int number) {
    caughtNumber = number;
    caughtTimes = caughtTimes + 1;
}

const std::vector<int> &numbers() {
#ifdef SIGHUP
    static const std::vector<int> list = {SIGINT, SIGTERM, SIGHUP};
#else
    static const std::vector<int> list = {SIGINT, SIGTERM};
#endif
    return list;
}

void install(int number, void (*handler)(int)) {
#ifdef Q_OS_UNIX
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // The worker's reads and writes go on; only the waiting loop looks at the count.
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
#else
    std::signal(number, handler);
#endif
}

} // namespace

StopSignals::StopSignals() {
    for (const int number : numbers())
        install(number, onStopSignal);
}

int StopSignals::caught() {
    return caughtNumber;
}

int StopSignals::times() {
    return caughtTimes;
}

void StopSignals::endBySignal() {
    const int number = caughtNumber;
    for (const int n : numbers())
        install(n, SIG_DFL);
    std::fflush(stdout);
    std::fflush(stderr);
    std::raise(number);
    std::_Exit(128 + number); // only if the signal did not end it
}

void runWatched(const std::function<void()> &job, std::atomic<bool> &cancel) {
    std::unique_ptr<QThread> worker(QThread::create(job));
    worker->start();
    QElapsedTimer stopping; // since the first signal
    while (!worker->wait(100)) {
        if (caughtNumber != 0 && !stopping.isValid()) {
            cancel = true;
            stopping.start();
        }
        // Asked again: the clean-up (well within a second) is still waited for, so a second
        // Ctrl+C leaves nothing behind; only one that hangs is given up.
        if (caughtTimes > 1 && stopping.hasExpired(3000))
            StopSignals::endBySignal();
    }
}

QString typedPath(const QString &file) {
    const QString caller = qEnvironmentVariable("LASER_HOST_CALLER_DIR");
    return QDir::isRelativePath(file) && !caller.isEmpty() ? QDir(caller).filePath(file) : file;
}

void sayLine(FILE *stream, const QString &text) {
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}
