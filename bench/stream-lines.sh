#!/usr/bin/env bash
# Builds the release preset and measures line streaming: 2,000,000 lines of about 60 bytes,
# printed by `cat` into ProcessRunner::streamStdoutLines, against `cat data > /dev/null`.
# Usage: bench/stream-lines.sh [number of lines]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
lines=${1:-2000000}

cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target kelvane_bench_StreamStdoutLines -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n="$lines" 'BEGIN {
  for (i = 0; i < n; i++)
    printf "Path = archive/folder-%06d/subfolder/document-%08d.dat\n", int(i / 1000), i
}' >"$work/lines.txt"

echo "data: $(wc -l <"$work/lines.txt") lines, $(wc -c <"$work/lines.txt") bytes"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
start=$(date +%s%N)
cat "$work/lines.txt" >/dev/null
echo "one cat > /dev/null from the shell: $(( ($(date +%s%N) - start) / 1000000 )) ms"
"$root/build/release/bench/kelvane_bench_StreamStdoutLines" --benchmark_color=false "$work/lines.txt"
