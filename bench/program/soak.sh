#!/bin/bash
# Soak: the program under a full line for a while.
#
#   bench/program/soak.sh [SECONDS]   as root (or with sudo -E); (default 60; LASER_BUILD_DIR=build dir)
#
# The simulated CCB sends status rounds back to back at the full 115200 baud, with 400 bytes of
# noise and a status round with wrong check bytes mixed in every few seconds. The system status
# is left out of the rounds and goes only as marker frames: every ~2 s one valid frame flips the
# external emergency stop, and one frame with wrong check bytes says the opposite. Checked on
# screen: every valid marker shows on label_outEstop2, no spoiled one does. Also: the program is
# still running at the end, and its RSS (sampled from /proc) stays flat (< 2 MiB growth after
# the first third). Prints the simulator's frame counts. Exit 0 when all holds.
# Uses DISPLAY, or starts a private Xvfb. Needs root (see tools/virtual-port.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
"$PROBE" soak --seconds "${1:-60}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
