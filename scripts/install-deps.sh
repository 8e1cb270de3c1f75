#!/usr/bin/env bash
# Installs the Debian packages Vexalog builds, tests and packages with (the
# package: dpkg-shlibdeps of dpkg-dev and file for its dependencies, the
# desktop entry's and the metainfo's validators; clang-tidy for scripts/tidy.sh), and generates
# the German locale the tests use to check that numbers in files and on the
# command line keep their decimal point under a locale with a decimal comma.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev libgl-dev libx11-dev \
    qt6-qpa-plugins fonts-dejavu-core fonts-liberation \
    libgtest-dev libgmock-dev googletest libbenchmark-dev \
    libfreexl-dev python3-xlrd python3-xlwt python3-olefile poppler-utils locales xvfb \
    dpkg-dev file desktop-file-utils appstream clang clang-tidy libclang-rt-dev \
    libsqlite3-dev sqlite3 libmosquitto-dev mosquitto mosquitto-clients libpq-dev postgresql openssl util-linux >/dev/null
$SUDO sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen
$SUDO locale-gen >/dev/null
# The station tests start a PostgreSQL cluster of their own; initdb and
# postgres refuse to run as root, so they run as this unprivileged user.
if ! id vexalog-test >/dev/null 2>&1; then
    $SUDO useradd --system --no-create-home --shell /usr/sbin/nologin vexalog-test
fi
