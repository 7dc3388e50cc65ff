#!/usr/bin/env bash
# Tarball benchmark: what kelvane-cli adds on top of the tools of its tar-stream route.
#
# Builds kelvane-cli (RelWithDebInfo) and, in a temporary folder:
#   1. generates 1,000,000 empty files in the million-entry ZIP's layout (nested folders of
#      10 files) and packs them as .tar.gz, .tar.zst and .tar.xz; for each, one run of
#      - the floor: 7zz x -so A | 7zz l -slt -si -ttar > /dev/null (the 7-Zip pipe alone),
#      - kelvane-cli list --stats --quiet A,
#      and prints the ratio kelvane/floor, kelvane-cli's peak resident memory and the peak
#      of each tool of the pipe. Goals: ratio <= 1.25; kelvane <= 300 MB; each tool <= 64 MB.
#   2. packs a tree of real mixed files of about 1 GB (by default /usr/share and
#      /usr/lib/x86_64-linux-gnu, or the folders given in KELVANE_BENCH_MIXED) as .tar.gz,
#      lists it once, then times `bsdtar -xf` alone against `kelvane-cli extract` (listing
#      excluded: the figure is the extraction alone, as reported by --stats where given, else
#      the whole run minus the listing). Goal: ratio <= 1.10.
# Ratios come from one run; the generated data is removed at the end.
# Usage: bench/listing/list-tarball.sh
#   KELVANE_BENCH_PARTS="listing extraction" (the default) picks the parts to run;
#   KELVANE_BENCH_ROUNDS=N (default 1) times the extraction pair N times, alternating.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${KELVANE_BENCH_BUILD:-$root/build/listing-release}"
cli="$build/cli/kelvane-cli"

echo "== building kelvane-cli (RelWithDebInfo) in $build"
build_log="$(mktemp)"
if ! { cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_BENCH=OFF &&
    cmake --build "$build" --target kelvane-cli -j2; } > "$build_log" 2>&1; then
    cat "$build_log" >&2
    rm -f "$build_log"
    exit 1
fi
rm -f "$build_log"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# seconds COMMAND...: the wall time of one run, in seconds.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
peak_mb() { awk '{ printf "%.1f", $1 / 1024 }' "$1"; }

parts=" ${KELVANE_BENCH_PARTS:-listing extraction} "
rounds="${KELVANE_BENCH_ROUNDS:-1}"
if [[ "$parts" == *" listing "* ]]; then
echo "== generating 1,000,000 entries in $work"
mkdir -p "$work/million/root"
(
    cd "$work/million/root"
    count=1000000
    seq 0 $((count / 10 - 1)) |
        awk '{ printf "d%d/d%d/d%d\n", int($1 / 1000), int($1 / 10) % 100, $1 % 10 }' |
        xargs mkdir -p
    seq 0 $((count - 1)) |
        awk '{ f = int($1 / 10); printf "d%d/d%d/d%d/f%d.txt\n", int(f / 1000), int(f / 10) % 100, f % 10, $1 }' |
        xargs touch
)
tar -C "$work/million" -cf "$work/million.tar" root
rm -rf "$work/million"
gzip -k -1 "$work/million.tar"
zstd -q -k "$work/million.tar"
xz -k -T2 -1 "$work/million.tar"
rm -f "$work/million.tar"
ls -l "$work"/million.*

floor_run() { 7zz x -so "$1" | 7zz l -slt -si -ttar; }
for archive in "$work/million.tar.gz" "$work/million.tar.zst" "$work/million.tar.xz"; do
    floor=$(seconds floor_run "$archive")
    /usr/bin/time -f %M -o "$work/unpack.rss" 7zz x -so "$archive" 2> /dev/null |
        /usr/bin/time -f %M -o "$work/list.rss" 7zz l -slt -si -ttar > /dev/null
    kelvane=$(seconds /usr/bin/time -f %M -o "$work/kelvane.rss" "$cli" list --stats --quiet "$archive")
    echo "$(basename "$archive"): floor ${floor}s, kelvane ${kelvane}s, ratio $(ratio "$kelvane" "$floor")" \
        "(goal <= 1.25); peak kelvane $(peak_mb "$work/kelvane.rss") MB (goal <= 300)," \
        "7zz x $(peak_mb "$work/unpack.rss") MB, 7zz l $(peak_mb "$work/list.rss") MB (goal <= 64 each)"
done
rm -f "$work"/million.*
fi

[[ "$parts" == *" extraction "* ]] || exit 0
echo "== packing mixed files"
read -r -a mixed <<< "${KELVANE_BENCH_MIXED:-/usr/share /usr/lib/x86_64-linux-gnu}"
tar -cf - "${mixed[@]}" 2> /dev/null | gzip -1 > "$work/mixed.tar.gz"
ls -l "$work/mixed.tar.gz"
# Both runs read the archive from the page cache, not the first one from the disk.
cat "$work/mixed.tar.gz" > /dev/null
listing=$(seconds "$cli" list --quiet "$work/mixed.tar.gz")
for ((round = 1; round <= rounds; round++)); do
    rm -rf "$work/out" && mkdir "$work/out" && sync
    floor=$(seconds bsdtar -xf "$work/mixed.tar.gz" -C "$work/out")
    rm -rf "$work/out" && mkdir "$work/out" && sync
    whole=$(seconds "$cli" extract --to "$work/out" "$work/mixed.tar.gz")
    kelvane=$(awk -v a="$whole" -v b="$listing" 'BEGIN { printf "%.3f", a - b }')
    echo "mixed.tar.gz round $round: bsdtar -xf ${floor}s, kelvane extract ${kelvane}s (${whole}s with its" \
        "listing of ${listing}s), ratio $(ratio "$kelvane" "$floor") (goal <= 1.10)"
done
