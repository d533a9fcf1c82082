#!/usr/bin/env bash
# Runs the whole test suite on a Debian machine: installs what is missing, then three builds and
# their suites:
#   build/ci    gcc, Qt 5, warnings as errors: every suite, end to end included
#   build/asan  clang, AddressSanitizer, LeakSanitizer, UBSan and the fuzz targets: every suite
#               but the end-to-end ones (label e2e), the bounded fuzz runs (label fuzz) included;
#               built with Unix Makefiles (the two others with Ninja)
#   build/qt6   clang, Qt 6, warnings as errors: every suite, end to end included
# Suites run several at a time (CTest keeps the window suites in two lanes of one at a time, and
# every end-to-end suite has an X display of its own). While one build's suites run, mostly
# waiting on timers, ports and X, the next build compiles at a lower priority beside them; the
# fuzz runs go beside the last build's suites.
#
#   LASER_TEST_JOBS   suites at a time (default: the number of processors plus three)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
# A step's heading, with the seconds since the start.
say() {
    echo "== [${SECONDS} s] $*"
}
install_missing_packages "${TEST_PACKAGES[@]}"
install_sanitizer_runtime

# The Sparkplug project's own payload decoder, which a suite reads the plant link's Sparkplug
# messages with: from the npm registry at the versions of its lock file, into build/node (some
# 3 to 6 s). Without the registry it is left out and said; that suite then fails under CI and
# skips elsewhere.
say "Sparkplug decoder (npm)"
mkdir -p build/node
cp tests/plant/sparkplug_decoder/package.json tests/plant/sparkplug_decoder/package-lock.json \
    build/node/
timeout 180 npm ci --prefix build/node --ignore-scripts --no-audit --no-fund --loglevel=error \
    --fetch-retries=1 --fetch-timeout=30000 ||
    say "the Sparkplug decoder could not be installed: sparkplugDecoderTest fails under CI"

jobs=$(nproc)
test_jobs=${LASER_TEST_JOBS:-$((jobs + 3))}

# The Qt 5 and Qt 6 builds carry no debug information: a failing case names its file and line
# itself, and the many suites link far faster without it. The Qt 5 build is optimised as a
# release is (the suites themselves never are, see tests/CMakeLists.txt) and builds the
# benchmarks; the Qt 6 build is there for what Qt 6 can break, so it is not optimised and leaves
# the benchmarks out. It is compiled by clang, which compiles it in two thirds of gcc's time
# (99 s against 143 s alone on two processors), and the Qt 5 build by gcc: each compiler's
# warnings are errors in one build or more. The sanitizer build keeps the line tables its reports
# are symbolized with and leaves out the end-to-end suites it does not run.
#
# Every build compiles the program's sources in batches (a unity build: Qt's headers read once a
# batch, not once a file); the suites stay one file each.
say configure
# Ninja for the Qt 5 and Qt 6 builds: no make and cmake processes around each step, and one queue of
# work across all targets. The sanitizer build uses CMake's default generator, Unix Makefiles,
# as a newcomer's or an IDE's build does, so that the whole tree keeps building with both.
common=(-DCMAKE_UNITY_BUILD=ON)
# gold links a suite in a fifth of the time of the default linker (it comes with binutils).
common+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold)
# A build folder made with another generator or compiler (an earlier version of this script) is
# made afresh.
fresh_for() {
    local dir=$1 generator=$2 compiler=$3
    if [[ -f $dir/CMakeCache.txt ]] &&
        { ! grep -qs "^CMAKE_GENERATOR:INTERNAL=$generator\$" "$dir/CMakeCache.txt" ||
            ! grep -qs "^CMAKE_CXX_COMPILER:[A-Z]*=.*/$compiler\$" "$dir/CMakeCache.txt"; }; then
        rm -rf "$dir"
    fi
}
fresh_for build/ci Ninja c++
fresh_for build/asan "Unix Makefiles" clang++
fresh_for build/qt6 Ninja clang++
cmake -S . -B build/ci -G Ninja "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" -DLASER_WERROR=ON >/dev/null
cmake -S . -B build/asan -G "Unix Makefiles" "${common[@]}" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only -DLASER_WERROR=ON \
    -DLASER_SANITIZE=ON -DLASER_BUILD_FUZZ=ON -DLASER_BUILD_BENCH=OFF -DLASER_BUILD_E2E=OFF \
    >/dev/null
cmake -S . -B build/qt6 -G Ninja "${common[@]}" -DLASER_QT=6 -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DLASER_WERROR=ON \
    -DLASER_BUILD_BENCH=OFF >/dev/null

# Leaks are reported; only those inside Qt's and fontconfig's own caches are suppressed.
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()

# The rooms and the one-way rules between the folders (docs/architecture.md).
say "the house"
tools/check-house.sh || failed+=("the house (tools/check-house.sh)")

# build <dir> [niceness]: the whole build directory.
build() {
    nice -n "${2:-0}" cmake --build "$1" -j"$jobs"
}

# suites <dir> [ctest args...]: the suites of a build.
suites() {
    local dir=$1
    shift
    say "suites of $dir"
    ctest --test-dir "$dir" --output-on-failure -j"$test_jobs" "$@" || failed+=("suites of $dir")
    say "suites of $dir ended"
}

# beside <label> <work...> -- <command...>: runs the command while the work runs beside it (a
# build at the lowest priority, the fuzz runs); the work's log follows the command's.
beside() {
    local label=$1 work=() log
    shift
    while [[ $1 != -- ]]; do
        work+=("$1")
        shift
    done
    shift
    log=$(mktemp)
    (
        rc=0
        "${work[@]}" || rc=$?
        say "$label ended"
        exit $rc
    ) >"$log" 2>&1 &
    local worker=$!
    "$@"
    wait "$worker" || failed+=("$label")
    say "$label (beside the suites above)"
    cat "$log"
    rm -f "$log"
}

say "build build/ci (gcc, Qt 5, warnings as errors)"
build build/ci || failed+=("build build/ci")
beside "build build/asan" build build/asan 19 -- suites build/ci
beside "build build/qt6" build build/qt6 19 -- suites build/asan -LE "e2e|fuzz"
# The fuzz runs keep a processor busy each; beside the Qt 6 suites, which mostly wait, they take
# time that would otherwise idle (at a lower priority, so the suites' timers keep theirs).
beside "fuzz runs of build/asan" \
    nice -n 10 ctest --test-dir build/asan --output-on-failure -j2 -L fuzz -- suites build/qt6

if [[ ${#failed[@]} -gt 0 ]]; then
    say "failed: ${failed[*]}"
    exit 1
fi
say "all builds and suites passed"
