#!/usr/bin/env bash
# One command on a fresh Debian machine: install what is needed, then build.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/install-deps.sh"
"$here/build.sh"
