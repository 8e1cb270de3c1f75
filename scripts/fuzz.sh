#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# SECONDS (60 by default), starting from the seed corpora in fuzz/corpus/.
# What a run learns stays in build-fuzz/corpus/; a crash, a hang or a leak is
# kept in build-fuzz/findings/TARGET/ and makes the script fail.
#
#   scripts/fuzz.sh          # a minute each
#   scripts/fuzz.sh 5        # a quick look that every target builds and starts
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="$here/build-fuzz"
jobs="${FUZZ_JOBS:-2}"

if [ ! -f "$build/CMakeCache.txt" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DVEXALOG_FUZZ=ON -DVEXALOG_BUILD_TESTS=OFF -DVEXALOG_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
fi
nice cmake --build "$build" -j "$jobs" --target fuzz

failed=()
for seeds in "$here"/fuzz/corpus/*/; do
    name="$(basename "$seeds")"
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
