#!/usr/bin/env bash
# Renders the two printouts into docs/ (pdftoppm, 60 dpi): the real-time
# graph printed by File > Print through the print dialog's PDF file target
# on a virtual display, after two and a half minutes' recording from the
# simulated meter and a zoom into its first page; and a minute of readings
# recorded by vexalog-cli, printed as a record set by vexalog-cli print.
# Needs xvfb, xdotool and poppler-utils. VEXALOG_XVFB picks the display
# number (default 97).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEXALOG_BUILD:-$here/build}"
out="$here/docs"
mkdir -p "$out"
display=":${VEXALOG_XVFB:-97}"
work="$(mktemp -d)"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb ${sim:-} ${app:-} 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY="$display"
sleep 1

find_window() { # name
    local id=""
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.2
    done
    echo "$id"
}

"$build/tools/lx47sim" --link "$work/tty" --level street --exit-with-parent <&- >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 50); do grep -q '^DEVICE ' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
printf '[Port Devices]\n1=%s\n' "$work/tty" >"$work/TempPort.ini"
# The print dialog offers print.pdf in the working folder when that lies in
# the home folder.
(cd "$work" && HOME="$work" exec "$build/app/vexalog" --port 1) &
app=$!
main=$(find_window LX47)
sleep 3
xdotool mousemove 107 34 click 1          # Run on the toolbar
sleep 150                                 # 300 readings, more than a page
xdotool mousemove 130 34 click 1          # Stop
sleep 1
# A drag over the graph's whole height at its left edge: its first page.
gx=206
gy=156
xdotool mousemove $((gx + 31)) $((gy + 1)) mousedown 1 sleep 0.2 \
    mousemove $((gx + 50)) $((gy + 150)) sleep 0.2 mousemove $((gx + 60)) $((gy + 278)) sleep 0.2 mouseup 1
sleep 1
xdotool windowfocus --sync "$main" key --delay 200 alt+f p   # File > Print
dialog=$(find_window Print)
[ -n "$dialog" ] || { echo "no print dialog" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$dialog" key Return
for _ in $(seq 50); do [ -s "$work/print.pdf" ] && break; sleep 0.2; done
pdftoppm -r 60 -png -singlefile "$work/print.pdf" "$out/printout-real-time"
kill "$app"; wait "$app" 2>/dev/null || true
app=""

"$build/tools/vexalog-cli" record --device "$work/tty" --interval 0.2 --count 300 --out "$work/street.txt"
"$build/tools/vexalog-cli" print "$work/street.txt" --pdf "$work/set.pdf"
pdftoppm -r 60 -png -singlefile "$work/set.pdf" "$out/printout-datalogger"
echo "printouts in $out/printout-real-time.png and $out/printout-datalogger.png"
