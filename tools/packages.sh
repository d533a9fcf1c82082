# The Debian packages the project needs; sourced by the build and test scripts.
BUILD_PACKAGES=(cmake g++ make dpkg-dev qtbase5-dev libqt5serialport5-dev qttools5-dev
    qttools5-dev-tools libqt5sql5-sqlite libqt5charts5-dev fonts-noto-cjk libpaho-mqtt-dev
    libpaho-mqttpp-dev libarchive-dev nlohmann-json3-dev protobuf-compiler libprotobuf-dev)
# The same program built with Qt 6 (cmake -DLASER_QT=6); the tests build it too.
# (Qt 6's Charts needs Qt 6's OpenGL module to be found, which its package only recommends.)
QT6_PACKAGES=(qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-l10n-tools qt6-charts-dev
    libqt6opengl6-dev libqt6sql6-sqlite)
TEST_PACKAGES=("${BUILD_PACKAGES[@]}" "${QT6_PACKAGES[@]}" ninja-build clang libbenchmark-dev xvfb xdotool
    imagemagick x11-utils util-linux mosquitto mosquitto-clients openssl unzip)
TEST_PACKAGES+=(dbus-daemon at-spi2-core) # the screen reader's view: AT-SPI on a bus of its own
TEST_PACKAGES+=(nodejs npm) # the Sparkplug project's own payload decoder runs under node
TEST_PACKAGES+=(trayer) # a tray that comes after the program

# Installs the packages of the list that are not installed yet (as root, or through sudo).
install_missing_packages() {
    local missing=() p provided
    # A name that an installed package provides counts as installed: a nodejs from another
    # archive that brings its own npm provides npm, and Debian's npm would conflict with it.
    provided=$(dpkg-query -W -f='${db:Status-Abbrev}|${Provides}\n' 2>/dev/null |
        sed -n 's/^ii *|//p' | tr ',' '\n' | sed 's/^ *//; s/ .*//')
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" && continue
        grep -qxF "$p" <<<"$provided" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "missing packages: ${missing[*]}; install them as root (or with sudo)" >&2
            return 1
        fi
        sudo="sudo"
    fi
    echo "== installing: ${missing[*]}"
    $sudo apt-get update
    # What is needed is named above; the packages' recommendations (GTK, a modem manager, LLVM's
    # development files, some 90 packages) would only lengthen the install.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# The sanitizer and libFuzzer runtime of Debian's default clang. Some releases ship it with
# clang, others only recommend it in a package named after clang's major version; that name is
# taken from the clang installed, never pinned here.
install_sanitizer_runtime() {
    local runtime
    runtime=$(clang -print-file-name=libclang_rt.fuzzer-x86_64.a)
    [ -f "$runtime" ] && return 0
    local major
    major=$(clang -dumpversion | cut -d. -f1)
    install_missing_packages "libclang-rt-$major-dev"
}
