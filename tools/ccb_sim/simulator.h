#pragma once

#include "history/capture.h"
#include "protocol/reassembly.h"
#include "tools/ccb_sim/ccb_model.h"
#include "tools/ccb_sim/sim_line.h"
#include "tools/ccb_sim/sim_log.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

class QSocketNotifier;

namespace ccbsim {

// The simulator at work: a status round every period, the model's answers to the host's frames,
// the scenario commands from a script and from standard input side by side, or a capture played
// back instead; it ends on a signal or `quit`, saying its counts.
class Simulator : public QObject, public protocol::FrameSink {
public:
    Simulator(Verbosity verbosity, quint32 seed);

    ccbsim::CcbModel &ccb() { return model; }

    // Pseudo-terminal mode: returns the slave's path, or an empty text on failure.
    QString openPseudoTerminal() { return serialLine.openPseudoTerminal(); }
    bool openPort(const QString &name) { return serialLine.openPort(name); }

    void start();

    // Replay: the RX side of a capture file, with its original timing divided by `speed` and
    // no gap longer than `maxGapMs`.
    bool loadReplay(const QString &path, double speed, qint64 maxGapMs);
    bool replaying() const { return !replayChunks.isEmpty(); }
    void startReplay(int delayMs);

    void listenToStdin();
    void listenToSignals();

    void setScript(const QStringList &lines) { script = lines; }

    // Script lines and typed lines run side by side: a sleep in the script does not hold up
    // what is typed.
    enum FeedId { ScriptFeed, InputFeed };
    void queueCommands(FeedId id, const QStringList &lines);

    void frameComplete(const QByteArray &frame) override;

private:
    struct Feed {
        QStringList pending;
        QTimer resume;
    };

    bool silent() const { return silenceTimer.isActive(); }

    void replayNext();
    void enqueue(const QByteArray &bytes, const QString &tag, bool isFrame = true);
    void sendRound();
    void received(const QByteArray &bytes);
    void readStdin();
    void runPending(Feed &feed);
    void logStats() const;
    void quit();

    ccbsim::CcbModel model;
    SimLog log;
    SimLine serialLine;
    QSocketNotifier *stdinNotifier = nullptr;
    QByteArray rxBuffer;
    QByteArray stdinTail;
    QTimer roundTimer;
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

} // namespace ccbsim
