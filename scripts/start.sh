#!/usr/bin/env bash
# Installs what is missing, builds Kelvane (release) and starts it.
# Extra arguments are handed to the program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kelvane-cli
exec build/release/cli/kelvane-cli "$@"
