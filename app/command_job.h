#pragma once

#include <QString>

#include <atomic>
#include <cstdio>
#include <functional>

// What the host's command-line jobs (the support bundle, the alarm report) share.

// The signals that ask a command-line job to stop: a terminal's Ctrl+C (SIGINT), a service
// manager's SIGTERM, a terminal closed (SIGHUP). From construction on, the handler only counts
// them; runWatched() does the rest.
class StopSignals {
public:
    StopSignals();
    // The last signal caught (0: none), and how many came.
    static int caught();
    static int times();
    // Ends the process by the signal that was caught, as whoever started it expects.
    [[noreturn]] static void endBySignal();
};

// Runs `job` on a thread of its own while this one watches for a signal: the first sets
// `cancel` (the job cleans up what it began and returns); a second waits for that clean-up too,
// and ends the process at once only when it has not ended 3 s after the first.
void runWatched(const std::function<void()> &job, std::atomic<bool> &cancel);

// A FILE typed on the command line: the installed launcher starts the program in its data
// folder, so a relative name means the folder the command was typed in.
QString typedPath(const QString &file);

// A line on standard output or error, in the system's encoding, at once.
void sayLine(FILE *stream, const QString &text);
