#pragma once

#include <optional>

// laser-host --support-bundle FILE [--since 1h|1d|7d|all]: writes the support bundle of the
// working directory's log/ and config/ without any window (for a PC reached over a remote
// shell). Returns the exit status, or nothing when the arguments do not ask for a bundle.
std::optional<int> runSupportBundleCommand(int argc, char **argv);
