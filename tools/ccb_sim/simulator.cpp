#include "tools/ccb_sim/simulator.h"

#include "tools/ccb_sim/replay.h"
#include "tools/ccb_sim/scenario.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace ccbsim {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    const ssize_t ignored = ::write(signalPipe[1], &c, 1);
    (void)ignored;
}

QString hex(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

} // namespace

Simulator::Simulator(Verbosity verbosity, quint32 seed)
    : model(seed), log(verbosity), serialLine(log) {
    serialLine.received = [this](const QByteArray &bytes) { received(bytes); };
    serialLine.frameSent = [this](const QByteArray &frame) {
        model.countSent(frame);
        if (log.verbose())
            log.log(QStringLiteral("sent %1").arg(hex(frame)));
    };
    roundTimer.setTimerType(Qt::PreciseTimer);
    roundTimer.setInterval(1000);
    QObject::connect(&roundTimer, &QTimer::timeout, [this] { sendRound(); });
    silenceTimer.setSingleShot(true);
    QObject::connect(&silenceTimer, &QTimer::timeout, [this] {
        log.log(QStringLiteral("silence over"));
        serialLine.restartPace();
    });
    for (Feed &f : feeds) {
        f.resume.setSingleShot(true);
        QObject::connect(&f.resume, &QTimer::timeout, [this, &f] { runPending(f); });
    }
}

void Simulator::start() {
    serialLine.restartPace();
    roundTimer.start();
    serialLine.startWriting();
    sendRound();
}

bool Simulator::loadReplay(const QString &path, double speed, qint64 maxGapMs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log.error(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    const ccbsim::ReplayPlan plan = ccbsim::planReplay(file, speed, maxGapMs);
    if (log.verbose())
        for (const QString &line : plan.reading.skippedLines)
            log.log(QStringLiteral("skipped %1").arg(line));
    skipped = ccbsim::skippedSummary(plan.reading);
    if (plan.chunks.isEmpty()) {
        log.error(QStringLiteral("%1 holds no received bytes%2")
                      .arg(path, skipped.isEmpty() ? QString() : QStringLiteral("; ") + skipped));
        return false;
    }
    replayChunks = plan.chunks;
    replayDue = plan.dueMs;
    replayTimer.setSingleShot(true);
    replayTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&replayTimer, &QTimer::timeout, [this] { replayNext(); });
    // The capture holds the line's own timing; no pacing on top of it.
    serialLine.setBaud(0);
    return true;
}

void Simulator::startReplay(int delayMs) {
    serialLine.startWriting();
    replayIndex = 0;
    replayTimer.stop();
    QTimer::singleShot(qMax(0, delayMs), [this] {
        log.log(QStringLiteral("replay started: %1 chunks").arg(replayChunks.size()));
        replayClock.start();
        replayNext();
    });
}

void Simulator::listenToStdin() {
    stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    QObject::connect(stdinNotifier, &QSocketNotifier::activated, [this] { readStdin(); });
}

void Simulator::listenToSignals() {
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

void Simulator::queueCommands(FeedId id, const QStringList &lines) {
    Feed &f = feeds[id];
    f.pending << lines;
    if (!f.resume.isActive())
        runPending(f);
}

void Simulator::frameComplete(const QByteArray &frame) {
    if (log.verbose())
        log.log(QStringLiteral("received %1").arg(hex(frame)));
    // A replay plays the capture only; it answers nothing.
    if (replaying())
        return;
    QStringList events;
    const QList<QByteArray> answers = model.receive(frame, &events);
    for (const QString &e : events)
        log.log(e);
    for (const QByteArray &a : answers)
        enqueue(a, QString());
}

void Simulator::replayNext() {
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
        log.log(done);
    } else {
        // Said whatever the verbosity: a replay that left lines out is not the capture.
        log.always(done + QStringLiteral("; ") + skipped);
    }
}

void Simulator::enqueue(const QByteArray &bytes, const QString &tag, bool isFrame) {
    if (silent())
        return;
    serialLine.enqueue(bytes, tag, isFrame);
}

void Simulator::sendRound() {
    if (silent())
        return;
    serialLine.dropUnreadBytes();
    const QList<QByteArray> frames = model.statusRound(QDateTime::currentDateTime());
    for (const QByteArray &f : frames)
        enqueue(f, QString());
}

void Simulator::received(const QByteArray &bytes) {
    rxBuffer.append(bytes);
    // Frames are taken as soon as they are whole; an unfinished one waits for its rest.
    protocol::reassemble(rxBuffer, *this, protocol::PassKind::Early);
    if (rxBuffer.size() > 4096)
        rxBuffer.clear();
}

void Simulator::readStdin() {
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

void Simulator::runPending(Feed &feed) {
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
            log.log(step.text);
            break;
        case ccbsim::Step::Error:
            log.error(step.text);
            break;
        case ccbsim::Step::Silent:
            serialLine.clear();
            silenceTimer.start(int(step.number * 1000.0));
            log.log(QStringLiteral("silent for %1 s").arg(step.number));
            break;
        case ccbsim::Step::Noise: {
            const QByteArray bytes = model.noise(int(step.number));
            model.countNoise(bytes.size());
            enqueue(bytes, QString(), false);
            log.log(step.text);
            break;
        }
        case ccbsim::Step::Period:
            roundTimer.setInterval(int(step.number));
            log.log(step.text);
            break;
        case ccbsim::Step::Pace:
            serialLine.setBaud(step.number);
            serialLine.restartPace();
            log.log(step.text);
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
            log.log(step.text);
            break;
        case ccbsim::Step::Stats:
            logStats();
            break;
        case ccbsim::Step::Settings:
            log.log(QStringLiteral("settings: %1").arg(hex(model.settingsBytes())));
            break;
        case ccbsim::Step::Help:
            std::fprintf(stderr, "%s", qPrintable(ccbsim::scenarioHelp()));
            break;
        case ccbsim::Step::Loop:
            // A script without a pause would repeat without end and starve the timers.
            if (script.filter(QRegularExpression(QStringLiteral("^\\s*sleep\\s"))).isEmpty()) {
                log.error(QStringLiteral("loop needs a script with a sleep in it"));
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

void Simulator::logStats() const {
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
    log.always(stats);
}

void Simulator::quit() {
    if (log.verbosity() != Verbosity::Quiet)
        logStats();
    QCoreApplication::exit(0);
}

} // namespace ccbsim
