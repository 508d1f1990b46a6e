#!/bin/sh
# A first look without a dive computer: installs what is needed, builds the program and the
# emulated dive computer, starts the emulator on a pseudo-terminal, points COM2 at it in a
# private settings folder (build/demo/config, never the user's own settings file) and opens
# the program. The emulator is stopped when the program ends.
#
# Usage: scripts/demo.sh [emulator options]
#   e.g. scripts/demo.sh --dives=large      48 dives instead of 5
#        scripts/demo.sh --echo             the self-built interface that echoes every byte
# The conversation between program and emulator is logged to build/demo/emulator.log.
set -eu
cd "$(dirname "$0")/.."
ROOT="$(pwd)"

./scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYPER_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target vyper-grundelnetz vyper-emulator

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Kein Bildschirm gefunden (DISPLAY ist nicht gesetzt): das Programm braucht eine grafische Oberfläche." >&2
  echo "No display found (DISPLAY is not set): start the demo from a desktop session, or under Xvfb:" >&2
  echo "    xvfb-run -a ./scripts/demo.sh" >&2
  exit 1
fi

DEMO="$ROOT/build/demo"
CONFIG="$DEMO/config"
# The emulator's dives are made up: they go to a data folder of the demo's own, never to
# the folder with the user's real dives (where "Nur neue Tauchgänge laden" would meet them).
DATA="$DEMO/data"
mkdir -p "$CONFIG" "$DATA"

interface="Original Suunto (ohne Echo)"
for option in "$@"; do
  [ "$option" = "--echo" ] && interface="Selbstbau (mit Echo)"
done

# The emulator answers at the pace of a real 2400-baud line. A fresh private settings file
# for every demo: COM2, the interface that matches the emulator, the default delay, and
# COM2 mapped to the emulator's pseudo-terminal.
. ./scripts/emulator-session.sh
start_emulator "$DEMO" --dives=default "$@"
write_settings "$CONFIG/Vyper-Grundelnetz.conf" "$DEVICE" "$interface"

echo "Emulierter Tauchcomputer an $DEVICE (COM2). Klicken Sie \"Vyper Einstellungen auslesen\" oder \"Tauchgangsdaten übertragen\"."
echo "Emulated dive computer at $DEVICE (COM2); conversation log: $DEMO/emulator.log"
echo "Die Profildateien des Emulators liegen in $DATA/Vyper-Grundelnetz/Tauchprofile (nicht bei Ihren echten Tauchgängen)."
status=0
XDG_CONFIG_HOME="$CONFIG" XDG_DATA_HOME="$DATA" "$ROOT/build/release/vyper-grundelnetz" || status=$?
exit "$status"
