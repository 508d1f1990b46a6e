#!/bin/sh
# Installs what building, running and testing the program needs (Debian).
set -eu
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
PACKAGES="build-essential cmake ninja-build pkg-config \
  qt6-base-dev qt6-serialport-dev libgl-dev \
  libgtest-dev googletest \
  clang libclang-rt-dev \
  xvfb xauth desktop-file-utils"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  $SUDO apt-get update
  # shellcheck disable=SC2086
  $SUDO apt-get install -y --no-install-recommends $missing
fi
