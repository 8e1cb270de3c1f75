#!/usr/bin/env bash
# Takes the screenshots in docs/: the main window on a virtual display, once
# with no meter (the unlit face), with its Real-Time Setup and port dialogs,
# and once on the simulated meter while recording. Needs xvfb, xdotool and
# imagemagick (apt-get install them). VEXALOG_XVFB picks the display number.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEXALOG_BUILD:-$here/build}"
out="$here/docs"
mkdir -p "$out"
display=":${VEXALOG_XVFB:-97}"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display"
sleep 1

window() { # title: waits for a window of that title and prints its id
    local id=""
    for _ in $(seq 50); do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.2
    done
    echo "$id"
}

shoot() { # name
    window LX47 >/dev/null
    sleep "${SETTLE:-2}"
    import -window root -crop 820x620+0+0 "$out/$1.png"
}

keys() { # keys typed into the main window
    xdotool windowfocus --sync "$(window LX47)"
    xdotool key --delay 150 "$@"
}

shoot_dialog() { # title name
    local id
    id=$(window "$1")
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; return 1; }
    sleep 1
    import -window "$id" "$out/$2.png"
    xdotool windowfocus --sync "$id" key Escape
    sleep 0.5
}

# No meter: an empty working folder, so no port is remembered.
empty="$(mktemp -d)"
(cd "$empty" && exec "$build/app/vexalog") &
app=$!
shoot main-window-not-connected
keys alt+r u # Real Time > Setup
shoot_dialog "Real-Time Setup" setup-dialog
keys alt+c Up Return # Com Port > Other
shoot_dialog Port port-dialog
kill $app; wait $app 2>/dev/null || true
rm -rf "$empty"

# The simulated meter, recording.
VEXALOG_DEMO=1 VEXALOG_SIM_LEVEL="street" VEXALOG_BUILD="$build" "$here/scripts/run.sh" >/dev/null 2>&1 &
demo=$!
SETTLE=2 shoot main-window-connected-idle
xdotool mousemove 107 34 click 1 # Run on the toolbar
SETTLE=8 shoot main-window-connected
# The program of the demo, by the process that owns its window.
kill "$(xdotool getwindowpid "$(window LX47)")" 2>/dev/null || true
wait $demo 2>/dev/null || true
echo "screenshots in $out"
