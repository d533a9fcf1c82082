#!/bin/bash
# Latency from a frame on the wire to the lamp changing on screen.
#
#   bench/program/latency.sh [SAMPLES]   as root (or with sudo -E); (default 30; LASER_BUILD_DIR=build dir)
#
# The simulated CCB sends nothing but single system-status frames that switch the external
# emergency stop on and off, at random phases of the program's refresh. For each, the time the
# frame's last byte was written to the line (the simulator's log, monotonic clock) is compared
# with the time the lamp label_outEstop2 changed colour in the X server's picture of the screen
# (polled every few ms). Goal: every change within 400 ms. Uses DISPLAY, or starts a private
# Xvfb. Needs root (see tools/virtual-port.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
"$PROBE" latency --samples "${1:-30}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
