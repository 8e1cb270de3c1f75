#!/usr/bin/env bash
# Renders the two printouts into docs/ (pdftoppm, 60 dpi): the real-time
# graph printed by File > Print through the print dialog's PDF file target
# on a virtual display, after two and a half minutes' recording from the
# simulated meter and a zoom into its first page; and a minute of readings
# recorded by vexalog-cli, printed as a record set by vexalog-cli print.
# Needs xvfb, xdotool and poppler-utils. VEXALOG_XVFB picks the display
# number (default 97).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
out="$here/docs"
mkdir -p "$out"
start_display 97 1024x768x24

start_meter --level street
# The print dialog offers print.pdf in the working folder when that lies in
# the home folder.
start_program HOME="$work"
main=$(main_window)
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
stop_program

"$build/tools/vexalog-cli" record --device "$work/tty" --interval 0.2 --count 300 --out "$work/street.txt"
"$build/tools/vexalog-cli" print "$work/street.txt" --pdf "$work/set.pdf"
pdftoppm -r 60 -png -singlefile "$work/set.pdf" "$out/printout-datalogger"
echo "printouts in $out/printout-real-time.png and $out/printout-datalogger.png"
