#!/bin/sh
# Renders every sheet in a light and a dark palette under a private X server.
# Usage: scripts/sheet-screenshots.sh [build folder] [output folder]
set -eu
build=${1:-build/ci}
output=${2:-$build/screenshots/sheets}
cmake --build "$build" --target kelvane_sheet_screenshots
mkdir -p "$output"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/app/kelvane_sheet_screenshots" "$output"
echo "sheets written to $output"
