// ccb-sim: stands in for the laser's central control board on a serial line.
//
// With --port it talks on a real serial port (115200 8N1); without it, it creates a
// pseudo-terminal and prints the slave's path as the first line on standard output. It sends a
// round of status messages every second, answers the host's parameter requests and commands,
// and takes scenario commands on standard input or from a script.

#include "history/capture.h"
#include "protocol/reassembly.h"
#include "tools/ccb_sim/ccb_model.h"
#include "tools/ccb_sim/replay.h"
#include "tools/ccb_sim/scenario.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTime>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Milliseconds on the monotonic clock, for pacing the line.
double monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

enum class Verbosity { Quiet, Normal, Verbose };

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    const ssize_t ignored = ::write(signalPipe[1], &c, 1);
    (void)ignored;
}

QString hex(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

class Simulator : public QObject, public protocol::FrameSink {
public:
    Simulator(Verbosity verbosity, quint32 seed) : model(seed), verbosity(verbosity) {
        roundTimer.setTimerType(Qt::PreciseTimer);
        writeTimer.setTimerType(Qt::PreciseTimer);
        roundTimer.setInterval(1000);
        QObject::connect(&roundTimer, &QTimer::timeout, [this] { sendRound(); });
        writeTimer.setInterval(2);
        QObject::connect(&writeTimer, &QTimer::timeout, [this] { drain(); });
        silenceTimer.setSingleShot(true);
        QObject::connect(&silenceTimer, &QTimer::timeout, [this] {
            log(QStringLiteral("silence over"));
            paceClock = monotonicMs();
        });
        for (Feed &f : feeds) {
            f.resume.setSingleShot(true);
            QObject::connect(&f.resume, &QTimer::timeout, [this, &f] { runPending(f); });
        }
    }

    ccbsim::CcbModel &ccb() { return model; }

    // Pseudo-terminal mode: returns the slave's path, or an empty text on failure.
    QString openPseudoTerminal() {
        char name[128] = {};
        if (openpty(&masterFd, &slaveFd, name, nullptr, nullptr) != 0)
            return QString();
        termios tio{};
        for (int fd : {masterFd, slaveFd}) {
            tcgetattr(fd, &tio);
            cfmakeraw(&tio);
            cfsetispeed(&tio, B115200);
            cfsetospeed(&tio, B115200);
            tcsetattr(fd, TCSANOW, &tio);
        }
        fcntl(masterFd, F_SETFL, fcntl(masterFd, F_GETFL) | O_NONBLOCK);
        // The slave stays open here too, so the master never sees a hang-up while the host
        // opens and closes its side.
        masterNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
        QObject::connect(masterNotifier, &QSocketNotifier::activated, [this] { readMaster(); });
        return QString::fromLocal8Bit(name);
    }

    bool openPort(const QString &name) {
        port = new QSerialPort(this);
        port->setPortName(name);
        port->setBaudRate(QSerialPort::Baud115200);
        port->setDataBits(QSerialPort::Data8);
        port->setParity(QSerialPort::NoParity);
        port->setStopBits(QSerialPort::OneStop);
        port->setFlowControl(QSerialPort::NoFlowControl);
        if (!port->open(QIODevice::ReadWrite)) {
            error(QStringLiteral("cannot open %1: %2").arg(name, port->errorString()));
            return false;
        }
        QObject::connect(port, &QSerialPort::readyRead, [this] { received(port->readAll()); });
        return true;
    }

    void start() {
        paceClock = monotonicMs();
        roundTimer.start();
        writeTimer.start();
        sendRound();
    }

    // Replay: the RX side of a capture file, with its original timing divided by `speed` and
    // no gap longer than `maxGapMs`.
    bool loadReplay(const QString &path, double speed, qint64 maxGapMs) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            error(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
            return false;
        }
        const ccbsim::ReplayPlan plan = ccbsim::planReplay(file, speed, maxGapMs);
        if (verbosity == Verbosity::Verbose)
            for (const QString &line : plan.reading.skippedLines)
                log(QStringLiteral("skipped %1").arg(line));
        skipped = ccbsim::skippedSummary(plan.reading);
        if (plan.chunks.isEmpty()) {
            error(QStringLiteral("%1 holds no received bytes%2")
                      .arg(path, skipped.isEmpty() ? QString() : QStringLiteral("; ") + skipped));
            return false;
        }
        replayChunks = plan.chunks;
        replayDue = plan.dueMs;
        replayTimer.setSingleShot(true);
        replayTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&replayTimer, &QTimer::timeout, [this] { replayNext(); });
        // The capture holds the line's own timing; no pacing on top of it.
        baud = 0;
        return true;
    }

    bool replaying() const { return !replayChunks.isEmpty(); }

    void startReplay(int delayMs) {
        writeTimer.start();
        replayIndex = 0;
        replayTimer.stop();
        QTimer::singleShot(qMax(0, delayMs), [this] {
            log(QStringLiteral("replay started: %1 chunks").arg(replayChunks.size()));
            replayClock.start();
            replayNext();
        });
    }

    void listenToStdin() {
        stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        QObject::connect(stdinNotifier, &QSocketNotifier::activated, [this] { readStdin(); });
    }

    void listenToSignals() {
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
            return;
        auto *n = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        QObject::connect(n, &QSocketNotifier::activated, [this] {
            char c;
            const ssize_t ignored = ::read(signalPipe[0], &c, 1);
            (void)ignored;
            quit();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGHUP, &sa, nullptr);
    }

    void setScript(const QStringList &lines) { script = lines; }

    // Script lines and typed lines run side by side: a sleep in the script does not hold up
    // what is typed.
    enum FeedId { ScriptFeed, InputFeed };
    void queueCommands(FeedId id, const QStringList &lines) {
        Feed &f = feeds[id];
        f.pending << lines;
        if (!f.resume.isActive())
            runPending(f);
    }

    void frameComplete(const QByteArray &frame) override {
        if (verbosity == Verbosity::Verbose)
            log(QStringLiteral("received %1").arg(hex(frame)));
        // A replay plays the capture only; it answers nothing.
        if (replaying())
            return;
        QStringList events;
        const QList<QByteArray> answers = model.receive(frame, &events);
        for (const QString &e : events)
            log(e);
        for (const QByteArray &a : answers)
            enqueue(a, QString());
    }

private:
    struct Feed {
        QStringList pending;
        QTimer resume;
    };
    struct Chunk {
        QByteArray bytes;
        int offset = 0;
        QString tag; // logged with the time its last byte left, for single sends
        bool frame = true;
    };

    void log(const QString &text) const {
        if (verbosity == Verbosity::Quiet)
            return;
        std::fprintf(stderr, "%s\n", qPrintable(ccbsim::logLine(QTime::currentTime(), text)));
        std::fflush(stderr);
    }
    void error(const QString &text) const {
        std::fprintf(
            stderr, "%s\n",
            qPrintable(ccbsim::logLine(QTime::currentTime(), QStringLiteral("error: ") + text)));
        std::fflush(stderr);
    }

    bool silent() const { return silenceTimer.isActive(); }

    void replayNext() {
        while (replayIndex < replayChunks.size()) {
            const qint64 wait = replayDue.at(replayIndex) - replayClock.elapsed();
            if (wait > 0) {
                replayTimer.start(int(qMin<qint64>(wait, 1 << 30)));
                return;
            }
            enqueue(replayChunks.at(replayIndex).bytes, QString(), false);
            ++replayIndex;
        }
        const QString done = QStringLiteral("replay done: %1 chunks").arg(replayChunks.size());
        if (skipped.isEmpty()) {
            log(done);
        } else {
            // Said whatever the verbosity: a replay that left lines out is not the capture.
            std::fprintf(stderr, "%s\n",
                         qPrintable(ccbsim::logLine(QTime::currentTime(),
                                                    done + QStringLiteral("; ") + skipped)));
            std::fflush(stderr);
        }
    }

    void enqueue(const QByteArray &bytes, const QString &tag, bool isFrame = true) {
        if (silent())
            return;
        // A line nobody reads loses its bytes; do not let a backlog build up here.
        if (queued > 256 * 1024) {
            outQueue.clear();
            queued = 0;
        }
        Chunk c;
        c.bytes = bytes;
        c.tag = tag;
        c.frame = isFrame;
        outQueue.append(c);
        queued += bytes.size();
        drain();
    }

    void sendRound() {
        if (silent())
            return;
        dropUnreadBytes();
        const QList<QByteArray> frames = model.statusRound(QDateTime::currentDateTime());
        for (const QByteArray &f : frames)
            enqueue(f, QString());
    }

    // On a pseudo-terminal the bytes wait in the kernel until the host reads them; a real line
    // would have lost them. When nobody has read anything for two seconds (the port is not
    // open), drop what is waiting, so a host that opens the port later gets fresh bytes only.
    void dropUnreadBytes() {
        if (slaveFd < 0)
            return;
        int waiting = 0;
        if (ioctl(slaveFd, FIONREAD, &waiting) != 0)
            return;
        const double now = monotonicMs();
        if (waiting == 0 || waiting < lastWaiting)
            lastRead = now;
        lastWaiting = waiting;
        if (waiting > 0 && now - lastRead > 2000.0) {
            tcflush(slaveFd, TCIFLUSH);
            lastWaiting = 0;
            lastRead = now;
            if (verbosity == Verbosity::Verbose)
                log(QStringLiteral("nobody reads: dropped %1 bytes").arg(waiting));
        }
    }

    void drain() {
        if (outQueue.isEmpty())
            return;
        const double now = monotonicMs();
        qint64 budget = std::numeric_limits<qint64>::max();
        if (baud > 0) {
            // Ten bits a byte on an 8N1 line. Unused budget is not saved up beyond 5 ms.
            paceClock = qMax(paceClock, now - 5.0);
            budget = qint64((now - paceClock) * baud / 10000.0);
            if (budget <= 0)
                return;
        }
        qint64 sentNow = 0;
        while (!outQueue.isEmpty() && sentNow < budget) {
            Chunk &c = outQueue.first();
            const qint64 want = qMin<qint64>(c.bytes.size() - c.offset, budget - sentNow);
            const qint64 n = writeBytes(c.bytes.constData() + c.offset, want);
            if (n <= 0)
                break;
            c.offset += int(n);
            sentNow += n;
            if (c.offset == c.bytes.size()) {
                if (c.frame) {
                    model.countSent(c.bytes);
                    if (verbosity == Verbosity::Verbose)
                        log(QStringLiteral("sent %1").arg(hex(c.bytes)));
                }
                if (!c.tag.isEmpty())
                    log(c.tag);
                queued -= c.bytes.size();
                outQueue.removeFirst();
            }
        }
        if (baud > 0)
            paceClock += double(sentNow) * 10000.0 / baud;
    }

    qint64 writeBytes(const char *data, qint64 size) {
        if (port) {
            const qint64 n = port->write(data, size);
            return n;
        }
        const ssize_t n = ::write(masterFd, data, size_t(size));
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR)
                error(QStringLiteral("write failed: %1")
                          .arg(QString::fromLocal8Bit(strerror(errno))));
            return 0;
        }
        return qint64(n);
    }

    void readMaster() {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(masterFd, buf, sizeof buf);
            if (n > 0) {
                received(QByteArray(buf, int(n)));
                continue;
            }
            break;
        }
    }

    void received(const QByteArray &bytes) {
        rxBuffer.append(bytes);
        // Frames are taken as soon as they are whole; an unfinished one waits for its rest.
        protocol::reassemble(rxBuffer, *this, protocol::PassKind::Early);
        if (rxBuffer.size() > 4096)
            rxBuffer.clear();
    }

    void readStdin() {
        char buf[4096];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            // End of input: keep running on the timers alone.
            stdinNotifier->setEnabled(false);
            if (!stdinTail.isEmpty())
                queueCommands(InputFeed, {QString::fromUtf8(stdinTail)});
            stdinTail.clear();
            return;
        }
        stdinTail.append(buf, int(n));
        QStringList lines;
        int nl;
        while ((nl = stdinTail.indexOf('\n')) >= 0) {
            lines << QString::fromUtf8(stdinTail.left(nl));
            stdinTail.remove(0, nl + 1);
        }
        if (!lines.isEmpty())
            queueCommands(InputFeed, lines);
    }

    void runPending(Feed &feed) {
        while (!feed.pending.isEmpty()) {
            const QString line = feed.pending.takeFirst();
            if (replaying() && line.trimmed() == QLatin1String("replay")) {
                startReplay(0);
                continue;
            }
            const ccbsim::Step step = ccbsim::runCommand(line, model);
            switch (step.kind) {
            case ccbsim::Step::Nothing:
                break;
            case ccbsim::Step::Done:
                log(step.text);
                break;
            case ccbsim::Step::Error:
                error(step.text);
                break;
            case ccbsim::Step::Silent:
                outQueue.clear();
                queued = 0;
                silenceTimer.start(int(step.number * 1000.0));
                log(QStringLiteral("silent for %1 s").arg(step.number));
                break;
            case ccbsim::Step::Noise: {
                const QByteArray bytes = model.noise(int(step.number));
                model.countNoise(bytes.size());
                enqueue(bytes, QString(), false);
                log(step.text);
                break;
            }
            case ccbsim::Step::Period:
                roundTimer.setInterval(int(step.number));
                log(step.text);
                break;
            case ccbsim::Step::Pace:
                baud = step.number;
                paceClock = monotonicMs();
                log(step.text);
                break;
            case ccbsim::Step::Sleep:
                feed.resume.start(int(step.number));
                return;
            case ccbsim::Step::Send:
                enqueue(model.frame(step.message, QDateTime::currentDateTime(), step.number > 0),
                        QStringLiteral("sent %1%2")
                            .arg(ccbsim::messageName(step.message),
                                 step.number > 0 ? QStringLiteral(" bad") : QString()));
                break;
            case ccbsim::Step::SendRound:
                sendRound();
                log(step.text);
                break;
            case ccbsim::Step::Stats:
                logStats();
                break;
            case ccbsim::Step::Settings:
                log(QStringLiteral("settings: %1").arg(hex(model.settingsBytes())));
                break;
            case ccbsim::Step::Help:
                std::fprintf(stderr, "%s", qPrintable(ccbsim::scenarioHelp()));
                break;
            case ccbsim::Step::Loop:
                // A script without a pause would repeat without end and starve the timers.
                if (script.filter(QRegularExpression(QStringLiteral("^\\s*sleep\\s"))).isEmpty()) {
                    error(QStringLiteral("loop needs a script with a sleep in it"));
                } else if (&feed == &feeds[ScriptFeed]) {
                    feed.pending << script;
                } else {
                    // Typed: the script starts over beside the input.
                    feeds[ScriptFeed].resume.stop();
                    feeds[ScriptFeed].pending = script;
                    QTimer::singleShot(0, this, [this] { runPending(feeds[ScriptFeed]); });
                }
                break;
            case ccbsim::Step::Quit:
                quit();
                return;
            }
        }
    }

    void logStats() const {
        const ccbsim::Counters &c = model.counters();
        // Printed whatever the verbosity: it is what was asked for.
        const QString stats =
            QStringLiteral("stats: rounds=%1 frames=%2 valid=%3 badcrc=%4 noise-bytes=%5 "
                           "received=%6 received-bad=%7 settings-reads=%8 settings-writes=%9 ")
                .arg(c.roundsSent)
                .arg(c.framesSent)
                .arg(c.validFramesSent)
                .arg(c.badCrcFramesSent)
                .arg(c.noiseBytesSent)
                .arg(c.framesReceived)
                .arg(c.badFramesReceived)
                .arg(c.settingsReads)
                .arg(c.settingsWrites) +
            QStringLiteral("red-writes=%1").arg(c.redLightWrites);
        std::fprintf(stderr, "%s\n", qPrintable(ccbsim::logLine(QTime::currentTime(), stats)));
        std::fflush(stderr);
    }

    void quit() {
        if (verbosity != Verbosity::Quiet)
            logStats();
        QCoreApplication::exit(0);
    }

    ccbsim::CcbModel model;
    Verbosity verbosity;
    QSerialPort *port = nullptr;
    int masterFd = -1;
    int slaveFd = -1;
    QSocketNotifier *masterNotifier = nullptr;
    QSocketNotifier *stdinNotifier = nullptr;
    QByteArray rxBuffer;
    QByteArray stdinTail;
    QList<Chunk> outQueue;
    qint64 queued = 0;
    double baud = 115200;
    int lastWaiting = 0;
    double lastRead = 0;
    double paceClock = 0;
    QTimer roundTimer;
    QTimer writeTimer;
    QTimer silenceTimer;
    Feed feeds[2];
    QStringList script;
    QList<history::CaptureChunk> replayChunks;
    QVector<qint64> replayDue;
    QString skipped;
    int replayIndex = 0;
    QElapsedTimer replayClock;
    QTimer replayTimer;
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ccb-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stands in for the laser's central control board (CCB) on a serial line.\n"
                       "Without --port it creates a pseudo-terminal and prints its path as the "
                       "first line on standard output; the host program opens that path.\n"
                       "Every second it sends system status (E6), module status (E2), the "
                       "water temperatures (E0, channels 2 and 3), dew point (E4), PWM input "
                       "(E5), its clock (EE, from this computer's clock), product information "
                       "(A2), a driver-board reply (D2) and parameters 4, 32 and 33 (EF).\n"
                       "It answers parameter-40 reads and writes, switches its red light on a "
                       "parameter-50 write, and obeys DC switch (B3) and clear all faults (99).\n"
                       "Scenario commands come on standard input, one a line, or from --script; "
                       "the log goes to standard error.\n\n") +
        ccbsim::scenarioHelp());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Use the serial port NAME (e.g. /dev/ttyUSB1)."),
        QStringLiteral("NAME"));
    const QCommandLineOption scriptOption(QStringLiteral("script"),
                                          QStringLiteral("Run the scenario commands in FILE."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Log errors only."));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Log every frame sent and received."));
    const QCommandLineOption periodOption(QStringLiteral("period"),
                                          QStringLiteral("Status round every MS ms (1000)."),
                                          QStringLiteral("MS"), QStringLiteral("1000"));
    const QCommandLineOption noDriftOption(QStringLiteral("no-drift"),
                                           QStringLiteral("Keep every reading at its set value."));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the drift and noise (1)."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption noStdinOption(QStringLiteral("no-stdin"),
                                           QStringLiteral("Do not read standard input."));
    const QCommandLineOption replayOption(
        QStringLiteral("replay"),
        QStringLiteral("Play the received (RX) side of the capture FILE with its original timing "
                       "instead of simulating; nothing is answered. The typed command `replay` "
                       "plays it again from the start."),
        QStringLiteral("FILE"));
    const QCommandLineOption speedOption(QStringLiteral("speed"),
                                         QStringLiteral("Replay X times faster (1)."),
                                         QStringLiteral("X"), QStringLiteral("1"));
    const QCommandLineOption replayWaitOption(
        QStringLiteral("replay-wait"),
        QStringLiteral("Start the replay MS ms after start-up (0), e.g. to open the port first."),
        QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption maxGapOption(
        QStringLiteral("max-gap"),
        QStringLiteral("Shorten every pause of the capture longer than MS ms to MS (5000), "
                       "before --speed. Lines that cannot be read are skipped and counted; "
                       "--verbose names each one."),
        QStringLiteral("MS"), QStringLiteral("5000"));
    parser.addOptions({portOption, scriptOption, quietOption, verboseOption, periodOption,
                       noDriftOption, seedOption, noStdinOption, replayOption, speedOption,
                       replayWaitOption, maxGapOption});
    parser.process(app);
    Q_UNUSED(helpOption);

    const Verbosity verbosity = parser.isSet(quietOption)     ? Verbosity::Quiet
                                : parser.isSet(verboseOption) ? Verbosity::Verbose
                                                              : Verbosity::Normal;
    Simulator sim(verbosity, parser.value(seedOption).toUInt());
    if (parser.isSet(noDriftOption))
        sim.ccb().setDrift(false);
    if (parser.isSet(replayOption)) {
        bool ok = false;
        const double speed = parser.value(speedOption).toDouble(&ok);
        if (!ok || speed <= 0) {
            std::fprintf(stderr, "ccb-sim: --speed needs a number above 0\n");
            return 2;
        }
        const qint64 maxGap = parser.value(maxGapOption).toLongLong(&ok);
        if (!ok || maxGap < 0) {
            std::fprintf(stderr, "ccb-sim: --max-gap needs a number of milliseconds\n");
            return 2;
        }
        if (!sim.loadReplay(parser.value(replayOption), speed, maxGap))
            return 2;
    }

    QStringList script;
    if (parser.isSet(scriptOption)) {
        QFile file(parser.value(scriptOption));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            std::fprintf(stderr, "ccb-sim: cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        // Scripts are UTF-8 whatever the locale.
        const QString text = QString::fromUtf8(file.readAll());
        script = text.split(QLatin1Char('\n'));
        if (!script.isEmpty() && script.last().isEmpty())
            script.removeLast();
    }

    if (parser.isSet(portOption)) {
        if (!sim.openPort(parser.value(portOption)))
            return 1;
    } else {
        const QString path = sim.openPseudoTerminal();
        if (path.isEmpty()) {
            std::fprintf(stderr, "ccb-sim: cannot create a pseudo-terminal\n");
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
    }

    sim.listenToSignals();
    if (sim.replaying()) {
        sim.startReplay(parser.value(replayWaitOption).toInt());
        if (!parser.isSet(noStdinOption))
            sim.listenToStdin();
        return app.exec();
    }
    sim.queueCommands(Simulator::InputFeed,
                      {QStringLiteral("period ") + parser.value(periodOption)});
    sim.start();
    if (!script.isEmpty()) {
        sim.setScript(script);
        sim.queueCommands(Simulator::ScriptFeed, script);
    }
    if (!parser.isSet(noStdinOption))
        sim.listenToStdin();
    return app.exec();
}
