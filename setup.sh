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

# The build folders follow one rule: every start configures its folder,
# quietly, and then builds what has changed; a configure that fails on a
# folder configured before is run once more on a clean cache. cmake itself
# repairs whatever part of the folder is gone, and takes the options of this
# start, in well under a second on a configured folder; the clean cache is
# for what it refuses, such as the cache of a moved clone, which names
# another source folder.

# configure DIR OPTION...: configures the build in DIR with OPTION... What
# cmake prints is shown only when the configure fails.
configure() {
    local dir="$1" before="" out
    shift
    if [ -e "$dir/CMakeCache.txt" ] || [ -e "$dir/CMakeFiles" ]; then
        before=1
    else
        echo "Configuring $dir."
    fi
    out="$(cmake -S . -B "$dir" -G Ninja "$@" 2>&1)" && return 0
    if [ -n "$before" ]; then
        echo "Configuring $dir again from a clean cache."
        rm -rf -- "$dir/CMakeCache.txt" "$dir/CMakeFiles"
        out="$(cmake -S . -B "$dir" -G Ninja "$@" 2>&1)" && return 0
    fi
    printf '%s\n' "$out" >&2
    return 1
}

# build DIR: builds what has changed in DIR. Ninja's news that there was
# nothing to do, and its check of the source folders, are left out; what a
# real build prints, errors included, is shown. Fails as the build does.
build() {
    cmake --build "$1" -j "$jobs" 2>&1 | quiet_build
}
quiet_build() {
    grep --line-buffered -v -e '^ninja: no work to do\.$' -e 'Re-checking globbed directories' || true
}

# interruptible: from here on an interrupt (INT, QUIT, TERM, HUP: Ctrl+C,
# Ctrl+\, a closing terminal) ends the script by that signal as soon as the
# step it reached has ended, however that step ended: cmake and Ninja end on
# it with a status of their own, which is no failure to try again, and no
# program starts. (bash runs the trap once the command it waits for has
# ended.)
interruptible() {
    local s
    for s in INT QUIT TERM HUP; do
        trap "end_by $s" "$s"
    done
}
# end_by SIG: ends the script by SIG, leaving no core file. (bash does not
# end by a QUIT it sends itself; a shell in its place does.)
end_by() {
    trap - "$1"
    exec sh -c 'ulimit -c 0; kill -s "$1" $$; exit 1' sh "$1"
}

jobs=$(nproc 2>/dev/null || echo 4)

# Sourced (by the tests), it only defines the above.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0
cd "$(dirname "$0")"

case "${1:-}" in
start)
    shift
    interruptible
    install_missing "${PACKAGES[@]}"
    configure build/release -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
    build build/release
    if [ "${1:-}" = "--simulator" ] && [ "${2:-}" = "--help" ]; then
        exec build/release/tools/simulator/velmora-sim --help
    fi
    program=(build/release/velmora)
    # The program, the simulator and xvfb-run run beside a script that
    # cleans up after them (tools/simulator/with-simulator.sh). It, the
    # simulator and the program are one job of the terminal (Ctrl+C, Ctrl+\,
    # Ctrl+Z and its closing reach all); INT, QUIT, TERM and HUP sent to it
    # alone go on to the program.
    beside=(tools/simulator/with-simulator.sh)
    headless=""
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        headless=1
        echo "No display found: starting under a virtual X server (xvfb-run)."
        # Its X server ends with xvfb-run (tools/xvfb/Xvfb), also when a
        # closing terminal ends xvfb-run first; its X authority file goes
        # with the run's folder.
        beside+=(--xvfb)
    fi
    if [ "${1:-}" = "--simulator" ]; then
        shift
        # A simulated programmer on a pseudo-terminal, with port 1 pointed at
        # a link of this run's own; it prints how to press the simulator's
        # test key and how to start it again on that link. The simulator
        # ends with the program. Further options are the simulator's
        # (velmora-sim --help).
        exec "${beside[@]}" build/release/tools/simulator/velmora-sim "$@" -- "${program[@]}"
    fi
    [ -z "$headless" ] || exec "${beside[@]}" -- "${program[@]}"
    exec "${program[@]}"
    ;;
test)
    interruptible
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    configure build/ci -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF
    build build/ci
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
