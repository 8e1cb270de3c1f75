#!/usr/bin/env bash
# Measures the program's processor use while it records at the fastest
# sampling interval (0.1 s) from the simulated meter, on a virtual display,
# with the real-time graph on screen. Prints, for every minute, the readings
# recorded so far (read from the simulator's clock: about 10 a second) and the
# share of one core the program used in that minute (user + system time from
# /proc/<pid>/stat). The store fills to 40000 readings in a little over an
# hour; the last minutes show the graph with a full store.
#
#   scripts/measure-graph-cpu.sh [minutes]      (default 70)
#
# Needs xvfb and xdotool. VEXALOG_XVFB picks the display number (default 92).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEXALOG_BUILD:-$here/build}"
minutes="${1:-70}"
display=":${VEXALOG_XVFB:-92}"
work="$(mktemp -d)"

Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
sim=""
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY="$display"
sleep 1

"$build/tools/lx47sim" --link "$work/tty" --level street --exit-with-parent <&- >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 50); do grep -q '^DEVICE ' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
printf '[Port Devices]\n1=%s\n' "$work/tty" >"$work/TempPort.ini"
(cd "$work" && exec "$build/app/vexalog" --port 1) >/dev/null 2>&1 &
app=$!

for _ in $(seq 50); do xdotool search --name '^LX47$' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 3
# Sampling Rate 0.1 (the box's first item), then Run on the toolbar.
xdotool mousemove 545 114 click 1 sleep 0.5 key Home sleep 0.2 key Return sleep 0.5
xdotool mousemove 107 34 click 1

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
start=$(date +%s)
echo "minute  readings(approx)  cpu%"
for m in $(seq 1 "$minutes"); do
    before=$(cpu)
    t0=$(date +%s.%N)
    sleep 60
    after=$(cpu)
    t1=$(date +%s.%N)
    awk -v m="$m" -v b="$before" -v a="$after" -v t0="$t0" -v t1="$t1" -v hz="$ticks" -v s="$start" \
        'BEGIN { printf "%6d  %16d  %5.2f\n", m, (t1 - s) * 10, 100 * (a - b) / hz / (t1 - t0) }'
    if [ "$m" -eq "$minutes" ] || [ $((m % 10)) -eq 0 ]; then
        import -window root -crop 820x620+0+0 "${VEXALOG_CPU_SHOT:-/tmp}/graph-cpu-minute-$m.png" 2>/dev/null || true
    fi
done
