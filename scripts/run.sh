#!/usr/bin/env bash
# Starts Vexalog. With a USB serial adapter plugged in (/dev/ttyUSB*, /dev/ttyACM*)
# the program opens the port remembered in ./TempPort.ini as usual. Without one
# it starts the simulated LX47 on a pseudo-terminal, points Com1 at it in a demo
# folder of its own (build/demo, so your own TempPort.ini is left alone) and
# starts the program on Com1. Extra arguments go to the program (e.g. --port 3).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEXALOG_BUILD:-$here/build}"
program="$build/app/vexalog"
[ -x "$program" ] || "$here/scripts/build.sh" "$build"

# VEXALOG_DEMO=1 asks for the simulated meter even with an adapter plugged in.
if [ -z "${VEXALOG_DEMO:-}" ] && { compgen -G "/dev/ttyUSB*" || compgen -G "/dev/ttyACM*"; } >/dev/null; then
    exec "$program" "$@"
fi

demo="$build/demo"
mkdir -p "$demo"
link="$demo/lx47sim-tty"
out="$demo/lx47sim.out"
"$build/tools/lx47sim" --link "$link" --level "${VEXALOG_SIM_LEVEL:-street}" --exit-with-parent \
    <&- >"$out" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    grep -q '^DEVICE ' "$out" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q '^DEVICE ' "$out"; then
    echo "the simulated meter did not start:" >&2
    cat "$out" >&2
    exit 1
fi
printf '[Port Devices]\n1=%s\n' "$link" >"$demo/TempPort.ini"
echo "simulated LX47 on $link (Com1); the meter's display is mirrored on the left of the window"
cd "$demo"
"$program" --port 1 "$@"
