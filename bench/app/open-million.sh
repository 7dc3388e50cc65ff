#!/usr/bin/env bash
# State-object benchmark: opening a 1,000,000-entry ZIP through the workspace state object
# until its first folder is shown, against `kelvane-cli list --stats --quiet` of the same
# file in the same run (goal: ratio <= 1.10); the calls the views make (goal: <= 5 ms each);
# select-all of a million search results (goal: <= 150 ms); switching tabs (goal: <= 20 ms);
# the state object's own memory (goal: <= 40 bytes per entry with everything selected).
# Builds the release preset; the generated data is removed at the end.
# Usage: open-million.sh [ROUNDS] (default 3).
set -euo pipefail

rounds="${1:-3}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build/release"

echo "== building (release preset) in $build"
build_log="$(mktemp)"
if ! { cmake --preset release -S "$root" && \
    cmake --build "$build" --target kelvane-cli kelvane_bench_state_object -j2; } > "$build_log" 2>&1; then
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
mkdir -p "$work/small" && echo small > "$work/small/a.txt"
(cd "$work/small" && 7zz a -tzip -bd -bso0 -bsp0 "$work/small.zip" a.txt)

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

for ((round = 1; round <= rounds; round++)); do
    cli=$(seconds env -u TZ "$build/cli/kelvane-cli" list --stats --quiet "$work/million.zip")
    out="$(env -u TZ "$build/bench/kelvane_bench_state_object" "$work/million.zip" "$work/small.zip")"
    open_ms=$(awk '/^open_to_first_folder_ms/ { print $2 }' <<< "$out")
    echo "-- round $round: kelvane-cli list ${cli} s"
    echo "$out" | sed 's/^/   /'
    awk -v o="$open_ms" -v c="$cli" 'BEGIN { printf "   ratio open/cli %.3f\n", o / 1000 / c }'
done
