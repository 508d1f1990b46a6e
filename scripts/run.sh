#!/bin/sh
# Installs what is needed, builds the program and opens its main window.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYPER_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Kein Bildschirm gefunden (DISPLAY ist nicht gesetzt): das Programm braucht eine grafische Oberfläche." >&2
  echo "No display found (DISPLAY is not set): start the program from a desktop session, or under Xvfb." >&2
  exit 1
fi
exec ./build/release/vyper-grundelnetz
