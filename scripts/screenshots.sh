#!/usr/bin/env bash
# Takes the screenshots in docs/: the main window on a virtual display, once
# with no meter (the unlit face) and once on the simulated meter while
# recording. Needs xvfb, xdotool and imagemagick (apt-get install them).
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

shoot() { # name
    local window
    for _ in $(seq 50); do
        window=$(xdotool search --name '^LX47$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
        sleep 0.2
    done
    sleep "${SETTLE:-2}"
    import -window root -crop 820x620+0+0 "$out/$1.png"
}

# No meter: an empty working folder, so no port is remembered.
empty="$(mktemp -d)"
(cd "$empty" && "$build/app/vexalog") &
app=$!
shoot main-window-not-connected
kill $app; wait $app 2>/dev/null || true
rm -rf "$empty"

# The simulated meter, recording.
VEXALOG_DEMO=1 VEXALOG_SIM_LEVEL="street" VEXALOG_BUILD="$build" "$here/scripts/run.sh" >/dev/null 2>&1 &
demo=$!
SETTLE=2 shoot main-window-connected-idle
xdotool mousemove 107 34 click 1 # Run on the toolbar
SETTLE=8 shoot main-window-connected
pkill -f "$build/app/vexalog" || true
wait $demo 2>/dev/null || true
echo "screenshots in $out"
