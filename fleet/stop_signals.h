#pragma once

class QCoreApplication;

namespace fleet {

// Ends the event loop on SIGINT and SIGTERM (Ctrl+C and the console closing on Windows too), so
// that the program ends as when its window is closed: the broker connection said goodbye to,
// nothing left behind.
void quitOnStopSignals(QCoreApplication &application);

} // namespace fleet
