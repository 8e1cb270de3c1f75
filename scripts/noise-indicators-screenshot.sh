#!/usr/bin/env bash
# Takes docs/noise-indicators.png: the main window on a virtual display with
# View > Noise Indicators open beside the form, after recording the
# simulated meter's street for a while, zoomed in with cursors A and B; then
# docs/noise-indicators-datalogger.png: the DataLogger window after a
# download, a set opened with its cursors, and its own panel open.
# Needs xvfb, xdotool and imagemagick (apt-get install them). VEXALOG_XVFB
# picks the display number (default 96).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
out="$here/docs"
mkdir -p "$out"
start_display 96 1600x1000x24

start_meter --level street --logger 4x300@2
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

xdotool mousemove 150 8 click 1           # DataLogger on the main window's menu bar
logger=$(find_window DataLogger)
sleep 6                                   # the reply at the line's pace
eval "$(xdotool getwindowgeometry --shell "$logger")"
top=$(( Y + HEIGHT - 581 ))               # the 918 x 581 form under the window's menu bar
click() { xdotool mousemove "$1" "$2" click --repeat "$3" --delay 80 1; }
click $(( X + 60 )) $(( top + 68 )) 1     # the third set: a click, then a double click
click $(( X + 60 )) $(( top + 68 )) 2
sleep 1
lx=$(( X + 219 )); ly=$(( top + 116 ))    # the graph in the form: cursors A and B
click $(( lx + 150 )) $(( ly + 150 )) 2
sleep 0.5
click $(( lx + 420 )) $(( ly + 150 )) 2
sleep 0.5
xdotool windowfocus --sync "$logger" key --delay 200 alt+v n   # View > Noise Indicators
xdotool mousemove 1500 900
sleep 2
import -window "$logger" "$out/noise-indicators-datalogger.png"
echo "screenshots in $out/noise-indicators.png and $out/noise-indicators-datalogger.png"
