#!/usr/bin/env bash
# Runs a command with two busy loops beside it, as on a machine where others
# build at the same time; the loops stop when the command ends or is
# interrupted. Without a command the loops run until Ctrl-C.
#
#   scripts/load.sh ctest --test-dir build -j2 --repeat until-fail:10 --output-on-failure
set -uo pipefail

loops=()
command_pid=""
stop_loops() {
    for pid in "${loops[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${loops[@]}"; do
        wait "$pid" 2>/dev/null
    done
    loops=()
}
interrupted() {
    [ -n "$command_pid" ] && kill -"$1" "$command_pid" 2>/dev/null && wait "$command_pid" 2>/dev/null
    exit "$2"
}
trap stop_loops EXIT
trap 'interrupted INT 130' INT
trap 'interrupted TERM 143' TERM

for _ in 1 2; do
    bash -c 'while :; do :; done' &
    loops+=("$!")
done
echo "load.sh: busy loops ${loops[*]}" >&2

if [ "$#" -eq 0 ]; then
    set -- sleep infinity
fi
# In the background, so a signal reaches the traps at once.
"$@" &
command_pid=$!
wait "$command_pid"
