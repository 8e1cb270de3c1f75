#!/usr/bin/env bash
# Builds the Debian package, installs it as a user would (dpkg -i, then
# apt-get -f install for what it depends on), runs the installed programs from
# /usr/bin, validates the desktop entry and the metainfo where the validators
# are installed, and removes the package again, whatever happened.
# Needs root (or sudo). Exit 0 when every check passed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

deb="$("$here/scripts/package.sh" "$@" | tail -n 1)"
version="$(dpkg-deb -f "$deb" Version)"
echo "package: $deb ($(stat -c %s "$deb") bytes)"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"

if dpkg-query -W -f '${Status}' vexalog 2>/dev/null | grep -q "ok installed"; then
    echo "package-check: vexalog is installed already; remove it first (dpkg -r vexalog)" >&2
    exit 1
fi

failed=0
check() { # check NAME COMMAND...: runs the command, says how it went
    local name="$1"
    shift
    if "$@"; then echo "ok    $name"; else echo "FAIL  $name" >&2; failed=1; fi
}
remove() { $SUDO dpkg -r vexalog >/dev/null || true; }
trap remove EXIT

if ! $SUDO dpkg -i "$deb" >/dev/null 2>&1; then
    $SUDO apt-get -f install -y -qq >/dev/null
fi
check "installed" bash -c "dpkg-query -W -f '\${Status}' vexalog | grep -q 'ok installed'"
check "vexalog-cli --version" bash -c "[ \"\$(/usr/bin/vexalog-cli --version)\" = 'vexalog-cli $version' ]"
check "lx47sim --help" bash -c "/usr/bin/lx47sim --help | grep -q '^usage: lx47sim'"
check "vexalog --version" bash -c "env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/vexalog --version >/dev/null"
# Without a display the program says so and exits 1 (Qt alone would abort).
check "vexalog without a display" bash -c "out=\$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    /usr/bin/vexalog 2>&1); [ \$? -eq 1 ] && grep -q 'no display' <<<\"\$out\""
check "man pages" test -f /usr/share/man/man1/vexalog.1.gz -a -f /usr/share/man/man1/vexalog-cli.1.gz \
    -a -f /usr/share/man/man1/lx47sim.1.gz
check "icons" test -f /usr/share/icons/hicolor/scalable/apps/vexalog.svg \
    -a -f /usr/share/icons/hicolor/256x256/apps/vexalog.png -a -f /usr/share/icons/hicolor/16x16/apps/vexalog.png
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate" desktop-file-validate /usr/share/applications/org.vexalog.Vexalog.desktop
else
    echo "skip  desktop-file-validate (desktop-file-utils is not installed)"
fi
if command -v appstreamcli >/dev/null; then
    check "appstreamcli validate" bash -c \
        "appstreamcli validate --no-net /usr/share/metainfo/org.vexalog.Vexalog.metainfo.xml >/dev/null"
else
    echo "skip  appstreamcli validate (appstream is not installed)"
fi

remove
trap - EXIT
check "removed" bash -c "! dpkg-query -W -f '\${Status}' vexalog 2>/dev/null | grep -q 'ok installed' && [ ! -e /usr/bin/vexalog-cli ]"
exit "$failed"
