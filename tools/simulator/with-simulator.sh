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
# the folder, log included. INT, TERM and HUP sent to the script go on to
# the program; the script waits for it to end, cleans up, and ends with the
# program's status.
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

# The folder by its absolute path, so that the printed commands work from
# any folder also when TMPDIR is relative.
dir="$(mktemp -d -- "${TMPDIR:-/tmp}/velmora-sim.XXXXXX")"
dir="$(cd -- "$dir" && pwd)"
link="$dir/port"
log="$dir/log"
simpid=""
progpid=""

# running PID: whether PID is a child of this script that bash has not yet
# collected. Until then its PID stays its own (a zombie at worst), so a
# signal sent to it cannot reach another process; once it is collected, its
# PID may belong to anyone and is never signalled again.
running() {
    local p
    for p in $(jobs -rp); do
        [ "$p" = "$1" ] && return 0
    done
    return 1
}

# Ends the simulator if it still runs: TERM, and CONT for one that was
# stopped; KILL when it has not ended after 3 s. Never waits longer than 4 s;
# bash collects it as it ends.
stop_simulator() {
    [ -n "$simpid" ] || return 0
    local i
    if running "$simpid"; then
        kill -s TERM "$simpid" 2>/dev/null || true
        kill -s CONT "$simpid" 2>/dev/null || true
    fi
    for i in $(seq 80); do
        running "$simpid" || break
        if [ "$i" -eq 60 ]; then
            kill -s KILL "$simpid" 2>/dev/null || true
        fi
        sleep 0.05
    done
    simpid=""
}
cleanup() {
    # Further signals do not cut the clean-up short; it is bounded.
    trap : INT TERM HUP
    stop_simulator
    rm -rf -- "$dir"
}
trap cleanup EXIT
# A signal goes on to the program while it runs, and to the processes it
# started (the program may be a wrapper such as xvfb-run, which hands no
# signal on), and the script waits for its end; before the program starts
# (or after its end) it ends the script.
on_signal() {
    if [ -n "$progpid" ] && running "$progpid"; then
        kill -s "$1" -- "-$progpid" 2>/dev/null || kill -s "$1" "$progpid" 2>/dev/null || true
    else
        exit "$2"
    fi
}
trap 'on_signal INT 130' INT
trap 'on_signal TERM 143' TERM
trap 'on_signal HUP 129' HUP

"$sim" --exit-with-parent --link "$link" "${options[@]}" >"$log" 2>&1 &
simpid=$!
for _ in $(seq 100); do
    [ -e "$link" ] && break
    running "$simpid" || break
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
# collects the simulator when it ends, and cleans up after the program. It
# runs in the background so that a trapped signal interrupts the wait for
# it, with the script's input and with INT and QUIT as the script got them
# (a background command would otherwise ignore both and read nothing). It
# leads a process group of its own, which takes in what it starts.
(
    trap - INT QUIT
    VELMORA_COM1="$link" exec setsid "$@"
) <&0 &
progpid=$!
while running "$progpid"; do
    wait "$progpid" || true
done
# Its status, also when a signal cut the last wait short.
status=0
wait "$progpid" || status=$?
exit "$status"
