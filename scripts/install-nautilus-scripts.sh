#!/usr/bin/env bash
# Opt-in: adds "Extract Here with Kelvane" and "Compress with Kelvane" to the
# Scripts menu of GNOME Files (Nautilus) for the current user, by copying them
# into $XDG_DATA_HOME/nautilus/scripts (usually ~/.local/share/nautilus/scripts).
# `--remove` takes them out again. Works from the source tree and from an
# installed Kelvane (share/kelvane/install-nautilus-scripts.sh).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_dir=""
for candidate in "$here/nautilus-scripts" "$here/../packaging/nautilus-scripts"; do
  if [[ -d "$candidate" ]]; then
    source_dir=$candidate
    break
  fi
done
if [[ -z "$source_dir" ]]; then
  echo "install-nautilus-scripts: cannot find the nautilus-scripts folder next to $here" >&2
  exit 1
fi

target="${XDG_DATA_HOME:-$HOME/.local/share}/nautilus/scripts"
names=("Extract Here with Kelvane" "Compress with Kelvane")

case "${1:-}" in
  "")
    mkdir -p "$target"
    for name in "${names[@]}"; do
      install -m 755 "$source_dir/$name" "$target/$name"
    done
    echo "Installed into $target:"
    printf '  %s\n' "${names[@]}"
    echo "They appear under Scripts in the right-click menu of GNOME Files."
    ;;
  --remove)
    for name in "${names[@]}"; do
      rm -f "$target/$name"
    done
    echo "Removed the Kelvane scripts from $target"
    ;;
  *)
    echo "usage: $(basename "$0") [--remove]" >&2
    exit 2
    ;;
esac
