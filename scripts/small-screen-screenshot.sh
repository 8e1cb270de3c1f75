#!/usr/bin/env bash
# Takes docs/small-screen-800x600.png: the whole of an 800x600 virtual screen
# with the main window and, in front of it, the DataLogger window after a
# download from the simulated meter, both inside the screen and scrolling over
# the parts of their forms they cannot show. Needs xvfb, xdotool and
# imagemagick (apt-get install them).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
out="$here/docs"
mkdir -p "$out"
start_display 96 800x600x24

start_meter --level street --logger 4x300@2
# A settings folder of its own: no place remembered from an earlier run.
start_program XDG_CONFIG_HOME="$work/config"
main=$(find_window LX47)
sleep 3                                             # connected, the display mirrored
xdotool mousemove --window "$main" 150 8 click 1    # DataLogger on the menu bar
logger=$(find_window DataLogger)
sleep 6                                             # the reply at the line's pace
eval "$(xdotool getwindowgeometry --shell "$logger")"
echo "DataLogger window at ${X},${Y}, ${WIDTH}x${HEIGHT}"
# The list's third row opened by a double click.
xdotool mousemove $(( X + 60 )) $(( Y + 90 )) click --repeat 2 --delay 80 1
sleep 1
import -window root "$out/small-screen-800x600.png"
echo "screenshot in $out/small-screen-800x600.png"
