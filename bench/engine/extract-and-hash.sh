#!/usr/bin/env bash
# Engine operations against the tools they drive, on generated data of about 1 GiB:
#   - extraction of a 7z archive through the engine (progress parsed, every report
#     delivered) against the same `7zz x` run alone with its output on /dev/null;
#     goal: ratio <= 1.03;
#   - SHA-256 and MD5 of a 1 GiB file in one pass against `openssl dgst -md5` of it;
#     goal: ratio <= 1.10.
# Builds kelvane_bench_EngineOperations (RelWithDebInfo), generates the data in a temporary
# folder, runs ROUNDS rounds (default 3) and removes the data again.
# Usage: bench/engine/extract-and-hash.sh [ROUNDS]
# KELVANE_BENCH_BUILD names the build folder (default: build/extract-release).
set -euo pipefail

rounds="${1:-3}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${KELVANE_BENCH_BUILD:-$root/build/extract-release}"

echo "== building kelvane_bench_EngineOperations (RelWithDebInfo) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_BENCH=ON > /dev/null
cmake --build "$build" --target kelvane_bench_EngineOperations -j2 > /dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "== generating data in $work"
# 64 files of 16 MiB: half random bytes, half base64 text (6 MiB encoded is exactly 8 MiB),
# so the archive compresses a little and decoding costs something.
mkdir -p "$work/src"
for i in $(seq -w 1 64); do
    {
        head -c 8388608 /dev/urandom
        head -c 6291456 /dev/urandom | base64 -w 0
    } > "$work/src/part-$i.bin"
done
(cd "$work/src" && 7zz a -bd -bso0 -mx=1 "$work/data.7z" . > /dev/null)
rm -rf "$work/src"
head -c 1073741824 /dev/urandom > "$work/entry.bin"
echo "archive: $(du -h "$work/data.7z" | cut -f1); file: $(du -h "$work/entry.bin" | cut -f1)"

"$build/bench/kelvane_bench_EngineOperations" "$work/data.7z" "$work/entry.bin" \
    "$work/scratch" "$rounds"
