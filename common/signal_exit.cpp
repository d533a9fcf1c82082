#include "common/signal_exit.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <QtGlobal>

#include <csignal>
#include <cstdlib>

namespace {

// True while the event loop of the program runs: an exit() then comes from inside it.
bool looping = false;

void endRunBeforeExit() {
    QCoreApplication *application = QCoreApplication::instance();
    if (!looping || !application || QThread::currentThread() != application->thread())
        return;
    looping = false;
    // What the end of the event loop would have said: whoever ends its run at aboutToQuit
    // ends it now (the window: closed row, capture, queue, plant link).
    QMetaObject::invokeMethod(application, "aboutToQuit", Qt::DirectConnection);
}

QtMessageHandler previousHandler = nullptr;

// Qt's display plugins say the connection broke on the warning channel and then call exit()
// (xcb: "The X11 connection broke (error 1). Did the X11 server die?", or from Xlib's handler
// of a broken connection). Registered then, the end of the run is the first thing exit() does,
// before the destructors of any static the run has made.
void watchMessages(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (type != QtDebugMsg && type != QtInfoMsg &&
        (text.startsWith(QLatin1String("The X11 connection broke")) ||
         text.startsWith(QLatin1String("The Wayland connection broke"))))
        std::atexit(endRunBeforeExit);
    // Qt hands back its own default handler when none was installed.
    if (previousHandler)
        previousHandler(type, context, text);
}

void watchExitOnceLooping() {
    previousHandler = qInstallMessageHandler(watchMessages);
    QTimer::singleShot(0, [] { looping = true; });
}

void stopWatching() {
    looping = false;
    qInstallMessageHandler(previousHandler);
}

} // namespace

#ifdef Q_OS_UNIX

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
volatile std::sig_atomic_t caught = 0;
QSocketNotifier *notifier = nullptr;
// Leaves whatever event loop runs, again and again, once a signal has come.
QTimer *leaving = nullptr;

void onSignal(int number) {
    // The interrupted code may be about to read errno.
    const int savedErrno = errno;
    caught = number;
    const char byte = 1;
    const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    (void)ignored;
    errno = savedErrno;
}

} // namespace

void guardStandardStreams() {
    ::signal(SIGPIPE, SIG_IGN);
    // The lowest free number is the one open() gives: a closed stream gets the null device.
    for (int stream = 0; stream <= 2; ++stream)
        if (::fcntl(stream, F_GETFD) == -1 && errno == EBADF &&
            ::open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY) != stream)
            break;
}

SignalExit::SignalExit() {
    ::signal(SIGPIPE, SIG_IGN);
    watchExitOnceLooping();
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0)
        return;
    // A handler never blocks on a full pipe.
    ::fcntl(pipeEnds[1], F_SETFL, ::fcntl(pipeEnds[1], F_GETFL) | O_NONBLOCK);
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte;
        const ssize_t ignored = ::read(pipeEnds[0], &byte, 1);
        (void)ignored;
        // Leaves every event loop running now, a box's too; the window's run ends at
        // aboutToQuit. A loop started later (the main loop after a box in the constructor)
        // would run on: the timer leaves it too.
        QCoreApplication::exit(0);
        leaving->start();
    });
    leaving = new QTimer;
    leaving->setInterval(20);
    QObject::connect(leaving, &QTimer::timeout, [] { QCoreApplication::exit(0); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        // Started with it ignored (nohup, a background job): it stays ignored.
        struct sigaction before {};
        if (::sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(number, &action, nullptr);
    }
}

SignalExit::~SignalExit() {
    stopWatching();
    delete notifier;
    notifier = nullptr;
    delete leaving;
    leaving = nullptr;
    const int number = caught;
    if (number == 0)
        return;
    ::signal(number, SIG_DFL);
    ::raise(number);
}

#else

namespace {

volatile std::sig_atomic_t caught = 0;
QTimer *watch = nullptr;

extern "C" void onSignal(int number) {
    caught = number;
}

} // namespace

// No SIGPIPE here: a write to a closed pipe fails with an error, and a handle closed at the
// start is never lent to a file opened later.
void guardStandardStreams() {}

SignalExit::SignalExit() {
    watchExitOnceLooping();
    for (const int number : {SIGINT, SIGTERM})
        if (std::signal(number, onSignal) == SIG_IGN)
            std::signal(number, SIG_IGN);
    watch = new QTimer;
    watch->setInterval(200);
    QObject::connect(watch, &QTimer::timeout, [] {
        if (caught != 0)
            QCoreApplication::exit(0);
    });
    watch->start();
}

SignalExit::~SignalExit() {
    stopWatching();
    delete watch;
    watch = nullptr;
    const int number = caught;
    if (number == 0)
        return;
    std::signal(number, SIG_DFL);
    std::raise(number);
}

#endif
