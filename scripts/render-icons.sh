#!/bin/sh
# Draws the program's PNG icons from the SVG sources in data/icons. Run it by hand after
# changing a drawing and commit the PNGs: the build itself needs no SVG renderer.
# Needs rsvg-convert (Debian: librsvg2-bin).
set -eu
cd "$(dirname "$0")/../data/icons"
ID="de.grundelnetz.Vyper"
if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2
  exit 1
fi
for size in 16 32 48 64 128 256; do
  # 16 px has its own drawing on the pixel grid; the others scale the full one.
  if [ "$size" -eq 16 ]; then source="$ID-16.svg"; else source="hicolor/scalable/apps/$ID.svg"; fi
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "hicolor/${size}x${size}/apps/$ID.png" "$source"
done
