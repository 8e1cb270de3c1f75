#!/usr/bin/env bash
# Measures the program's processor use while it records at the fastest
# sampling interval (0.1 s) from the simulated meter, on a virtual display,
# with the real-time graph on screen. Prints, for every minute, the share of
# one core the program used in that minute (user + system time from
# /proc/<pid>/stat), and every ten minutes keeps a screenshot whose DataNo.
# field tells the readings recorded so far. The simulated meter's stream
# gives about 7 readings a second at 0.1 s, so the store reaches its 40000
# readings after about 95 minutes; the minutes before show the graph with a
# full store, the minutes after it the end of monitoring.
#
#   scripts/measure-graph-cpu.sh [minutes]      (default 100)
#
# Needs xvfb and xdotool. VEXALOG_XVFB picks the display number (default 92).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
minutes="${1:-100}"
start_display 92 1024x768x24

start_meter --level street
start_program >/dev/null 2>&1
main_window >/dev/null
sleep 3
# Sampling Rate 0.1 (the box's first item), then Run on the toolbar.
xdotool mousemove 545 114 click 1 sleep 0.5 key Home sleep 0.2 key Return sleep 0.5
xdotool mousemove 107 34 click 1

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
echo "minute  cpu%"
for m in $(seq 1 "$minutes"); do
    before=$(cpu)
    t0=$(date +%s.%N)
    sleep 60
    after=$(cpu)
    t1=$(date +%s.%N)
    awk -v m="$m" -v b="$before" -v a="$after" -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
        'BEGIN { printf "%6d  %5.2f\n", m, 100 * (a - b) / hz / (t1 - t0) }'
    if [ "$m" -eq "$minutes" ] || [ $((m % 10)) -eq 0 ]; then
        import -window root -crop 820x620+0+0 "${VEXALOG_CPU_SHOT:-/tmp}/graph-cpu-minute-$m.png" 2>/dev/null || true
    fi
done
