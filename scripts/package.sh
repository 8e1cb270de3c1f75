#!/usr/bin/env bash
# Builds the Debian package build/vexalog_VERSION_ARCH.deb from build/ (or the
# folder given as $1): the programs, then CPack, whose dependencies come from
# dpkg-shlibdeps. Prints the package's path on its last line.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$here/build}"
if [ -f "$out/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$out" >/dev/null
else
    cmake -S "$here" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Only what the package holds; the install step builds nothing itself.
nice cmake --build "$out" -j 2 --target vexalog vexalog-cli lx47sim vx_theme_icons vx_man_pages
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$out/CMakeCache.txt")"
arch="$(dpkg --print-architecture)"
deb="$out/vexalog_${version}_${arch}.deb"
rm -f "$deb"
if ! (cd "$out" && cpack -G DEB --config CPackConfig.cmake >"$out/cpack.log" 2>&1); then
    cat "$out/cpack.log" >&2
    exit 1
fi
[ -f "$deb" ] || { echo "package.sh: $deb was not made" >&2; exit 1; }
echo "$deb"
