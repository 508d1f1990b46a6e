#!/bin/sh
# Pictures of the windows for the README: builds the emulated dive computer and the picture
# helper tools/screenshots.cpp (build/release), starts the emulator on a pseudo-terminal with
# its five built-in dives, and under Xvfb (1280x800, 96 dpi) reads the settings, downloads
# the dives and opens the viewer, saving the pictures
#   main-settings.png, main-download.png, viewer.png
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

"$ROOT/build/release/emulator/vyper-emulator" --dives=default \
  --path-file="$WORK/device" --log="$WORK/emulator.log" >/dev/null &
EMULATOR_PID=$!
stop_emulator() {
  kill "$EMULATOR_PID" 2>/dev/null || true
  wait "$EMULATOR_PID" 2>/dev/null || true
  rm -rf "$DATA"
}
trap stop_emulator EXIT
trap 'exit 130' INT TERM

waited=0
while [ ! -s "$WORK/device" ]; do
  if ! kill -0 "$EMULATOR_PID" 2>/dev/null || [ "$waited" -ge 100 ]; then
    echo "The dive computer emulator did not start; see $WORK/emulator.log" >&2
    exit 1
  fi
  sleep 0.1
  waited=$((waited + 1))
done
DEVICE="$(head -n 1 "$WORK/device")"

cat >"$WORK/config/Vyper-Grundelnetz.conf" <<CONF
[CommPort]
Number=2
InterfaceType=Original Suunto (ohne Echo)
Delay=350

[Ports]
COM2=$DEVICE
CONF

echo "Emulated dive computer at $DEVICE; a settings read and a download take about half a minute."
XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$DATA" \
  xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$ROOT/build/release/vyper-screenshots" "$OUT"
