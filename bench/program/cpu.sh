#!/bin/bash
# CPU use and peak memory of the whole program.
#
#   bench/program/cpu.sh [--line-rate] [SECONDS]   as root (or with sudo -E); (default 30; LASER_BUILD_DIR=build dir)
#
# When a Qt 6 build exists as well (LASER_QT6_BUILD_DIR, default build/qt6, which
# tools/test-all.sh makes), the same measurement follows for it, against a bare window built
# from Qt 6, so the two ratios come from one run.
#
# Runs the real program (recording its history) with the port open on the simulated CCB (one
# status round a second; with --line-rate the rounds back to back at 115200 baud) for SECONDS
# and reads its CPU time from /proc/PID/stat; then, in the same run, a bare Qt
# window of the same size with a 1 ms timer (bare_window) for as long. Prints both, their
# ratio (goal: program <= 1.3 x bare; at line rate <= 1.6 x) and each one's peak RSS (VmHWM of /proc/PID/status).
# Uses DISPLAY, or starts a private Xvfb. Needs root (see tools/virtual-port.sh).
# LASER_BENCH_PLANT_INI=FILE gives the program FILE as its config/plant.ini (plant link on).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
LINE_RATE=()
if [[ ${1:-} == --line-rate ]]; then
    LINE_RATE=(--line-rate)
    shift
fi
"$PROBE" cpu "${LINE_RATE[@]}" --seconds "${1:-30}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
QT6_PROBE=${LASER_QT6_BUILD_DIR:-$SOURCE/build/qt6}/bench/program/program_probe
if [[ -x $QT6_PROBE && $(realpath "$QT6_PROBE") != $(realpath "$PROBE") ]]; then
    "$QT6_PROBE" cpu "${LINE_RATE[@]}" --seconds "${1:-30}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
fi
