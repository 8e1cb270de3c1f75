#!/usr/bin/env bash
# Starts STATIONS (50) stations on simulated meters against one mosquitto
# broker and one collector for DURATION (300) seconds, intervals of PERIOD
# (10) seconds, then stops them and reports the intervals sent (acknowledged
# by the broker), received by the collector, lost (sent but not in the
# collector's database: must be 0), and the collector's lag: how long after
# the stations stopped it held every one.
#   scripts/station-fleet.sh [build folder]
set -euo pipefail
build="${1:-build}"
cli="$build/tools/vexalog-cli"
sim="$build/tools/lx47sim"
stations="${STATIONS:-50}"
duration="${DURATION:-300}"
period="${PERIOD:-10}"
folder="$(mktemp -d "${TMPDIR:-/tmp}/vexalog-fleet.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$folder"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\nmax_queued_messages 100000\n' "$port" > "$folder/mosquitto.conf"
mosquitto -c "$folder/mosquitto.conf" > "$folder/mosquitto.log" 2>&1 &
broker=$!; pids+=("$broker")
sleep 1
"$cli" collect --mqtt "127.0.0.1:$port" --db "$folder/central.sqlite" > "$folder/collect.log" 2>&1 &
collector=$!; pids+=("$collector")

station_pids=()
for i in $(seq 1 "$stations"); do
    "$sim" --link "$folder/tty$i" --seed "$i" < /dev/null > "$folder/sim$i.log" 2>&1 &
    pids+=("$!")
done
sleep 2
for i in $(seq 1 "$stations"); do
    "$cli" log --device "$folder/tty$i" --db "$folder/s$i.sqlite" --station "s$i" --period "$period" \
        --mqtt "127.0.0.1:$port" > "$folder/log$i.log" 2>&1 &
    station_pids+=("$!"); pids+=("$!")
done
echo "$stations stations logging for $duration s, periods of $period s, broker on port $port"
sleep "$duration"
kill -TERM "${station_pids[@]}"
wait "${station_pids[@]}" || true
stopped=$(date +%s.%N)

sent=0
for i in $(seq 1 "$stations"); do
    n=$(sqlite3 "$folder/s$i.sqlite" "SELECT count(*) FROM intervals WHERE published = 1")
    sent=$(( sent + n ))
done
lag="not caught up within 120 s"
for _ in $(seq 1 1200); do
    received=$(sqlite3 "$folder/central.sqlite" "SELECT count(*) FROM intervals" 2>/dev/null || echo 0)
    if [ "$received" -ge "$sent" ]; then
        lag=$(awk "BEGIN { printf \"%.1f s\", $(date +%s.%N) - $stopped }")
        break
    fi
    sleep 0.1
done
lost=0
for i in $(seq 1 "$stations"); do
    n=$(sqlite3 "$folder/central.sqlite" "ATTACH '$folder/s$i.sqlite' AS s; SELECT count(*) FROM s.intervals i
        WHERE i.published = 1 AND NOT EXISTS (SELECT 1 FROM main.intervals c
        WHERE c.station = i.station AND c.start_utc = i.start_utc)")
    lost=$(( lost + n ))
done
kill -INT "$collector"; wait "$collector" || true
echo "intervals sent (acknowledged): $sent"
echo "intervals received by the collector: $(sqlite3 "$folder/central.sqlite" "SELECT count(*) FROM intervals")"
echo "lost: $lost"
echo "collector lag after the stations stopped: $lag"
tail -1 "$folder/collect.log"
