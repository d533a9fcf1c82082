# The Debian packages the project needs; sourced by the build and test scripts.
BUILD_PACKAGES=(cmake g++ make dpkg-dev qtbase5-dev libqt5serialport5-dev qttools5-dev
    qttools5-dev-tools libqt5charts5-dev libqt5sql5-sqlite fonts-noto-cjk)
TEST_PACKAGES=("${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev libbenchmark-dev xvfb xdotool
    imagemagick x11-utils util-linux)

# Installs the packages of the list that are not installed yet (as root, or through sudo).
install_missing_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "== installing: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
}
