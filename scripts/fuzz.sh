#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# SECONDS (60 by default, or FUZZ_SECONDS), starting from the seed corpora in
# fuzz/corpus/. What a run learns stays in build-fuzz/corpus/; a crash, a hang
# or a leak is kept in build-fuzz/findings/TARGET/ and makes the script fail.
# FUZZ_TARGETS names some targets only (their corpus folders, blank-separated);
# CCACHE_DISABLE=1 builds without the compiler cache.
#
#   scripts/fuzz.sh                            # a minute each
#   scripts/fuzz.sh 5                          # every target a few seconds, as CI runs them
#   FUZZ_TARGETS="data_file sql_statement" scripts/fuzz.sh 300
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-${FUZZ_SECONDS:-60}}"
case "$seconds" in
    ""|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac
build="$here/build-fuzz"
jobs="${FUZZ_JOBS:-2}"

if [ ! -f "$build/CMakeCache.txt" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DVEXALOG_FUZZ=ON -DVEXALOG_BUILD_TESTS=OFF -DVEXALOG_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
fi
started=$SECONDS
nice cmake --build "$build" -j "$jobs" --target fuzz
echo "fuzz: built in $((SECONDS - started)) s"

failed=()
for seeds in "$here"/fuzz/corpus/*/; do
    name="$(basename "$seeds")"
    if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $name "* ]]; then
        continue
    fi
    target="$build/fuzz/fuzz_$name"
    corpus="$build/corpus/$name"
    findings="$build/findings/$name"
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$name: $seconds s"
    if ! (cd "$findings" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
          "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
          -artifact_prefix="$findings/" "$corpus" "$seeds" 2>"$findings/log.txt"); then
        failed+=("$name")
        tail -n 40 "$findings/log.txt"
    else
        grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)" "$findings/log.txt" || true
    fi
done

if [ "${#failed[@]}" -ne 0 ]; then
    echo "fuzz: findings in ${failed[*]} (see $build/findings/)" >&2
    exit 1
fi
echo "fuzz: no findings"
