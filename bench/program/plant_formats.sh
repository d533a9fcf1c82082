#!/bin/bash
# The plant link's cost by its format, at line rate: the whole program's CPU (cpu.sh
# --line-rate, the simulator's readings walking every round so that every refresh pass has a
# change to publish) with config/plant.ini's format = json, sparkplug and both, against a
# mosquitto of its own on loopback; and what reached a subscriber of '#' meanwhile: messages and
# payload bytes a second by kind (the JSON's status, samples, events; Sparkplug's DDATA, births).
#
#   bench/program/plant_formats.sh [SECONDS]   as root; LASER_BUILD_DIR as for cpu.sh (default 30)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
seconds=${1:-30}
work=$(mktemp -d)
broker=
cleanup() {
    [[ -n $broker ]] && kill "$broker" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\nuser root\n' "$port" >"$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" 2>/dev/null &
broker=$!
sleep 0.5
for format in json sparkplug both; do
    printf '[mqtt]\nurl = mqtt://127.0.0.1:%s\nformat = %s\ngroup_id = bench\n' "$port" "$format" \
        >"$work/plant.ini"
    mosquitto_sub -p "$port" -t '#' -F '%U %t %l' >"$work/$format.seen" &
    sub=$!
    LASER_BENCH_DRIFT=1 LASER_BENCH_PLANT_INI="$work/plant.ini" "$here/cpu.sh" --line-rate \
        "$seconds" | grep -E '^cpu: (program|ratio)' | sed "s/^/$format: /"
    kill "$sub"
    # Rates over the time the kind was seen, first to last message.
    awk -v format="$format" '{
        n = split($2, level, "/"); kind = level[1] == "spBv1.0" ? level[3] : level[n]
        if (!(kind in first)) first[kind] = $1
        last[kind] = $1; count[kind]++; bytes[kind] += $3
    } END {
        for (kind in count) {
            span = last[kind] - first[kind]
            if (count[kind] > 1 && span > 0)
                printf "%s: %-8s %6d messages, %8.1f /s, %10.0f payload bytes/s\n", format, kind,
                    count[kind], (count[kind] - 1) / span, bytes[kind] / span
            else
                printf "%s: %-8s %6d messages\n", format, kind, count[kind]
        }
    }' "$work/$format.seen" | sort
done
