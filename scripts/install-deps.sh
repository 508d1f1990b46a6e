#!/bin/sh
# Installs what building, running and testing the program needs (Debian's packages).
# Quick when everything is there: apt-get runs only for packages that are missing.
# Needs root or sudo for that; without either it says in one line what to run.
set -eu
export DEBIAN_FRONTEND=noninteractive
PACKAGES="build-essential cmake ninja-build pkg-config \
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev \
  libgtest-dev googletest \
  clang libclang-rt-dev \
  xvfb xauth fonts-dejavu-core fonts-dejavu-extra desktop-file-utils \
  libxml2-utils \
  dpkg-dev lintian appstream groff-base man-db"

if ! command -v dpkg-query >/dev/null 2>&1; then
  echo "Dieses Skript braucht Debian (dpkg/apt-get); nötig sind: $(echo $PACKAGES)" >&2
  exit 1
fi
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1; then
  SUDO="sudo"
else
  echo "Es fehlen Pakete; bitte als root ausführen: apt-get install -y$missing" >&2
  exit 1
fi
$SUDO apt-get update
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $missing
