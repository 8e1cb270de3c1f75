# Sourced by the scripts that drive the program on a virtual display (the
# screenshots, the printouts, the processor measurement): a working folder,
# Xvfb, the simulated meter on Com1 and the program, all stopped on exit.
# VEXALOG_XVFB picks the display number (each script has its default),
# VEXALOG_BUILD the build folder.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${VEXALOG_BUILD:-$here/build}"
work="$(mktemp -d)"
xvfb=""
sim=""
app=""
stop_all() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap stop_all EXIT

start_display() { # default display number, screen size (WxHxD)
    export DISPLAY=":${VEXALOG_XVFB:-$1}"
    Xvfb "$DISPLAY" -screen 0 "$2" >/dev/null 2>&1 &
    xvfb=$!
    # Ready once it answers, however busy the machine is.
    for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
}

find_window() { # title: waits for a shown window of that title and prints its id
    local id=""
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.2
    done
    echo "$id"
}

main_window() { # waits for the main window, moves it to the screen's top left corner, prints its id
    # The program centres its window on the screen; the scripts' coordinates
    # are measured from the corner.
    local id
    id=$(find_window LX47)
    [ -n "$id" ] && xdotool windowmove --sync "$id" 0 0 >/dev/null 2>&1 || true
    echo "$id"
}

start_meter() { # lx47sim options: the simulated meter, and Com1 pointed at it
    "$build/tools/lx47sim" --link "$work/tty" "$@" --exit-with-parent <&- >"$work/sim.out" 2>&1 &
    sim=$!
    for _ in $(seq 50); do grep -q '^DEVICE ' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
    printf '[Port Devices]\n1=%s\n' "$work/tty" >"$work/TempPort.ini"
}

start_program() { # [NAME=value ...]: the program on Com1 in the working folder
    (cd "$work" && exec env "$@" "$build/app/vexalog" --port 1) &
    app=$!
}

stop_program() {
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=""
}
