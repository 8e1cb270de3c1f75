#!/usr/bin/env bash
# Configures and builds Vexalog into build/ (or the folder given as $1).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$here/build}"
shift || true
cmake -S "$here" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$out" -j 2
