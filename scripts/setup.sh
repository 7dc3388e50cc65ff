#!/usr/bin/env bash
# Installs the Debian packages Kelvane needs to build, run, test and benchmark.
# Only missing packages are installed, and the package lists are refreshed only
# when something has to be installed, so running it again is cheap.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  # core libraries
  libicu-dev libssl-dev libsimdjson-dev
  # application
  qt6-base-dev qt6-pdf-dev qt6-svg-dev qt6-image-formats-plugins
  # the archivers Kelvane drives
  7zip unar libarchive-tools
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest xvfb xauth xdotool imagemagick libbenchmark-dev
  # fonts for the screenshots under Xvfb: Latin, Cyrillic, Greek, Arabic, Hebrew (DejaVu);
  # Japanese, Chinese and Korean (Noto CJK)
  fonts-dejavu-core fonts-noto-cjk
  # desktop integration checks: the validators, the MIME database, the manual reader
  desktop-file-utils appstream shared-mime-info man-db
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
