#!/usr/bin/env bash
# Runs a program with the programmer simulator beside it: what
# `./setup.sh start --simulator` does once everything is built.
#
#   with-simulator.sh SIMULATOR [SIMULATOR OPTION]... -- PROGRAM [ARG]...
#
# Port 1 (VELMORA_COM1) is pointed at a symbolic link of this run's own, in a
# new folder under ${TMPDIR:-/tmp}, not at the pseudo-terminal itself: a
# simulator started again on the same link (the command printed below) is
# the programmer plugged in again, and "Reconnection" finds it, while the
# terminal's number may by then belong to another program. What the
# simulator receives goes to a log in the same folder. The script stays
# beside the program: it collects the simulator as soon as it ends (killed
# by hand, say), and when the program ends it ends the simulator and removes
# the folder, log included.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 SIMULATOR [SIMULATOR OPTION]... -- PROGRAM [ARG]..." >&2
    exit 2
fi
sim="$1"
shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
done
if [ $# -lt 2 ]; then
    echo "usage: $0 SIMULATOR [SIMULATOR OPTION]... -- PROGRAM [ARG]..." >&2
    exit 2
fi
shift
# The printed command works from any folder.
sim="$(cd -- "$(dirname -- "$sim")" && pwd -P)/$(basename -- "$sim")"

dir="$(mktemp -d "${TMPDIR:-/tmp}/velmora-sim.XXXXXX")"
link="$dir/port"
log="$dir/log"
simpid=""
cleanup() {
    if [ -n "$simpid" ]; then
        kill "$simpid" 2>/dev/null || true
        wait "$simpid" 2>/dev/null || true
    fi
    rm -rf -- "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
"$sim" --exit-with-parent --link "$link" "${options[@]}" >"$log" 2>&1 &
simpid=$!
for _ in $(seq 100); do
    [ -e "$link" ] && break
    kill -0 "$simpid" 2>/dev/null || break
    sleep 0.05
done
if [ ! -e "$link" ]; then
    echo "The programmer simulator did not start:" >&2
    cat "$log" >&2
    exit 1
fi

# The command that starts the simulator again on the same link, with the
# same options and time scale, quoted for pasting into a shell.
again=""
if [ -n "${VELMORA_TIME_SCALE:-}" ]; then
    again="VELMORA_TIME_SCALE=$(printf '%q' "$VELMORA_TIME_SCALE") "
fi
again+="$(printf '%q' "$sim") --link $(printf '%q' "$link")"
for o in "${options[@]}"; do
    again+=" $(printf '%q' "$o")"
done

cat <<EOF
Simulated programmer on port 1, through $link
  what it receives is logged in $log
  press its test key:  kill -USR1 $simpid
  unplug it:           kill $simpid
  plug it in again, in another terminal (Ctrl+C there unplugs it, typing
  "test" and Enter presses its test key):
    $again
EOF

# The program runs as this script's child, not in its place: the script
# collects the simulator when it ends, and cleans up after the program.
status=0
VELMORA_COM1="$link" "$@" || status=$?
exit "$status"
