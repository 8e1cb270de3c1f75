#!/usr/bin/env bash
# The real-time graph's processor use in the three conditions users meet,
# each as the share of one core (user + system time from /proc over the
# whole run), on a virtual display:
#
#   1. recording at 0.1 s, 0 -> 2300 readings: the graph and its time strip
#      in a window (build/bench/GraphLoad), fed ten readings a second;
#   2. stopped with a full store on screen: the same window holding 40000
#      readings for 60 s; then the program itself, stopped, for 60 s while
#      the simulated meter streams (its panel repaints what changed);
#   3. a fast fill: the window fed 200 readings a second for 60 s.
#
#   scripts/measure-cpu.sh            all three rows
#   scripts/measure-cpu.sh 2          one row
#
# For the minute-by-minute picture of a whole 95-minute recording in the
# program, see scripts/measure-graph-cpu.sh. Needs xvfb (and xdotool for the
# program's row). VEXALOG_XVFB picks the display number (default 93).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
rows="${1:-1 2 3}"
start_display 93 1024x768x24
load="$build/bench/GraphLoad"
[ -x "$load" ] || { echo "build $load first (cmake --build build --target GraphLoad)" >&2; exit 1; }

last() { tail -n 1 | sed 's/^total //'; }

for row in $rows; do
    case "$row" in
    1)
        echo "recording at 0.1 s, 0 -> 2300 readings:   $("$load" record 10 0 2300 | last)"
        ;;
    2)
        echo "stopped, full store (40000) on screen:    $("$load" idle 60 | last)"
        start_meter --level street
        start_program >/dev/null 2>&1
        find_window LX47 >/dev/null
        sleep 5
        ticks=$(getconf CLK_TCK)
        before=$(awk '{ print $14 + $15 }' "/proc/$app/stat")
        t0=$(date +%s.%N)
        sleep 60
        after=$(awk '{ print $14 + $15 }' "/proc/$app/stat")
        t1=$(date +%s.%N)
        awk -v b="$before" -v a="$after" -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
            'BEGIN { printf "stopped, program with the meter streaming: CPU%% %.2f over %.1f s\n", 100 * (a - b) / hz / (t1 - t0), t1 - t0 }'
        stop_program
        ;;
    3)
        echo "readings arriving at 200/s (a fast fill): $("$load" record 200 0 12000 | last)"
        ;;
    *)
        echo "no row $row (1, 2 or 3)" >&2
        exit 2
        ;;
    esac
done
