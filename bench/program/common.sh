# shellcheck shell=bash
# Shared by cpu.sh, latency.sh and soak.sh: finds the build, checks for root and gives the
# measurement an X display (a private Xvfb when DISPLAY is not set). Sourced, not run.

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SOURCE=$(cd "$HERE/../.." && pwd)
BUILD=${LASER_BUILD_DIR:-$SOURCE/build/ci}
# alarms.sh names its own probe.
PROBE=$BUILD/bench/program/${PROBE_NAME:-program_probe}

if [[ $(id -u) -ne 0 ]]; then
    echo "$(basename "$0"): needs root: the program sees the simulator as ttyUSB0 only inside a" \
        "private mount namespace (tools/virtual-port.sh). Run it as root (or with sudo -E): $0 $*" >&2
    exit 1
fi
if [[ ! -x $PROBE ]]; then
    echo "$(basename "$0"): $PROBE is missing. Build it first:" >&2
    echo "  cmake -S $SOURCE -B $BUILD && cmake --build $BUILD --target $(basename "$PROBE") -j2" >&2
    echo "(or set LASER_BUILD_DIR to your build directory)" >&2
    exit 1
fi

source "$SOURCE/tools/xvfb.sh"
trap stop_private_xvfb EXIT
if [[ -z ${DISPLAY:-} ]]; then
    start_private_xvfb || exit 1
    echo "(on a private Xvfb display $DISPLAY)"
fi
