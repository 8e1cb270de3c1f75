#!/usr/bin/env bash
# Takes docs/datalogger-window.png: the DataLogger window on a virtual
# display after a download from the simulated meter, with a set opened,
# zoomed into and its two cursors placed. Needs xvfb, xdotool and
# imagemagick (apt-get install them).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
out="$here/docs"
mkdir -p "$out"
start_display 97 1280x1024x24

# The simulated meter with four sets of 300 readings 2 seconds apart.
start_meter --level street --logger 4x300@2
start_program
main=$(main_window)
sleep 3                                   # connected, the display mirrored
xdotool mousemove 150 8 click 1           # DataLogger on the main window's menu bar
logger=$(find_window DataLogger)
sleep 6                                   # the reply at the line's pace
eval "$(xdotool getwindowgeometry --shell "$logger")"
top=$(( Y + HEIGHT - 581 ))               # the 918 x 581 form under the window's menu bar
click() { xdotool mousemove "$1" "$2" click --repeat "$3" --delay 80 1; }
# The list's third row: a click, then a double click.
click $(( X + 60 )) $(( top + 68 )) 1
click $(( X + 60 )) $(( top + 68 )) 2
sleep 1
# The graph stands at (219, 116) in the form: a drag down and right, then cursors A and B.
gx=$(( X + 219 )); gy=$(( top + 116 ))
xdotool mousemove $(( gx + 200 )) $(( gy + 60 )) mousedown 1 mousemove $(( gx + 300 )) $(( gy + 120 )) sleep 0.2 \
    mousemove $(( gx + 420 )) $(( gy + 230 )) sleep 0.2 mouseup 1
sleep 1
click $(( gx + 150 )) $(( gy + 150 )) 2
sleep 0.5
click $(( gx + 420 )) $(( gy + 150 )) 2
sleep 1
import -window "$logger" "$out/datalogger-window.png"
echo "screenshot in $out/datalogger-window.png"
