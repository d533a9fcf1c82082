#pragma once

#include "tools/ccb_sim/ccb_model.h"

#include <QString>
#include <QTime>

// The simulator's scenario language: one command a line, from standard input or a script.
// Commands that change the CCB act on the model at once; those that concern timing or the
// wire come back as a Step for the I/O side to carry out.
namespace ccbsim {

struct Step {
    enum Kind {
        Done,      // applied to the model, nothing more to do
        Nothing,   // empty line or comment
        Error,     // not understood; `text` says why
        Silent,    // send nothing for `number` seconds
        Noise,     // send `number` random bytes
        Period,    // status round every `number` ms
        Pace,      // emulate a line of `number` baud (0: as fast as the port takes it)
        Sleep,     // pause the script for `number` ms
        Send,      // send `message` once now; `number` 1: with wrong check bytes
        SendRound, // send one status round now
        Stats,     // report the counters
        Settings,  // report the stored settings
        Help,      // print the command list
        Loop,      // start the script again from its first line
        Quit,
    };
    Kind kind = Nothing;
    double number = 0;
    Message message = Message::SystemStatus;
    QString text; // error text, or what was applied (for the log)
};

Step runCommand(const QString &line, CcbModel &model);

// The command list, as --help and `help` print it.
QString scenarioHelp();

// One line of the simulator's log, stamped with the local wall time ("ccb-sim [14:37:45.123]
// text"), so it can be read beside the program's own output and the system's logs.
QString logLine(const QTime &at, const QString &text);

} // namespace ccbsim
