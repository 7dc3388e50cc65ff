#!/usr/bin/env bash
# Regenerates the captured tool output the listing parsers are tested against: makes a few
# small archives with the real tools, then records what `7zz l -slt` and `lsar -j` print.
# The tool versions go into the file names, so output of a new version sits beside the old.
# Dates are pinned and everything runs in UTC, so a capture is the same on every machine.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TZ=UTC LC_ALL=C.UTF-8

sevenzip_version="$(7zz 2>/dev/null | sed -n 's/^7-Zip (z) \([0-9.]*\).*/\1/p' | head -n 1)"
lsar_version="$(lsar --version 2>&1 | sed -n 's/^v\([0-9.]*\).*/\1/p' | head -n 1)"
[[ -n "$sevenzip_version" && -n "$lsar_version" ]] || { echo "7zz and lsar are needed" >&2; exit 1; }

# The tree every archive holds: nested folders, a unicode name, a 3000-byte file.
src="$work/src"
mkdir -p "$src/docs/sub" "$src/empty"
printf 'hello\n' > "$src/docs/readme.md"
head -c 3000 /dev/zero | tr '\0' 'x' > "$src/docs/sub/big.txt"
printf 'caf\xc3\xa9\n' > "$src/docs/café ☕.txt"
printf 'top\n' > "$src/top.txt"
find "$src" -exec touch -d '2024-01-31 12:34:56' {} +

cd "$src"
zip -q -r -X "$work/nested.zip" docs empty top.txt
zip -q -r -X -D "$work/no-folder-entries.zip" docs top.txt
7zz a -bd -bso0 -mx=1 -ms=on "$work/solid.7z" docs top.txt
7zz a -bd -bso0 -mx=0 -v2k "$work/volumes.7z" docs
7zz a -bd -bso0 -mx=1 -mhe=on -pSecret "$work/encrypted-names.7z" docs
7zz a -bd -bso0 -tzip -mx=1 -pSecret "$work/encrypted-data.zip" docs/readme.md top.txt
tar -czf "$work/nested.tar.gz" --owner=0 --group=0 docs top.txt
cd "$work"

# capture_7zz NAME ARCHIVE: standard output always, standard error when the tool failed.
capture_7zz() {
    local out="$here/sevenzip/7zz-$sevenzip_version-$1"
    if 7zz l -slt -sccUTF-8 -p "$2" > "$out.slt.txt" 2> "$out.stderr.txt"; then
        rm -f "$out.stderr.txt"
    fi
}
capture_lsar() {
    local out="$here/lsar/lsar-$lsar_version-$1"
    if lsar -j "$2" > "$out.json" 2> "$out.stderr.txt"; then
        rm -f "$out.stderr.txt"
    fi
}

capture_7zz nested.zip nested.zip
capture_7zz no-folder-entries.zip no-folder-entries.zip
capture_7zz solid.7z solid.7z
capture_7zz volumes.7z.001 volumes.7z.001
capture_7zz encrypted-names.7z encrypted-names.7z
capture_7zz encrypted-data.zip encrypted-data.zip

capture_lsar nested.zip nested.zip
capture_lsar encrypted-data.zip encrypted-data.zip
capture_lsar nested.tar.gz nested.tar.gz
capture_lsar solid.7z solid.7z
capture_lsar encrypted-names.7z encrypted-names.7z

echo "captured 7zz $sevenzip_version and lsar $lsar_version output into $here"
