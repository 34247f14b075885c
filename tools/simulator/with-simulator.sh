#!/usr/bin/env bash
# Runs a program with the programmer simulator beside it: what
# `./setup.sh start --simulator` does once everything is built.
#
#   with-simulator.sh [--xvfb] SIMULATOR [SIMULATOR OPTION]... -- PROGRAM [ARG]...
#   with-simulator.sh --xvfb -- PROGRAM [ARG]...
#
# Port 1 (VELMORA_COM1) is pointed at a symbolic link of this run's own, in a
# new folder under ${TMPDIR:-/tmp}, not at the pseudo-terminal itself: a
# simulator started again on the same link (the command printed below) is
# the programmer plugged in again, and "Reconnection" finds it, while the
# terminal's number may by then belong to another program. What the
# simulator receives goes to a log in the same folder.
#
# With --xvfb the program runs under a virtual X server (xvfb-run -a, whose
# server is tools/xvfb/Xvfb) with its X authority file in the run's folder:
# a temporary folder of xvfb-run's own would stay behind whenever a signal
# ends xvfb-run. The second form, without a simulator, is `./setup.sh start`
# without a display: the program alone, run as below.
#
# The script, the simulator and the program are one job of the terminal:
# they stay in the script's process group, so Ctrl+C, Ctrl+\, Ctrl+Z (and
# `fg`) and the terminal's closing reach all three. INT, QUIT, TERM and HUP
# sent to the script alone (`kill`, a launcher) go on to the program and to
# what it started (a wrapper such as xvfb-run hands no signal on); the
# program has 3 s to end on it before it is killed. When the program ends
# the script ends the simulator and removes the folder, log included, and
# ends with the program's status, or by the signal it got when the program
# ended by a signal. It signals a process only while that process is still
# the one it started: a PID that bash has collected may be anyone's.
set -euo pipefail

usage() {
    echo "usage: $0 [--xvfb] SIMULATOR [SIMULATOR OPTION]... -- PROGRAM [ARG]..." >&2
    echo "       $0 --xvfb -- PROGRAM [ARG]..." >&2
    exit 2
}
xvfb=""
if [ "${1:-}" = "--xvfb" ]; then
    xvfb="$(cd -- "$(dirname -- "$0")/../xvfb" && pwd -P)"
    shift
fi
sim=""
if [ "${1:-}" != "--" ]; then
    [ $# -ge 1 ] || usage
    sim="$1"
    shift
fi
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
done
[ $# -ge 2 ] && { [ -n "$sim" ] || [ -n "$xvfb" ]; } || usage
shift
# The printed command works from any folder.
[ -z "$sim" ] || sim="$(cd -- "$(dirname -- "$sim")" && pwd -P)/$(basename -- "$sim")"

# The folder by its absolute path, so that the printed commands work from
# any folder also when TMPDIR is relative.
dir="$(mktemp -d -- "${TMPDIR:-/tmp}/velmora-sim.XXXXXX")"
dir="$(cd -- "$dir" && pwd)"
link="$dir/port"
log="$dir/log"
simpid=""
simstart=""
progpid=""
progstart=""
got=""

# started PID VAR: sets VAR to when process PID started (clock ticks after
# boot), or to nothing once it is gone.
started() {
    local stat fields
    printf -v "$2" '%s' ""
    read -r stat 2>/dev/null <"/proc/$1/stat" || return 0
    read -r -a fields <<<"${stat##*) }"
    printf -v "$2" '%s' "${fields[19]:-}"
}
# mine PID START: whether PID is still the child that started at START:
# running, stopped, or ended and not yet collected (its PID is then still its
# own, so a signal to it cannot reach another process).
mine() {
    local now
    [ -n "$1" ] && [ -n "$2" ] || return 1
    started "$1" now
    [ "$now" = "$2" ]
}
# pause: 50 ms. The sleep is a process of the job, which a signal to the
# whole job ends (Ctrl+C, or the second HUP of a terminal's closing, sent as
# the shell on it exits); that only shortens the pause, and does not end the
# script with the sleep's status (129, 130) instead of by the signal. (Not
# `read -t`: a trap that runs a `read` of its own while one waits leaves the
# outer one waiting for good.)
pause() {
    sleep 0.05 || true
}
# Milliseconds of the clock: bounds are real time, however slowly a loaded
# machine runs the loops that wait them out.
ms() {
    printf -v "$1" '%s' "$((${EPOCHREALTIME//[!0-9]/} / 1000))"
}

# Ends the simulator if it still runs: TERM, and CONT for one that was
# stopped; KILL when it has not ended after 3 s. Never waits longer than 4 s;
# bash collects it as it ends.
stop_simulator() {
    local from now killed=""
    mine "$simpid" "$simstart" || return 0
    kill -s TERM "$simpid" 2>/dev/null || true
    kill -s CONT "$simpid" 2>/dev/null || true
    ms from
    while mine "$simpid" "$simstart"; do
        ms now
        if [ $((now - from)) -ge 4000 ]; then
            return 0
        elif [ $((now - from)) -ge 3000 ] && [ -z "$killed" ]; then
            kill -s KILL "$simpid" 2>/dev/null || true
            killed=1
        fi
        pause
    done
}
# A signal to the whole job may end the first rm; the second removes what
# is left.
cleanup() {
    stop_simulator
    rm -rf -- "$dir" 2>/dev/null || rm -rf -- "$dir" || true
}
trap cleanup EXIT

# hand_on SIG: SIG to the program and every process below it, and CONT to
# any of them that is stopped.
hand_on() {
    mine "$progpid" "$progstart" || return 0
    local todo=("$progpid") tree=() kids f
    while [ ${#todo[@]} -gt 0 ]; do
        tree+=("${todo[0]}")
        for f in /proc/"${todo[0]}"/task/*/children; do
            kids=()
            read -r -a kids 2>/dev/null <"$f" || true
            todo+=("${kids[@]}")
        done
        todo=("${todo[@]:1}")
    done
    kill -s "$1" "${tree[@]}" 2>/dev/null || true
    kill -s CONT "${tree[@]}" 2>/dev/null || true
}
# A signal is noted and handed on; the script goes on to its end, where it
# ends by the first signal it got. Further signals cut nothing short. (Of
# two signals that come at once while bash waits, bash may run the trap of
# only one.)
on_signal() {
    [ -n "$got" ] || got="$1"
    hand_on "$1"
}
for s in INT QUIT TERM HUP; do
    trap "on_signal $s" "$s"
done
# finish STATUS: cleans up and ends, by the signal the script got when the
# program ended by a signal, never started, or ended with a status that bash
# no longer holds (STATUS is then negative: a program that dies of the
# signal while the script waits for it is collected by bash's own handler,
# and the last `wait` returns -1); otherwise with STATUS.
finish() {
    cleanup
    trap - EXIT
    if [ -n "$got" ] && { [ "$1" -gt 128 ] || [ "$1" -lt 0 ]; }; then
        # bash ignores QUIT whatever its traps say: a shell in its place
        # sends the signal to itself, leaving no core (and exits with STATUS
        # where the signal was ignored when the script started).
        exec sh -c 'ulimit -c 0; kill -s "$1" $$; exit "$2"' sh "$got" "$1"
    fi
    exit "$1"
}

# The simulator and its printout, when there is one.
if [ -n "$sim" ]; then
    # The simulator, with INT and QUIT as the script got them (a background
    # command would otherwise ignore both).
    (
        trap - INT QUIT
        exec "$sim" --exit-with-parent --link "$link" "${options[@]}"
    ) >"$log" 2>&1 &
    simpid=$!
    started "$simpid" simstart
    for ((i = 0; i < 100; i++)); do
        [ -e "$link" ] && break
        mine "$simpid" "$simstart" || break
        [ -z "$got" ] || finish 255
        pause
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

    # A terminal closed meanwhile fails the printout; the script still ends by
    # the signal below.
    cat <<EOF || true
Simulated programmer on port 1, through $link
  what it receives is logged in $log
  press its test key:  kill -USR1 $simpid
  unplug it:           kill $simpid
  plug it in again, in another terminal (Ctrl+C there unplugs it, typing
  "test" and Enter presses its test key):
    $again
EOF
fi

[ -z "$got" ] || finish 255

# The program runs as this script's child, not in its place, so that the
# script cleans up after it. It runs in the background so that a trapped
# signal interrupts the wait for it, with the script's input and with INT and
# QUIT as the script got them.
run=("$@")
[ -z "$xvfb" ] || run=(env "PATH=$xvfb:$PATH" xvfb-run -a -f "$dir/Xauthority" "$@")
(
    trap - INT QUIT
    [ -z "$sim" ] || export VELMORA_COM1="$link"
    exec "${run[@]}"
) <&0 &
progpid=$!
started "$progpid" progstart
# A signal that came before the program's number was known.
[ -z "$got" ] || hand_on "$got"
signalled=""
status=""
while mine "$progpid" "$progstart"; do
    if [ -z "$got" ]; then
        # A wait that no trap cut short returns the program's own status.
        waited=0
        wait "$progpid" || waited=$?
        [ -n "$got" ] || status=$waited
        continue
    fi
    # A program that a signal has not ended within 3 s is killed.
    ms now
    if [ -z "$signalled" ]; then
        signalled=$now
    elif [ "$signalled" != killed ] && [ $((now - signalled)) -ge 3000 ]; then
        hand_on KILL
        signalled=killed
    fi
    pause
done
# Otherwise its status as bash keeps it, when bash still does.
if [ -z "$status" ]; then
    status=0
    wait "$progpid" || status=$?
fi
finish "$status"
