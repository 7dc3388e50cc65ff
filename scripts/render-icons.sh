#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its scalable SVG. The PNGs are
# committed, so building and packaging need no SVG renderer; run this after
# changing the SVG (needs rsvg-convert, Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

icon_id=io.tessaloom.Kelvane
theme=packaging/icons/hicolor
source="$theme/scalable/apps/$icon_id.svg"

command -v rsvg-convert >/dev/null || {
  echo "render-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
  exit 1
}

for size in 16 24 32 48 64 128 256 512; do
  mkdir -p "$theme/${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
    --output "$theme/${size}x${size}/apps/$icon_id.png" "$source"
done
echo "render-icons: rendered $source at 16 to 512 pixels" >&2
