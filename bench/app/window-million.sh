#!/usr/bin/env bash
# Window benchmark on a ZIP of 1,000,000 entries (nested folders of about ten files each):
# first rows painted against `kelvane-cli list --stats --quiet` of the same file, the longest
# interface-thread stall per interaction, and the resident memory with everything selected.
# Release build, offscreen. Goals: first rows <= 1.15 x the listing; no stall over 50 ms
# (median of three runs); resident memory <= 350 MB. Usage: window-million.sh [ROUNDS] (3).
set -euo pipefail
rounds="${1:-3}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build/release"

cmake --preset release >/dev/null
cmake --build --preset release --target kelvane-cli kelvane_bench_window_timings >/dev/null
cli="$build/cli/kelvane-cli"
timings="$build/bench/kelvane_bench_window_timings"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

python3 - "$work/million.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_STORED) as archive:
    for i in range(1_000_000):
        folder = i // 10
        archive.writestr(f"root/d{folder // 1000:03d}/folder_{folder:06d}/file_{i:07d}.dat", b"x" * (i % 13))
PY
cp "$work/million.zip" "$work/million-copy.zip"
ls -l "$work/million.zip"

seconds() {
  local start end
  start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for round in $(seq "$rounds"); do
  cli_s=$(seconds "$cli" list --stats --quiet "$work/million.zip")
  window_s=$(seconds "$timings" --first-paint-only "$work/million.zip")
  echo "round $round: kelvane-cli list ${cli_s}s, window first rows ${window_s}s, ratio $(awk -v a="$window_s" -v b="$cli_s" 'BEGIN { printf "%.3f", a / b }')"
  echo "$window_s $cli_s" >> "$work/first.txt"
  "$timings" "$work/million.zip" "$work/million-copy.zip" | tee "$work/run-$round.txt"
done
echo "== medians over $rounds rounds"
echo "first rows / listing: $(awk '{ print $1 / $2 }' "$work/first.txt" | median)"
for name in resident_mb_after_open typing_max_gap_ms filter_max_gap_ms select_all_max_gap_ms sort_by_size_max_gap_ms \
            scroll_max_gap_ms tab_switch_max_gap_ms resident_mb_all_selected resident_mb_two_tabs; do
  echo "$name $(cat "$work"/run-*.txt | awk -v n="$name" '$1 == n { print $2 }' | median)"
done
