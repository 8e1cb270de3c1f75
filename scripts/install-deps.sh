#!/usr/bin/env bash
# Installs the Debian packages Vexalog builds and tests with.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev libgl-dev \
    qt6-qpa-plugins fonts-dejavu-core fonts-liberation \
    libgtest-dev libgmock-dev googletest libbenchmark-dev poppler-utils >/dev/null
