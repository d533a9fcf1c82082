#!/bin/bash
# The scripts that need root say so to an unprivileged user, name both ways to get it (a root
# shell or sudo -E, since a fresh system may have no sudo), and never call sudo themselves.
# Run as root the check runs them as the user nobody; otherwise as the caller.
set -uo pipefail
SOURCE=$1
as_user() {
    if [[ $(id -u) -eq 0 ]]; then
        setpriv --reuid=65534 --regid=65534 --clear-groups env PATH=/usr/bin:/bin HOME=/ "$@"
    else
        env PATH=/usr/bin:/bin "$@"
    fi
}
if ! as_user test -r "$SOURCE/tools/demo.sh"; then
    echo "SKIP: the user nobody cannot read the sources"
    exit 77
fi
failed=0
check() {
    local name=$1
    shift
    local out code
    out=$(cd / && as_user "$@" </dev/null 2>&1)
    code=$?
    if [[ $code -eq 0 ]]; then
        echo "FAIL $name: exit code 0 without root"
        failed=1
    elif ! grep -q "as root (or with sudo -E)" <<<"$out"; then
        echo "FAIL $name: does not say how to run it as root: $out"
        failed=1
    elif grep -qi "sudo: .*not found\|command not found" <<<"$out"; then
        echo "FAIL $name: called a missing command: $out"
        failed=1
    else
        echo "ok   $name"
    fi
}
# The sources are readable by everyone; a scratch pseudo-terminal stands in for the simulator's.
check demo.sh bash "$SOURCE/tools/demo.sh"
check virtual-port.sh bash "$SOURCE/tools/virtual-port.sh" /dev/null -- true
for s in cpu latency soak; do
    check "bench/program/$s.sh" bash "$SOURCE/bench/program/$s.sh" 1
done
# Without a display run.sh says so at once, before it installs or builds anything, also when
# the window is given Qt's options.
for args in "" "-style fusion"; do
    out=$(cd / && as_user env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 \
        bash "$SOURCE/tools/run.sh" $args </dev/null 2>&1)
    [[ $? -eq 1 ]] && grep -q "needs a display" <<<"$out" ||
        { echo "FAIL run.sh $args: does not say first that it needs a display: $out" && failed=1; }
done
if grep -n "^sudo \|[^(]sudo -E tools/demo.sh\|\`sudo -E [a-z]" "$SOURCE/README.md" "$SOURCE"/docs/*.md; then
    echo "FAIL README.md or docs/: a command that needs sudo where a root shell has none"
    failed=1
fi
exit $failed
