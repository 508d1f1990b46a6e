#!/bin/sh
# Pictures of the windows for the README: builds the emulated dive computer and the picture
# helper tools/screenshots.cpp (build/release), starts the emulator on a pseudo-terminal with
# its five built-in dives, and under Xvfb (1280x800, 96 dpi) reads the settings, downloads
# the dives and opens the viewer and the logbook, saving the pictures
#   main-settings.png, main-download.png, viewer.png, logbook.png
# into docs/ (or the folder given). The settings and the emulator's log live in
# build/screenshots, the downloaded profile files in /tmp/vyper-grundelnetz-screenshots (a
# short path, as the message list shows it); never in the user's own folders.
#
# Usage: scripts/screenshots.sh [output folder]
set -eu
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
OUT="${1:-$ROOT/docs}"

./scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYPER_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target vyper-screenshots vyper-emulator

WORK="$ROOT/build/screenshots"
DATA=/tmp/vyper-grundelnetz-screenshots
rm -rf "$WORK" "$DATA"
mkdir -p "$WORK/config" "$DATA" "$OUT"

. ./scripts/emulator-session.sh
emulator_cleanup() { rm -rf "$DATA"; }
start_emulator "$WORK" --dives=default
write_settings "$WORK/config/Vyper-Grundelnetz.conf" "$DEVICE" "Original Suunto (ohne Echo)"

echo "Emulated dive computer at $DEVICE; a settings read and a download take about half a minute."
XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$DATA" \
  xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$ROOT/build/release/vyper-screenshots" "$OUT"
