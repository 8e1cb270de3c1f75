#!/usr/bin/env bash
# Takes docs/noise-indicators.png: the main window on a virtual display with
# View > Noise Indicators open beside the form, after recording the
# simulated meter's street for a while, zoomed in with cursors A and B.
# Needs xvfb, xdotool and imagemagick (apt-get install them). VEXALOG_XVFB
# picks the display number (default 96).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
out="$here/docs"
mkdir -p "$out"
start_display 96 1600x1000x24

start_meter --level street
start_program
main=$(main_window)
sleep 3                                   # connected, the display mirrored
xdotool windowfocus --sync "$main" key --delay 200 alt+v n   # View > Noise Indicators
sleep 1
xdotool mousemove 107 34 click 1          # Run on the toolbar
sleep "${RECORD:-45}"
xdotool mousemove 130 34 click 1          # Stop
sleep 1
# The graph's top-left corner on the screen, as in screenshots.sh: a drag
# into the first page of readings, then cursor A on reading 20 and B on 80.
gx=206
gy=156
xdotool mousemove $((gx + 31)) $((gy + 84)) mousedown 1 sleep 0.2 \
    mousemove $((gx + 60)) $((gy + 170)) sleep 0.2 mousemove $((gx + 90)) $((gy + 251)) sleep 0.2 mouseup 1
sleep 1
xdotool mousemove $((gx + 30 + 2 * 20)) $((gy + 150)) click --repeat 2 --delay 60 1
sleep 0.5
xdotool mousemove $((gx + 30 + 2 * 80)) $((gy + 150)) click --repeat 2 --delay 60 1
xdotool mousemove 1500 900
sleep 1
import -window "$main" "$out/noise-indicators.png"
echo "screenshot in $out/noise-indicators.png"
