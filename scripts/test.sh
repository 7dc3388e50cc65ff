#!/usr/bin/env bash
# Installs what is missing, builds Kelvane with the sanitizers and warnings as
# errors, and runs every test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci --parallel "$(nproc)" --timeout 300
