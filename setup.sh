#!/usr/bin/env bash
# Velmora on a Debian 12 machine: installs what is missing, builds, and then
#   ./setup.sh start [--simulator [SIMULATOR OPTION]...]   starts the program
#   ./setup.sh test                  runs every test (sanitizer build)
set -euo pipefail

PACKAGES=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl1-mesa-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          fonts-wqy-microhei fonts-liberation xvfb xauth)
# fonts-wqy-microhei draws the Chinese texts; fonts-liberation gives the
# windows that ask for Times New Roman and Courier New fonts of the same
# widths, and the printed reports their faces (Liberation Sans Narrow for the
# descriptions, Liberation Mono for the values).
# Only the tests need these: pdftotext, pdfinfo, pdftohtml and pdftoppm read
# the printed reports back.
TEST_PACKAGES=(poppler-utils)

# install_missing PACKAGE...: installs those not yet installed.
install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -qq
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

# usable DIR: whether cmake and Ninja can use the build in DIR as it is:
# its cache (made for this source folder), the rules Ninja reads and
# build.ninja are there. What else of it is gone, Ninja's own check of the
# build files finds (build then configures again where that check fails).
usable() {
    local home=""
    [ -f "$1/build.ninja" ] && [ -f "$1/CMakeFiles/rules.ninja" ] && [ -f "$1/CMakeCache.txt" ] || return 1
    home="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$1/CMakeCache.txt" 2>/dev/null)" || true
    [ "$home" = "$(pwd -P)" ]
}

# configure DIR OPTION...: configures the build in DIR when DIR is new, was
# configured with other options, or cannot be used as it is (usable).
# Otherwise the build itself configures again when a build file has changed,
# and a start stays quiet.
configure() {
    local dir="$1" want
    shift
    want="$*"
    if usable "$dir" && [ "$(cat "$dir/.setup-options" 2>/dev/null)" = "$want" ]; then
        return 0
    fi
    rm -f -- "$dir/.setup-options"
    run_cmake "$dir" "$@"
    printf '%s\n' "$want" >"$dir/.setup-options"
}

# run_cmake DIR OPTION...: configures DIR. A configure that fails on what is
# left of an earlier one is run again on a clean cache.
run_cmake() {
    local dir="$1"
    shift
    cmake -S . -B "$dir" -G Ninja "$@" && return 0
    [ -e "$dir/CMakeCache.txt" ] || [ -e "$dir/CMakeFiles" ] || return 1
    echo "Configuring $dir again from a clean cache."
    rm -rf -- "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    cmake -S . -B "$dir" -G Ninja "$@"
}

# build DIR OPTION...: builds what has changed in DIR. Ninja's news that
# there was nothing to do, and its check of the source folders, are left
# out; what a real build prints, errors included, is shown. Fails as the
# build does, but for a build whose own configure step fails (a file of the
# build folder that it reads is gone): DIR is then configured again with
# OPTION... and built once more.
build() {
    local dir="$1"
    shift
    mkdir -p -- "$dir"
    if cmake --build "$dir" -j "$jobs" 2>&1 | tee "$dir/.setup-build.log" | quiet_build; then
        return 0
    fi
    grep -q "^ninja: error: rebuilding 'build.ninja'" "$dir/.setup-build.log" 2>/dev/null || return 1
    run_cmake "$dir" "$@"
    cmake --build "$dir" -j "$jobs" 2>&1 | quiet_build
}
quiet_build() {
    grep --line-buffered -v -e '^ninja: no work to do\.$' -e 'Re-checking globbed directories' || true
}

jobs=$(nproc 2>/dev/null || echo 4)

# Sourced (by the tests), it only defines the above.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0
cd "$(dirname "$0")"

case "${1:-}" in
start)
    shift
    install_missing "${PACKAGES[@]}"
    options=(-DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF)
    configure build/release "${options[@]}"
    build build/release "${options[@]}"
    if [ "${1:-}" = "--simulator" ] && [ "${2:-}" = "--help" ]; then
        exec build/release/tools/simulator/velmora-sim --help
    fi
    program=(build/release/velmora)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found: starting under a virtual X server (xvfb-run)."
        # Its X server ends with xvfb-run (tools/xvfb/Xvfb), also when a
        # closing terminal ends xvfb-run first.
        program=(env "PATH=$PWD/tools/xvfb:$PATH" xvfb-run -a "${program[@]}")
    fi
    if [ "${1:-}" = "--simulator" ]; then
        shift
        # A simulated programmer on a pseudo-terminal, with port 1 pointed at
        # a link of this run's own; it prints how to press the simulator's
        # test key and how to start it again on that link. The script, the
        # simulator and the program are one job of the terminal (Ctrl+C,
        # Ctrl+\, Ctrl+Z and its closing reach all three); INT, QUIT, TERM and
        # HUP sent to this process alone go on to the program. The simulator
        # ends with the program. Further options are the simulator's
        # (velmora-sim --help).
        exec tools/simulator/with-simulator.sh build/release/tools/simulator/velmora-sim "$@" -- "${program[@]}"
    fi
    exec "${program[@]}"
    ;;
test)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    options=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF)
    configure build/ci "${options[@]}"
    build build/ci "${options[@]}"
    export QT_QPA_PLATFORM=offscreen
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    ctest --test-dir build/ci --output-on-failure -j "$jobs" --timeout 300
    ;;
*)
    echo "usage: $0 start [--simulator [SIMULATOR OPTION]...] | test" >&2
    exit 2
    ;;
esac
