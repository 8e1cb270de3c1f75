#!/usr/bin/env bash
# Downloads the simulated meter's data logger again and again through
# vexalog-cli while busy loops keep the processors loaded, and counts how
# many downloads brought every set. A download that exits 0 with fewer sets
# than the meter holds is a silent loss, the fault this script hunts.
#
#   scripts/download-stress.sh [downloads] [busy-loops] [build-dir]
#                              (default 50 downloads, 2 busy loops, build/)
#
# The meter holds `cases,110x3` (118 sets) and answers at the line's pace.
# VEXALOG_STRESS_LOGGER and VEXALOG_STRESS_SETS choose another logger.
set -uo pipefail
runs="${1:-50}"
loops="${2:-2}"
build="${3:-$(dirname "$0")/../build}"
logger="${VEXALOG_STRESS_LOGGER:-cases,110x3}"
expected_sets="${VEXALOG_STRESS_SETS:-118}"
sim="$build/tools/lx47sim"
cli="$build/tools/vexalog-cli"
for tool in "$sim" "$cli"; do
    [ -x "$tool" ] || { echo "no $tool: build lx47sim and vexalog-cli first" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/vexalog-stress.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The simulator reads commands on its stdin: a fifo held open keeps it running.
mkfifo "$work/sim.in"
"$sim" --link "$work/tty" --logger "$logger" --dump paced --level const:64.2 \
    <"$work/sim.in" >"$work/sim.out" 2>&1 &
pids+=($!)
exec 3>"$work/sim.in"
for _ in $(seq 1 50); do [ -e "$work/tty" ] && break; sleep 0.1; done
[ -e "$work/tty" ] || { echo "the simulator did not start" >&2; cat "$work/sim.out" >&2; exit 2; }

for _ in $(seq 1 "$loops"); do
    ( while :; do :; done ) &
    pids+=($!)
done

complete=0 silent=0 reported=0
for i in $(seq 1 "$runs"); do
    out="$work/run-$i"
    "$cli" download --device "$work/tty" --out "$out" >"$out.log" 2>&1
    code=$?
    sets=$(find "$out" -name 'set-*.txt' 2>/dev/null | wc -l)
    if [ "$code" -eq 0 ] && [ "$sets" -eq "$expected_sets" ]; then
        complete=$((complete + 1))
        verdict=complete
    elif [ "$code" -eq 0 ]; then
        silent=$((silent + 1))
        verdict="SILENT LOSS ($sets sets, exit 0)"
    else
        reported=$((reported + 1))
        verdict="reported (exit $code, $sets sets): $(grep -m1 'vexalog-cli download:' "$out.log")"
    fi
    printf '%3d  %s\n' "$i" "$verdict"
    rm -rf "$out" "$out.log"
done
echo "downloads: $runs  complete: $complete  reported as failed: $reported  silent losses: $silent" \
     "(busy loops: $loops, logger $logger)"
[ "$silent" -eq 0 ] && [ "$complete" -eq "$runs" ]
