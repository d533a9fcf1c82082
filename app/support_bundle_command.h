#pragma once

#include "common/command_line.h"

// laser-host --support-bundle FILE [--since 1h|1d|7d|all]: writes the support bundle of the
// working directory's log/ and config/ without any window (for a PC reached over a remote
// shell), and returns the exit status: 0 written, 1 not written (the reason on standard error).
// SIGINT, SIGTERM and SIGHUP cancel it: what it had begun (beside FILE) is removed within a
// second, then the program ends by that signal. A second signal waits for that clean-up too,
// unless it has not ended 3 s after the first.
int runSupportBundleCommand(const CommandLine &line, int argc, char **argv);
