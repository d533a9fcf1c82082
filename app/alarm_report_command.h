#pragma once

#include "common/command_line.h"

// laser-host --alarm-report FILE [--since 24h|7d|30d|90d|all]: writes the alarm report of the
// working directory's history (CSV for FILE.csv, the printable page for FILE.html) without any
// window, and returns the exit status: 0 written, 1 not written (the reason on standard error;
// with no history in the folder, the folder is named). SIGINT, SIGTERM and SIGHUP cancel it as
// they cancel the support bundle: nothing is left under FILE or beside it.
int runAlarmReportCommand(const CommandLine &line, int argc, char **argv);
