#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over our sources, as they are
# compiled in build/ (its compile_commands.json; scripts/build.sh makes it).
# Generated files (moc, autogen, ui_, qrc_) and the build folders are left out.
#
#   scripts/tidy.sh              every source
#   scripts/tidy.sh meter/ tests/meter/
#                                only the sources whose path (from the
#                                repository root) begins with one of these
#
# TIDY_BUILD names another build folder, TIDY_JOBS the number of clang-tidy
# processes (2 by default). Every finding is printed and makes the run fail.
# Slow: 12 to 50 minutes for every source on a 2-core machine, by how busy it is.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${TIDY_BUILD:-$here/build}"
jobs="${TIDY_JOBS:-2}"

if ! command -v clang-tidy >/dev/null; then
    echo "tidy.sh: clang-tidy is missing (scripts/install-deps.sh installs it)" >&2
    exit 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy.sh: no $build/compile_commands.json: build first (scripts/build.sh)" >&2
    exit 2
fi

# The sources of the compile database under the repository, one per line.
sources="$(python3 - "$build/compile_commands.json" "$here" "$@" <<'EOF'
import json, os, re, sys
database, root, prefixes = sys.argv[1], os.path.realpath(sys.argv[2]), sys.argv[3:]
generated = re.compile(r'(^|/)(build[^/]*|[^/]*_autogen)/|(^|/)(moc_|ui_|qrc_)[^/]*$|mocs_compilation')
seen = set()
for entry in json.load(open(database)):
    path = os.path.realpath(os.path.join(entry['directory'], entry['file']))
    relative = os.path.relpath(path, root)
    if relative.startswith('..') or generated.search(relative) or relative in seen:
        continue
    if prefixes and not any(relative.startswith(p) for p in prefixes):
        continue
    seen.add(relative)
    print(path)
EOF
)"
if [ -z "$sources" ]; then
    echo "tidy.sh: no source to check" >&2
    exit 2
fi
count="$(printf '%s\n' "$sources" | wc -l)"
echo "tidy.sh: $count sources, $jobs at a time"

# Each source's findings are printed together once its check has ended.
start=$SECONDS
status=0
printf '%s\n' "$sources" | tr '\n' '\0' | xargs -0 -n 1 -P "$jobs" sh -c '
    out="$(nice clang-tidy -p "$1" --quiet --warnings-as-errors="*" "$2" 2>&1)" && exit 0
    printf "%s\n" "$out" | grep -v " generated\.$"
    exit 1' tidy "$build" || status=$?
echo "tidy.sh: $count sources in $((SECONDS - start)) s: $([ "$status" -eq 0 ] && echo clean || echo findings above)"
[ "$status" -eq 0 ]
