#!/bin/sh
# Installs what is missing, builds the program, installs it for the user (with its desktop
# entry and icon, so that it also appears in the desktop's application menu) and starts the
# installed program. Usage: scripts/run.sh   (PREFIX=/other/prefix changes ~/.local)
set -eu
cd "$(dirname "$0")/.."
PREFIX="${PREFIX:-$HOME/.local}"
./scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYPER_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target vyper-grundelnetz
cmake --install build/release --prefix "$PREFIX" >/dev/null
# Menus pick the new entry up by themselves; refreshing the caches only makes it quicker.
if command -v update-desktop-database >/dev/null 2>&1; then
  update-desktop-database -q "$PREFIX/share/applications" 2>/dev/null || true
fi
# An icon cache is refreshed only where one exists: a new cache would hide icons that other
# programs install later without refreshing it.
if [ -f "$PREFIX/share/icons/hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null 2>&1; then
  gtk-update-icon-cache -q -f -t "$PREFIX/share/icons/hicolor" 2>/dev/null || true
fi
echo "Installiert: $PREFIX/bin/vyper-grundelnetz (und im Anwendungsmenü als \"Vyper-Grundelnetz\")."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Kein Bildschirm gefunden (DISPLAY ist nicht gesetzt): das Programm braucht eine grafische Oberfläche." >&2
  echo "No display found (DISPLAY is not set): start the program from a desktop session, or under Xvfb." >&2
  exit 1
fi
exec "$PREFIX/bin/vyper-grundelnetz"
