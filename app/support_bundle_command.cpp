#include "app/support_bundle_command.h"

#include "service/about.h"
#include "service/bundle.h"
#include "service/texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The signals that ask a command to stop: a terminal's Ctrl+C, a service manager's SIGTERM, a
// terminal closed (SIGHUP). The handler only counts; the waiting loop below does the rest.
volatile std::sig_atomic_t caught = 0;
volatile std::sig_atomic_t times = 0;

extern "C" void onStopSignal(int number) {
    caught = number;
    times = times + 1;
}

class StopSignals {
public:
    StopSignals() {
        for (const int number : numbers())
            install(number, onStopSignal);
    }
    // Ends the process by the signal that was caught, as whoever started it expects.
    [[noreturn]] static void endBySignal() {
        const int number = caught;
        for (const int n : numbers())
            install(n, SIG_DFL);
        std::fflush(stdout);
        std::fflush(stderr);
        std::raise(number);
        std::_Exit(128 + number); // only if the signal did not end it
    }

private:
    static const std::vector<int> &numbers() {
#ifdef SIGHUP
        static const std::vector<int> list = {SIGINT, SIGTERM, SIGHUP};
#else
        static const std::vector<int> list = {SIGINT, SIGTERM};
#endif
        return list;
    }
    static void install(int number, void (*handler)(int)) {
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
};

void say(FILE *stream, const QString &text) {
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int runSupportBundleCommand(const CommandLine &line, int argc, char **argv) {
    // Before anything is written: a signal from here on cancels and cleans up.
    const StopSignals stopSignals;
    // Qt Sql needs an application object; no window and no display.
    QCoreApplication application(argc, argv);
    QTranslator translator;
    useLanguagePreference(translator);

    // The launcher starts the program in its data folder; a relative name means the folder the
    // command was typed in.
    QString file = line.file;
    const QString caller = qEnvironmentVariable("LASER_HOST_CALLER_DIR");
    if (QDir::isRelativePath(file) && !caller.isEmpty())
        file = QDir(caller).filePath(file);
    const service::Period period = *service::periodFromArgument(line.since);

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    service::BundleInput input;
    input.outputPath = file;
    input.since = service::periodStart(period, now);
    input.about.madeAt = now;
    input.about.madeBy = QStringLiteral("command line");
    input.about.period = service::periodName(period);

    // On a thread of its own, so that this one can watch for a signal meanwhile.
    service::BundleProgress progress;
    service::BundleResult result;
    std::unique_ptr<QThread> worker(
        QThread::create([&input, &progress, &result] { result = writeBundle(input, progress); }));
    worker->start();
    QElapsedTimer stopping; // since the first signal
    while (!worker->wait(100)) {
        if (caught != 0 && !stopping.isValid()) {
            progress.cancel = true;
            stopping.start();
        }
        // Asked again: the clean-up (well within a second) is still waited for, so a second
        // Ctrl+C leaves nothing behind; only one that hangs is given up.
        if (times > 1 && stopping.hasExpired(3000))
            StopSignals::endBySignal();
    }
    if (result.outcome == service::BundleResult::Written) {
        // Complete before the signal was seen: it stands, and is said.
        say(stdout, service::Texts::tr("诊断包已写入 %1 (%2 个文件)")
                        .arg(QDir::toNativeSeparators(QDir::cleanPath(file)))
                        .arg(result.entries.size()));
        if (caught != 0)
            StopSignals::endBySignal();
        return 0;
    }
    if (caught != 0) {
        say(stderr, QStringLiteral("laser-host: ") +
                        CommandLineTexts::tr("诊断包未写入: 被信号 %1 中止, 已开始写的文件已删除")
                            .arg(int(caught)));
        StopSignals::endBySignal();
    }
    say(stderr, QStringLiteral("laser-host: ") +
                    CommandLineTexts::tr("诊断包未写入: %1").arg(result.error));
    return 1;
}
