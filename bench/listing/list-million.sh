#!/usr/bin/env bash
# Listing benchmark: how much kelvane-cli adds on top of the archiver it drives.
#
# Builds kelvane-cli (RelWithDebInfo), generates two ZIP archives of empty files in a
# temporary folder (1,000,000 entries in nested folders of about 10 files each, and
# 100,000 in one flat folder), then times, round after round:
#   - the floor: TZ=:/etc/localtime 7zz l -slt -sccUTF-8 -p ARCHIVE > /dev/null
#   - kelvane-cli list --stats --quiet ARCHIVE, started without TZ (it sets TZ itself)
#   - once, 7zz with TZ unset, to show what the time-zone variable is worth.
# Prints each time, the best and median ratio kelvane/floor, and kelvane-cli's peak
# resident memory. Goals: ratio <= 1.30; peak RSS on the million <= 400 MB.
# The generated data is removed at the end. Usage: list-million.sh [ROUNDS] (default 3).
set -euo pipefail

rounds="${1:-3}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build/listing-release"
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

# shellcheck source=../common/make-tree.sh
source "$root/bench/common/make-tree.sh"

echo "== generating archives in $work"
make_tree "$work/million/root" 1000000 1
(cd "$work/million" && 7zz a -tzip -mx=0 -bd -bso0 -bsp0 "$work/million.zip" root)
rm -rf "$work/million"
make_tree "$work/flat/root" 100000 0
(cd "$work/flat" && 7zz a -tzip -mx=0 -bd -bsp0 -bso0 "$work/flat.zip" root)
rm -rf "$work/flat"
ls -l "$work"/*.zip

# seconds COMMAND...: the wall time of one run, in seconds.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

floor_run() { TZ=:/etc/localtime 7zz l -slt -sccUTF-8 -p "$1"; }
untimed_zone_run() { env -u TZ 7zz l -slt -sccUTF-8 -p "$1"; }
kelvane_run() { env -u TZ "$cli" list --stats --quiet "$1" > "$work/stats.json"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for archive in million flat; do
    file="$work/$archive.zip"
    echo
    echo "== $archive.zip: $rounds rounds; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
    : > "$work/floor.txt"
    : > "$work/kelvane.txt"
    : > "$work/ratio.txt"
    for round in $(seq 1 "$rounds"); do
        floor=$(seconds floor_run "$file")
        kelvane=$(seconds kelvane_run "$file")
        echo "$floor" >> "$work/floor.txt"
        echo "$kelvane" >> "$work/kelvane.txt"
        ratio "$kelvane" "$floor" >> "$work/ratio.txt"
        echo >> "$work/ratio.txt"
        printf 'round %d: 7zz %.2f s, kelvane-cli %.2f s, ratio %s; load %s; %s\n' "$round" \
            "$floor" "$kelvane" "$(tail -n 1 "$work/ratio.txt")" "$(cut -d' ' -f1 /proc/loadavg)" \
            "$(cat "$work/stats.json")"
    done
    printf 'ratio: best round %s, median %s (goal <= 1.30); median times: 7zz %.2f s, kelvane-cli %.2f s\n' \
        "$(sort -g "$work/ratio.txt" | head -n 1)" "$(median < "$work/ratio.txt")" \
        "$(median < "$work/floor.txt")" "$(median < "$work/kelvane.txt")"
    peak=$(sed -n 's/.*"peakRssKiB":\([0-9]*\).*/\1/p' "$work/stats.json")
    printf 'kelvane-cli peak RSS: %d KiB = %s MB (goal on the million <= 400 MB)\n' "$peak" \
        "$(awk -v k="$peak" 'BEGIN { printf "%.1f", k * 1024 / 1000000 }')"
    printf '7zz with TZ unset: %.2f s (with TZ set: %.2f s median)\n' \
        "$(seconds untimed_zone_run "$file")" "$(median < "$work/floor.txt")"
    echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
done
