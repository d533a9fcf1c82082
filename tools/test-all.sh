#!/usr/bin/env bash
# Runs the whole test suite on a Debian machine: installs what is missing, builds twice
# (gcc with warnings as errors; clang with AddressSanitizer, LeakSanitizer, UBSan and the fuzz
# target), gives the window tests an X display (a private Xvfb on a free display when DISPLAY
# is not set) and runs CTest in both builds; then builds and tests a third time against Qt 6
# (gcc, warnings as errors, every suite).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
install_missing_packages "${TEST_PACKAGES[@]}"
install_sanitizer_runtime

jobs=$(nproc)

echo "== build (gcc, warnings as errors)"
cmake -S . -B build/ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLASER_WERROR=ON >/dev/null
cmake --build build/ci -j"$jobs"

echo "== build (clang, ASan/LSan/UBSan, fuzz target)"
cmake -S . -B build/asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DLASER_WERROR=ON -DLASER_SANITIZE=ON -DLASER_BUILD_FUZZ=ON \
    -DLASER_BUILD_BENCH=OFF >/dev/null
cmake --build build/asan -j"$jobs"

# The end-to-end tests need a real X server; the others run offscreen.
source tools/xvfb.sh
trap stop_private_xvfb EXIT
start_private_xvfb
echo "== X display $DISPLAY"

# Leaks are reported; only those inside Qt's and fontconfig's own caches are suppressed.
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
echo "== tests (clang, sanitizers)"
ctest --test-dir build/asan --output-on-failure -LE e2e || status=1
echo "== tests (gcc)"
ctest --test-dir build/ci --output-on-failure || status=1

# Configures and builds one build directory, then runs its whole suite (end to end included).
#   build_and_test <dir> <cmake args...>
build_and_test() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure || status=1
}

echo "== build and tests (gcc, Qt 6)"
build_and_test build/qt6 -DLASER_QT=6 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLASER_WERROR=ON
exit $status
