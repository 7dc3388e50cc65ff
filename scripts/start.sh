#!/usr/bin/env bash
# Installs what is missing, builds Kelvane (release) and starts its window. Extra arguments
# are handed to the program (archives to open). Without a display it says so and points to
# the command-line companion.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kelvane kelvane-cli
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set): use the command-line companion instead, build/release/cli/kelvane-cli --help"
  exit 0
fi
exec build/release/app/kelvane "$@"
