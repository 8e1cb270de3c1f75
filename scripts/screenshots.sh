#!/usr/bin/env bash
# Takes the screenshots in docs/: the main window on a virtual display, once
# with no meter (the unlit face) with its Real-Time Setup and port dialogs,
# then on the simulated meter: connected and idle, recording (the graph's
# overview), and zoomed in with cursors A and B.
# Needs xvfb, xdotool and imagemagick (apt-get install them). VEXALOG_XVFB
# picks the display number (default 97).
set -euo pipefail
. "$(dirname "$0")/lib/virtual-display.sh"
out="$here/docs"
mkdir -p "$out"
start_display 97 1024x768x24

shoot() { # name
    main_window >/dev/null
    sleep "${SETTLE:-2}"
    import -window root -crop 820x620+0+0 "$out/$1.png"
}

keys() { # keys typed into the main window
    xdotool windowfocus --sync "$(find_window LX47)"
    xdotool key --delay 150 "$@"
}

shoot_dialog() { # title name
    local id
    id=$(find_window "$1")
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; return 1; }
    sleep 1
    import -window "$id" "$out/$2.png"
    xdotool windowfocus --sync "$id" key Escape
    sleep 0.5
}

# No meter: an empty working folder, so no port is remembered.
mkdir "$work/empty"
(cd "$work/empty" && exec "$build/app/vexalog") &
app=$!
shoot main-window-not-connected
keys alt+r u # Real Time > Setup
shoot_dialog "Real-Time Setup" setup-dialog
keys alt+c Up Return # Com Port > Other
shoot_dialog Port port-dialog
stop_program

# The simulated meter on Com1, in a folder of its own.
start_meter --level street
start_program
SETTLE=3 shoot main-window-connected-idle

# Recording for a minute: the overview.
xdotool mousemove 107 34 click 1 # Run on the toolbar
SETTLE=60 shoot main-window-connected

# The graph's top-left corner on the screen: the form's control 1011 under
# the menu bar and the toolbar.
gx=206
gy=156
# A drag from 100 dB down to 40 dB starting near the run's beginning, then
# cursor A on reading 20 and cursor B on reading 80 of the page.
xdotool mousemove $((gx + 31)) $((gy + 84)) mousedown 1 sleep 0.2 \
    mousemove $((gx + 60)) $((gy + 170)) sleep 0.2 mousemove $((gx + 90)) $((gy + 251)) sleep 0.2 mouseup 1
sleep 1
xdotool mousemove $((gx + 30 + 2 * 20)) $((gy + 150)) click --repeat 2 --delay 60 1
sleep 0.5
xdotool mousemove $((gx + 30 + 2 * 80)) $((gy + 150)) click --repeat 2 --delay 60 1
xdotool mousemove 800 600
SETTLE=1 shoot main-window-zoom-cursors
echo "screenshots in $out"
