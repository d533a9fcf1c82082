#!/usr/bin/env bash
# Installs what is missing, builds the program (and the CCB simulator) and starts the program
# from the build directory, which holds language/ (the catalogues) and where config/ is created.
#
#   tools/run.sh                build and start
#   tools/run.sh --build-only   build only (used by tools/demo.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
install_missing_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DLASER_BUILD_TESTS=OFF \
    -DLASER_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target laser-host ccb-sim translations
[ "${1:-}" = "--build-only" ] && exit 0
cd build/release
exec ./laser-host "$@"
