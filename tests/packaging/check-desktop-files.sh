#!/usr/bin/env bash
# Checks the files Kelvane hands to the desktop: the desktop entry and the
# AppStream metadata pass the freedesktop validators (skipped with a message
# when those are not installed), the archive types offered by the desktop
# entry, the KDE Extract Here menu and the metadata are one list of types the
# MIME database knows, and the icon named everywhere exists at every size.
set -euo pipefail
packaging=${1:?usage: check-desktop-files.sh PACKAGING-DIR}
app_id=io.tessaloom.Kelvane
desktop=$packaging/$app_id.desktop
metainfo=$packaging/$app_id.metainfo.xml
extract_menu=$packaging/kio/servicemenus/kelvane-extract.desktop

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
else
  echo "SKIP: desktop-file-validate is not installed (Debian package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
else
  echo "SKIP: appstreamcli is not installed (Debian package appstream)"
fi

# Every screenshot the metadata names is one the screenshot script made and the
# repository keeps for publishing, at a size the software centres show.
for image in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's/<[^>]*>//g'); do
  picture=$packaging/screenshots/$(basename "$image")
  if [[ ! -f "$picture" ]]; then
    fail "the metadata names $image, but $picture is missing"
  elif command -v identify >/dev/null; then
    width=$(identify -format '%w' "$picture")
    ((width >= 400)) || fail "$picture is only $width pixels wide"
  fi
done

mime_list() { sed -n 's/^MimeType=//p' "$1" | tr ';' '\n' | grep . | sort; }
desktop_types=$(mime_list "$desktop")
menu_types=$(mime_list "$extract_menu")
metainfo_types=$(grep -o '<mediatype>[^<]*</mediatype>' "$metainfo" |
  sed 's/<[^>]*>//g' | sort)
[[ -n "$desktop_types" ]] || fail "the desktop entry lists no MIME types"
[[ "$menu_types" == "$desktop_types" ]] ||
  fail "Extract Here menu and desktop entry offer different types: $(diff <(echo "$desktop_types") <(echo "$menu_types") | grep '^[<>]' | tr '\n' ' ')"
[[ "$metainfo_types" == "$desktop_types" ]] ||
  fail "metadata and desktop entry list different types: $(diff <(echo "$desktop_types") <(echo "$metainfo_types") | grep '^[<>]' | tr '\n' ' ')"

# A misspelt type is valid syntax to the validators but matches no file.
mime_db=/usr/share/mime/packages/freedesktop.org.xml
# Names that only newer MIME databases than Debian 12's use.
newer_names=" application/x-bzip2-compressed-tar "
if [[ -f "$mime_db" ]]; then
  while read -r type; do
    [[ "$newer_names" == *" $type "* ]] && continue
    grep -q "type=\"$type\"" "$mime_db" || fail "the MIME database does not know $type"
  done <<<"$desktop_types"
else
  echo "SKIP: no MIME database at $mime_db (Debian package shared-mime-info)"
fi

# The icon every file names, as SVG and at each PNG size with the right pixels.
for file in "$desktop" "$extract_menu" "$packaging/kio/servicemenus/kelvane-compress.desktop"; do
  grep -q "^Icon=$app_id\$" "$file" || fail "$file does not use the icon $app_id"
done
[[ -f "$packaging/icons/hicolor/scalable/apps/$app_id.svg" ]] || fail "no scalable icon"
for size in 16 24 32 48 64 128 256 512; do
  png=$packaging/icons/hicolor/${size}x${size}/apps/$app_id.png
  if [[ ! -f "$png" ]]; then
    fail "no ${size}px icon"
    continue
  fi
  # PNG header: width and height are big-endian 32-bit at offsets 16 and 20.
  width=unreadable height=unreadable
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" 2>/dev/null |
    awk 'NF == 8 {print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}') || true
  [[ "$width" == "$size" && "$height" == "$size" ]] ||
    fail "$png is ${width}x${height}, not ${size}x${size}"
done

if ((failures > 0)); then
  echo "$failures problem(s) in the desktop files" >&2
  exit 1
fi
echo "desktop files: all checks passed"
