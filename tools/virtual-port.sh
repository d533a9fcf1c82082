#!/bin/bash
# Runs a command that sees a pseudo-terminal as the USB serial adapter /dev/ttyUSB0.
#
#   tools/virtual-port.sh [--name ttyUSB0] [--model CCB_Simulator] PTY -- COMMAND [ARGS...]
#
# Qt lists only serial devices the system knows (udev, /sys/class/tty), never a bare
# pseudo-terminal. In a private mount namespace this script lays a small tmpfs over
# /sys/class/tty holding one entry, NAME, whose uevent says DEVNAME=NAME and ID_MODEL=MODEL, and
# makes /dev/NAME a link to PTY (an overlay over /dev). libudev accepts the entry because
# SYSTEMD_DEVICE_VERIFY_SYSFS=0 is exported. Serial lock files go to a private /run/lock, so
# several such commands can run at once. Nothing changes outside the namespace: when COMMAND
# ends, the namespace and its mounts are gone. Qt shows MODEL with '_' turned into blanks
# (QSerialPortInfo::description() is "CCB Simulator").
#
# COMMAND is exec'd: it keeps this script's process id. Needs root (mount namespaces): run it
# as root (or with sudo).
set -euo pipefail

NAME=ttyUSB0
MODEL=CCB_Simulator
while [[ $# -gt 0 ]]; do
    case "$1" in
    --name) NAME=$2; shift 2 ;;
    --model) MODEL=$2; shift 2 ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) break ;;
    esac
done
if [[ $# -lt 3 || "$2" != "--" ]]; then
    echo "usage: $0 [--name ttyUSB0] [--model CCB_Simulator] PTY -- COMMAND [ARGS...]" >&2
    exit 2
fi
PTY=$1
shift 2

if [[ $(id -u) -ne 0 ]]; then
    echo "virtual-port.sh: needs root (it mounts in a private mount namespace):" \
        "run it as root (or with sudo -E)" >&2
    exit 77
fi
if [[ ! -c "$PTY" ]]; then
    echo "virtual-port.sh: $PTY is not a character device" >&2
    exit 2
fi

if [[ "${LASER_VPORT_INSIDE:-}" != "$$" ]]; then
    # Start again inside a private mount namespace; unshare execs, so the process id stays.
    export LASER_VPORT_INSIDE=$$
    exec unshare -m --propagation private "$BASH" "$0" --name "$NAME" --model "$MODEL" \
        "$PTY" -- "$@"
fi
unset LASER_VPORT_INSIDE

# Private lock directory; it also holds the overlay's working directories.
LOCKDIR=$(readlink -f /run/lock 2>/dev/null || echo /run/lock)
mkdir -p "$LOCKDIR"
mount -t tmpfs -o mode=1777 laser-vport-lock "$LOCKDIR"
W="$LOCKDIR/.vport"
mkdir -p "$W/upper" "$W/work" "$W/sub"

# /sys/class/tty with the one entry.
MAJOR=$((16#$(stat -L -c %t "$PTY")))
MINOR=$((16#$(stat -L -c %T "$PTY")))
mount -t tmpfs -o mode=755 laser-vport-tty /sys/class/tty
mkdir "/sys/class/tty/$NAME"
printf 'MAJOR=%s\nMINOR=%s\nDEVNAME=%s\nID_MODEL=%s\n' "$MAJOR" "$MINOR" "$NAME" "$MODEL" \
    >"/sys/class/tty/$NAME/uevent"
ln -s /sys/class/tty "/sys/class/tty/$NAME/subsystem"

# /dev as before plus /dev/NAME: an overlay hides the mounts below /dev (pts, shm, ...), so
# they are set aside first and moved back on top.
mapfile -t SUBMOUNTS < <(awk '$5 ~ "^/dev/[^/]+$" {print $5}' /proc/self/mountinfo | sort -u)
for m in "${SUBMOUNTS[@]}"; do
    key=$(echo "$m" | tr / _)
    mkdir -p "$W/sub/$key"
    mount --rbind "$m" "$W/sub/$key"
done
mount -t overlay laser-vport-dev -o "lowerdir=/dev,upperdir=$W/upper,workdir=$W/work" /dev
for m in "${SUBMOUNTS[@]}"; do
    key=$(echo "$m" | tr / _)
    mount --move "$W/sub/$key" "$m"
done
rm -f "/dev/$NAME"
ln -s "$PTY" "/dev/$NAME"

export SYSTEMD_DEVICE_VERIFY_SYSFS=0
exec "$@"
