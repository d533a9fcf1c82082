#pragma once

#include "support/e2e/paths.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace harness {

// The program under test, started inside tools/virtual-port.sh so that Qt lists the
// simulator's pseudo-terminal as ttyUSB0.
class Program {
public:
    ~Program();
    bool start(const Paths &paths, const QString &ptyPath, const QString &workDir,
               const QStringList &extraEnv = {});
    bool isRunning() const;
    qint64 pid() const;
    // Takes the adapter away as the program sees it: its /dev/ttyUSB0 is gone while the
    // simulator keeps its pseudo-terminal. (A stopped simulator would free the terminal's number
    // for the next suite's simulator, and the program's link would lead to that one.)
    bool unplugAdapter();
    // Asks the window to close (as the window manager would), then makes sure.
    void stop(int graceMs = 3000);
    QString output() const;
    QProcess &process() { return proc; }

private:
    QProcess proc;
};

} // namespace harness
