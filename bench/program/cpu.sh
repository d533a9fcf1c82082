#!/bin/bash
# CPU use and peak memory of the whole program.
#
#   sudo -E bench/program/cpu.sh [SECONDS]          (default 30; LASER_BUILD_DIR=build dir)
#
# Runs the real program with the port open on the simulated CCB (one status round a second)
# for SECONDS and reads its CPU time from /proc/PID/stat; then, in the same run, a bare Qt
# window of the same size with a 1 ms timer (bare_window) for as long. Prints both, their
# ratio (goal: program <= 1.3 x bare) and each one's peak RSS (VmHWM of /proc/PID/status).
# Uses DISPLAY, or starts a private Xvfb. Needs root (see tools/virtual-port.sh).
# LASER_BENCH_PLANT_INI=FILE gives the program FILE as its config/plant.ini (plant link on).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
"$PROBE" cpu --seconds "${1:-30}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
