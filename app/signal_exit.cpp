#include "app/signal_exit.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
volatile std::sig_atomic_t caught = 0;
QSocketNotifier *notifier = nullptr;

void onSignal(int number) {
    caught = number;
    const char byte = 1;
    const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    (void)ignored;
}

} // namespace

SignalExit::SignalExit() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0)
        return;
    // A handler never blocks on a full pipe.
    ::fcntl(pipeEnds[1], F_SETFL, ::fcntl(pipeEnds[1], F_GETFL) | O_NONBLOCK);
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte;
        const ssize_t ignored = ::read(pipeEnds[0], &byte, 1);
        (void)ignored;
        // Leaves every event loop, a box's too; the window's run ends at aboutToQuit.
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

SignalExit::~SignalExit() {
    delete notifier;
    notifier = nullptr;
    const int number = caught;
    if (number == 0)
        return;
    ::signal(number, SIG_DFL);
    ::raise(number);
}

#else

#include <QCoreApplication>
#include <QTimer>

#include <csignal>

namespace {

volatile std::sig_atomic_t caught = 0;
QTimer *watch = nullptr;

extern "C" void onSignal(int number) {
    caught = number;
}

} // namespace

SignalExit::SignalExit() {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    watch = new QTimer;
    watch->setInterval(200);
    QObject::connect(watch, &QTimer::timeout, [] {
        if (caught != 0)
            QCoreApplication::exit(0);
    });
    watch->start();
}

SignalExit::~SignalExit() {
    delete watch;
    watch = nullptr;
    const int number = caught;
    if (number == 0)
        return;
    std::signal(number, SIG_DFL);
    std::raise(number);
}

#endif
