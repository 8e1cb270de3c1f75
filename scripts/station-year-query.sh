#!/usr/bin/env bash
# Fills a station database with a year of 1 s readings (31,536,000 rows; about
# 2.5 GB) and times a query of one hour of them, as SQL alone and as
# `vexalog-cli query --json`. ROWS=86400 makes it a day; DB=FILE keeps the file.
#   scripts/station-year-query.sh [build folder]
set -euo pipefail
build="${1:-build}"
cli="$build/tools/vexalog-cli"
rows="${ROWS:-31536000}"
folder="$(mktemp -d "${TMPDIR:-/tmp}/vexalog-year.XXXXXX")"
db="${DB:-$folder/year.sqlite}"
trap 'rm -rf "$folder"' EXIT

# The readings table as the station makes it (README: the schema).
sqlite3 "$db" <<'SQL'
PRAGMA journal_mode=WAL;
CREATE TABLE IF NOT EXISTS readings(station TEXT NOT NULL, t_utc TEXT NOT NULL, meter_time TEXT,
 level REAL NOT NULL, unit TEXT NOT NULL, response TEXT, flags TEXT NOT NULL DEFAULT '',
 PRIMARY KEY(station, t_utc)) WITHOUT ROWID;
SQL
echo "filling $db with $rows readings..."
start=$(date +%s)
sqlite3 "$db" <<SQL
PRAGMA synchronous=OFF;
PRAGMA cache_size=-262144;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < $rows)
INSERT INTO readings(station, t_utc, meter_time, level, unit, response, flags)
SELECT 'roof', strftime('%Y-%m-%dT%H:%M:%f', 1767225600 + i, 'unixepoch') || 'Z',
       strftime('%H:%M:%S', 1767225600 + i, 'unixepoch'), 45.0 + (i * 7919 % 500) / 10.0, 'dBA', 'FAST', ''
FROM n;
SQL
echo "filled in $(( $(date +%s) - start )) s; $(du -h "$db" | cut -f1)"

# One hour in the middle of the year (or of what was filled).
middle=$(( 1767225600 + rows / 2 ))
from=$(date -u -d "@$middle" +%Y-%m-%dT%H:00:00Z)
to=$(date -u -d "@$(( middle + 3600 ))" +%Y-%m-%dT%H:00:00Z)
echo "one hour, $from .. $to:"
for i in 1 2 3; do
    printf '.timer on\nSELECT count(*), avg(level) FROM readings WHERE station = '"'roof'"' AND t_utc >= '"'%s'"' AND t_utc < '"'%s'"';\n' \
        "$from" "$to" | sqlite3 "$db" | tr '\n' ' '
    echo
done
for i in 1 2 3; do
    /usr/bin/time -f "vexalog-cli query --json: %e s wall, %M KB" "$cli" query --db "$db" --station roof --from "$from" --to "$to" --json | wc -l
done
