#!/usr/bin/env bash
# The test command: the unit and integration tests, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh" "$here/build"
(cd "$here/build" && ctest --output-on-failure -j 2)
"$here/scripts/build.sh" "$here/build-sanitize" -DVEXALOG_SANITIZE=ON -DVEXALOG_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
(cd "$here/build-sanitize" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j 2)
