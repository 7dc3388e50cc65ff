#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks that every file the
# desktop integration needs is at its place, the file-manager scripts are
# executable, and the installed opt-in command sets up the GNOME Files scripts.
set -euo pipefail
build=${1:?usage: check-install-tree.sh BUILD-DIR}
app_id=io.tessaloom.Kelvane

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install failed (build the whole tree first)" >&2
  exit 1
}

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

expected=(
  bin/kelvane-cli
  share/applications/$app_id.desktop
  share/metainfo/$app_id.metainfo.xml
  share/icons/hicolor/scalable/apps/$app_id.svg
  share/kio/servicemenus/kelvane-extract.desktop
  share/kio/servicemenus/kelvane-compress.desktop
  share/doc/kelvane/changelog.gz
  share/doc/kelvane/copyright
  share/man/man1/kelvane.1.gz
  share/man/man1/kelvane-cli.1.gz
)
# The window is built only where Qt is.
[[ -x "$build/app/kelvane" ]] && expected+=(bin/kelvane)
for size in 16 24 32 48 64 128 256 512; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for file in "${expected[@]}"; do
  [[ -f "$prefix/$file" ]] || fail "missing $file"
done
for program in bin/kelvane-cli share/kelvane/install-nautilus-scripts.sh \
  "share/kelvane/nautilus-scripts/Extract Here with Kelvane" \
  "share/kelvane/nautilus-scripts/Compress with Kelvane"; do
  [[ -x "$prefix/$program" ]] || fail "$program is missing or not executable"
done
for compressed in share/doc/kelvane/changelog.gz share/man/man1/kelvane.1.gz share/man/man1/kelvane-cli.1.gz; do
  gzip -t "$prefix/$compressed" 2>/dev/null || fail "$compressed is not gzip data"
done
# The manual pages are well-formed: man reads them without a warning.
if command -v man >/dev/null; then
  for page in kelvane kelvane-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null || true)
    [[ -z "$warnings" ]] || fail "manual page $page: $warnings"
  done
fi

# The installed kelvane-cli runs from the prefix and reads translation packs from
# the prefix's share/kelvane/Localizations (found relative to the program).
"$prefix/bin/kelvane-cli" help >/dev/null 2>&1 || fail "the installed kelvane-cli does not run"
mkdir -p "$prefix/share/kelvane/Localizations" "$work/home/data" "$work/home/config"
printf '{"Archive file not found.": "Archivdatei nicht gefunden."}\n' \
  >"$prefix/share/kelvane/Localizations/de.json"
message=$(HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config \
  LANG=de_DE.UTF-8 LANGUAGE=de LC_ALL='' LC_MESSAGES='' \
  "$prefix/bin/kelvane-cli" list "$work/missing.zip" 2>&1 || true)
[[ "$message" == *"Archivdatei nicht gefunden."* ]] ||
  fail "the installed kelvane-cli did not use the pack in share/kelvane/Localizations: $message"

# The opt-in command copies both scripts into the user's GNOME Files scripts
# folder and takes them out again.
scripts=$work/data/nautilus/scripts
XDG_DATA_HOME=$work/data bash "$prefix/share/kelvane/install-nautilus-scripts.sh" >/dev/null
for name in "Extract Here with Kelvane" "Compress with Kelvane"; do
  [[ -x "$scripts/$name" ]] || fail "install-nautilus-scripts did not install '$name'"
done
XDG_DATA_HOME=$work/data bash "$prefix/share/kelvane/install-nautilus-scripts.sh" --remove >/dev/null
[[ -z "$(ls -A "$scripts")" ]] || fail "install-nautilus-scripts --remove left $(ls -A "$scripts")"

if ((failures > 0)); then
  echo "$failures problem(s) in the install tree" >&2
  exit 1
fi
echo "install tree: all checks passed"
