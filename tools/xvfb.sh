# shellcheck shell=bash
# Gives the caller an X display: DISPLAY as it is when set, otherwise a private Xvfb on the
# first free display number, waited for until it answers. Sourced, not run; the caller stops
# the server with stop_private_xvfb (an EXIT trap does it).
#
#   XVFB_FIRST / XVFB_LAST   the display numbers to try (default 90 to 120)

XVFB_PID=
stop_private_xvfb() {
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    fi
    return 0
}

# Returns 1 when no display could be started.
start_private_xvfb() {
    [[ -n ${DISPLAY:-} ]] && return 0
    command -v Xvfb >/dev/null || { echo "set DISPLAY or install Xvfb" >&2; return 1; }
    local n _
    for n in $(seq "${XVFB_FIRST:-90}" "${XVFB_LAST:-120}"); do
        # Taken: a socket or a lock file of another server, running or left behind.
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do
            if ! kill -0 "$XVFB_PID" 2>/dev/null; then
                # Lost the race for this number to another server: try the next one.
                wait "$XVFB_PID" 2>/dev/null
                XVFB_PID=
                break
            fi
            if DISPLAY=:$n xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=:$n
                return 0
            fi
            sleep 0.1
        done
        stop_private_xvfb
    done
    echo "no free X display in ${XVFB_FIRST:-90}..${XVFB_LAST:-120} came up" >&2
    return 1
}
