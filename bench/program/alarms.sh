#!/bin/bash
# The alarm handling of the real program, measured (see alarm_probe.cpp):
#
#   bench/program/alarms.sh soak [SECONDS [DRAIN]]   two programs side by side, a door pulsed for
#                                                    one frame every 100 ms and two alarms
#                                                    chattering for SECONDS (3600), then DRAIN
#                                                    (660) for the flood to end: rises kept,
#                                                    counted and told, the GUI thread's longest
#                                                    answer, processor time with and without the
#                                                    summary open
#   bench/program/alarms.sh latency [SAMPLES]        a frame raising a new alarm to its line in
#                                                    the open summary on screen (30 samples)
#
# As root (or with sudo -E); LASER_BUILD_DIR=build dir. Uses DISPLAY, or starts a private Xvfb.
set -euo pipefail
PROBE_NAME=alarm_probe
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
MODE=${1:-soak}
case $MODE in
soak) "$PROBE" soak --seconds "${2:-3600}" --drain "${3:-660}" ;;
latency) "$PROBE" latency --samples "${2:-30}" ;;
*) echo "usage: $0 soak [SECONDS [DRAIN]] | latency [SAMPLES]" >&2; exit 2 ;;
esac 2> >(grep -v XDG_RUNTIME_DIR >&2)
