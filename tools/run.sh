#!/usr/bin/env bash
# Installs what is missing, builds both programs (laser-host, laser-fleet), the CCB simulator and
# the catalogues in build/release, and starts one of them. Each program runs in a working folder
# of its own, which holds language/ (the catalogues) and where config/ and log/ are made:
#
#   tools/run.sh [ARGS...]          the host program, in build/release
#   tools/run.sh --fleet [ARGS...]  the fleet view, in build/release/fleet-view (config/plant.ini
#                                   there names the broker)
#   tools/run.sh --build-only       build only (used by tools/demo.sh)
#
# Any other arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
# Without any display Qt says only that its platform plugin could not start and that
# reinstalling may help; a window needs one, so say how to get it instead. Every start opens a
# window (Qt's own options such as -style included) but --help, --version, a support bundle and
# a platform of its own (-platform offscreen).
need_display() {
    local name=$1 arg
    shift
    for arg in "$@"; do
        case "$arg" in
        -h | --help | --version | --support-bundle* | -platform | -platform=*) return 0 ;;
        --) break ;;
        esac
    done
    local why=''
    if [[ -z ${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-} ]]; then
        why='DISPLAY is not set'
    elif [[ -z ${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-} && ${DISPLAY:-} =~ ^:([0-9]+)(\.[0-9]+)?$ &&
        ! -S /tmp/.X11-unix/X${BASH_REMATCH[1]} ]]; then
        why="no X server runs on DISPLAY=$DISPLAY"
    fi
    if [[ -n $why ]]; then
        echo "$name needs a display and $why. Run it from a desktop session, or on a virtual" \
            "display:   Xvfb :99 -screen 0 1600x1000x24 &  DISPLAY=:99 $0 ${FLEET:-}" >&2
        exit 1
    fi
}
# Said before the build, which takes minutes the first time.
case "${1:-}" in
--build-only) ;;
--fleet) FLEET=--fleet need_display laser-fleet "${@:2}" ;;
*) need_display laser-host "$@" ;;
esac
source tools/packages.sh
install_missing_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DLASER_BUILD_TESTS=OFF \
    -DLASER_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target laser-host laser-fleet ccb-sim translations
case "${1:-}" in
--build-only)
    exit 0
    ;;
--fleet)
    shift
    # A folder of its own, as the installed launcher gives it: the fleet's broker login (read
    # only) is not the host program's, and its language choice is its own.
    mkdir -p build/release/fleet-view/config
    ln -sfn ../language build/release/fleet-view/language
    if [[ ! -e build/release/fleet-view/config/plant.ini ]]; then
        echo "laser-fleet: no build/release/fleet-view/config/plant.ini yet; the window says so." \
            "How to write one: docs/plant-link.md" >&2
    fi
    cd build/release/fleet-view
    exec ../laser-fleet "$@"
    ;;
esac
cd build/release
exec ./laser-host "$@"
