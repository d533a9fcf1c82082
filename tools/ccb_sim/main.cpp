// ccb-sim: stands in for the laser's central control board on a serial line.
//
// With --port it talks on a real serial port (115200 8N1); without it, it creates a
// pseudo-terminal and prints the slave's path as the first line on standard output. It sends a
// round of status messages every second, answers the host's parameter requests and commands,
// and takes scenario commands on standard input or from a script.

#include "tools/ccb_sim/scenario.h"
#include "tools/ccb_sim/simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>

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

    using ccbsim::Verbosity;
    const Verbosity verbosity = parser.isSet(quietOption)     ? Verbosity::Quiet
                                : parser.isSet(verboseOption) ? Verbosity::Verbose
                                                              : Verbosity::Normal;
    ccbsim::Simulator sim(verbosity, parser.value(seedOption).toUInt());
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
    sim.queueCommands(ccbsim::Simulator::InputFeed,
                      {QStringLiteral("period ") + parser.value(periodOption)});
    sim.start();
    if (!script.isEmpty()) {
        sim.setScript(script);
        sim.queueCommands(ccbsim::Simulator::ScriptFeed, script);
    }
    if (!parser.isSet(noStdinOption))
        sim.listenToStdin();
    return app.exec();
}
