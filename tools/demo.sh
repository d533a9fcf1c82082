#!/bin/bash
# Demo: the laser host program talking to the simulated CCB on this computer.
#
#   tools/demo.sh [BUILD_DIR]   as root, or sudo -E tools/demo.sh [BUILD_DIR]
#   (default build/release, built first when missing)
#
# Starts ccb-sim on a pseudo-terminal with a scenario that raises and clears alarms, changes
# temperatures and switches the red light and the beam, round and round; then starts the
# program so that it lists the simulator as ttyUSB0(CCB Simulator). Click 打开串口 (open port)
# in the window and watch the lamps and values move. Type scenario commands at the ccb> prompt
# (alarm estop on, temp in 31, silent 20, help ...); quit or Ctrl-D ends the demo.
#
# Why root: the program lists only the serial devices the system knows (Qt asks udev), never a
# bare pseudo-terminal. tools/virtual-port.sh therefore shows the program, in a private mount
# namespace, a /sys/class/tty entry ttyUSB0 and a /dev/ttyUSB0 leading to the simulator; that
# needs root. Nothing outside the namespace changes.
#
# Installed (package or cmake --install), run PREFIX/share/laser-host/demo.sh. Needs an X display
# (DISPLAY); through sudo, -E keeps DISPLAY and XAUTHORITY.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SOURCE=$(cd "$HERE/.." && pwd)

explain() { printf '%s\n' "$@" >&2; }

if [[ ${1:-} == -h || ${1:-} == --help ]]; then
    sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
    explain "The demo needs root." \
        "The program lists only serial ports the system knows, so the demo makes the" \
        "simulator's pseudo-terminal look like a USB serial adapter (ttyUSB0) inside a private" \
        "mount namespace, and mounting there needs root. Nothing outside it changes." \
        "Run it again as root (or with sudo -E):   $0 ${*:-}" \
        "(sudo needs -E to keep DISPLAY and XAUTHORITY, so the window can open on your screen.)" \
        "Without root, use two USB-serial adapters and a null-modem cable instead (docs/building.md)."
    exit 1
fi
if [[ -z ${DISPLAY:-} ]]; then
    explain "The demo needs an X display, and DISPLAY is not set." \
        "Run it from a desktop session (sudo -E keeps DISPLAY), or on a virtual display:" \
        "   Xvfb :99 -screen 0 1600x1000x24 &  DISPLAY=:99 $0" \
        "and look at it with a VNC viewer or screenshots (import -display :99 -window root shot.png)."
    exit 1
fi
# Under sudo without -E the X cookie of the desktop user is still in that user's home.
if [[ -z ${XAUTHORITY:-} && -n ${SUDO_USER:-} ]]; then
    user_home=$(getent passwd "$SUDO_USER" | cut -d: -f6)
    [[ -f $user_home/.Xauthority ]] && export XAUTHORITY=$user_home/.Xauthority
fi

# Where the pieces are: a build directory, or an installed package.
BUILD=${1:-${LASER_BUILD_DIR:-$SOURCE/build/release}}
if [[ -z ${1:-} && -z ${LASER_BUILD_DIR:-} && -x $SOURCE/tools/run.sh ]] &&
    [[ ! -x $BUILD/laser-host || ! -x $BUILD/tools/ccb-sim ]]; then
    "$SOURCE/tools/run.sh" --build-only
fi
PROGRAM='' SIM='' LANGDIR='' VPORT=''
if [[ -x $BUILD/laser-host && -x $BUILD/tools/ccb-sim ]]; then
    PROGRAM=$BUILD/laser-host
    SIM=$BUILD/tools/ccb-sim
    LANGDIR=$BUILD/language
    VPORT=$HERE/virtual-port.sh
elif [[ -x $HERE/../../lib/laser-host/laser-host ]]; then
    # Installed: this script is PREFIX/share/laser-host/demo.sh.
    PREFIX=$(cd "$HERE/../.." && pwd)
    PROGRAM=$PREFIX/lib/laser-host/laser-host
    SIM=$PREFIX/bin/ccb-sim
    LANGDIR=$PREFIX/share/laser-host/language
    VPORT=$PREFIX/lib/laser-host/virtual-port.sh
else
    explain "No build found in $BUILD and no installed laser-host." \
        "Build first:  $SOURCE/tools/run.sh --build-only" \
        "or name the build directory:  $0 /path/to/build"
    exit 1
fi
for f in "$LANGDIR/lang_Chinese.qm" "$LANGDIR/lang_English.qm"; do
    [[ -f $f ]] || { explain "Missing catalogue $f (build the 'translations' target)."; exit 1; }
done
SCENARIO=$HERE/demo.scenario

# The program reads ./language and writes ./config/language.gl: give it a directory of its own.
WORK=$(mktemp -d /tmp/laser-host-demo.XXXXXX)
ln -s "$LANGDIR" "$WORK/language"
mkfifo "$WORK/sim-input"

SIM_PID='' PROGRAM_PID=''
cleanup() {
    exec 3>&- 2>/dev/null || true
    if [[ -n $PROGRAM_PID ]]; then kill "$PROGRAM_PID" 2>/dev/null || true; fi
    if [[ -n $SIM_PID ]]; then kill "$SIM_PID" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The simulator: its first output line is the pseudo-terminal; its log goes to this terminal.
"$SIM" --script "$SCENARIO" <"$WORK/sim-input" >"$WORK/sim-output" &
SIM_PID=$!
exec 3>"$WORK/sim-input"
for _ in $(seq 50); do
    [[ -s $WORK/sim-output ]] && break
    sleep 0.1
done
PTY=$(head -n1 "$WORK/sim-output")
if [[ ! -c $PTY ]]; then
    explain "The simulator did not start (no pseudo-terminal)."
    exit 1
fi

(cd "$WORK" && exec "$VPORT" "$PTY" -- "$PROGRAM") >"$WORK/program.log" 2>&1 &
PROGRAM_PID=$!

cat <<EOF

  The simulated CCB runs on $PTY; the program sees it as ttyUSB0(CCB Simulator).
  In the window LASER SYSTEM: 端口号 (port) shows ttyUSB0(CCB Simulator); click 打开串口 (open).
  The lamps, temperatures and clock then follow the simulator's scenario. 开 启 / 关 闭 switch the
  simulator's red light; 设置 (settings menu) -> 读回 reads its settings back, 设定 writes them.
  语言 (language) -> English switches the texts.

  Type scenario commands below, e.g.  alarm estop on | temp in 31 | silent 20 | help | quit

EOF

while kill -0 "$PROGRAM_PID" 2>/dev/null; do
    if ! read -r -e -p "ccb> " line; then
        break
    fi
    [[ -n $line ]] && history -s "$line"
    case "$line" in
    quit | exit) break ;;
    esac
    printf '%s\n' "$line" >&3
    sleep 0.2 # let the simulator's answer come before the next prompt
done
echo "Demo over."
