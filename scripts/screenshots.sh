#!/usr/bin/env bash
# Starts the window under a virtual X display on archives made here, drives it with the
# command line and keys, and writes one PNG per view into the folder given (default
# build/screenshots): welcome, image preview, text preview, search results, folder totals,
# two tabs, the busy overlay of a long extraction, an error notice, the dark appearance, and
# the Extract Here window of the file manager's action while it runs and with failures; then
# the browsed archive, the extract sheet and the create sheet in languages with long words
# and in right-to-left (lang-<code>-01-browsed, -02-extract-sheet, -03-create-sheet).
# Usage: scripts/screenshots.sh [output folder] [all|main|languages]
# KELVANE_BIN picks the program (default: the release build, built when missing);
# KELVANE_SHOT_LANGUAGES the language codes (default: de fi ru ja ar).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
out=$(realpath -m "${1:-build/screenshots}")
views=${2:-all}
case "$views" in
  all|main|languages) ;;
  *) echo "screenshots: the views are all, main or languages, not '$views'" >&2; exit 2 ;;
esac
mkdir -p "$out"

if [[ -z "${KELVANE_BIN:-}" ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target kelvane >/dev/null
  KELVANE_BIN=$root/build/release/app/kelvane
fi
for tool in Xvfb xdotool import 7zz python3; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

# --- archives --------------------------------------------------------------------------
python3 - "$work" <<'PY'
import os, random, struct, sys, zlib
work = sys.argv[1]
src = os.path.join(work, "project")
def write(rel, data):
    path = os.path.join(src, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())
def png(w, h):
    rows = b""
    for y in range(h):
        row = bytearray([0])
        for x in range(w):
            row += bytes([(x * 255) // w, (y * 255) // h, 200 - (x * 120) // w])
        rows += bytes(row)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
write("a-cover.png", png(320, 200))
write("b-readme.md", "# Kelvane sample\n\nThis archive was made for the screenshots.\n\n" +
      "\n".join(f"- item {i}: the quick brown fox jumps over the lazy dog" for i in range(40)))
random.seed(7)
for d in ("docs", "docs/guides", "docs/guides/deep", "src", "src/core", "src/ui", "assets/images"):
    for i in range(4):
        ext = random.choice(["txt", "cpp", "hpp", "json", "png", "md"])
        body = ("lorem ipsum dolor sit amet " * random.randint(20, 400))
        write(f"{d}/file-{i}-report.{ext}" if ext != "png" else f"{d}/image-{i}.png",
              body if ext != "png" else png(64, 64))
write("docs/guides/report-summary.txt", "report summary\n" * 200)
write("src/core/report_parser.cpp", "int main() { return 0; }\n" * 100)
PY
(cd "$work/project" && 7zz a -tzip -bd -mx=7 "$work/sample-project.zip" . >/dev/null)
mkdir -p "$work/second"
printf 'second archive\n' > "$work/second/notes.txt"
seq 1 5000 > "$work/second/numbers.txt"
(cd "$work/second" && 7zz a -t7z -bd "$work/second-archive.7z" . >/dev/null)
if [[ "$views" != languages ]]; then
mkdir -p "$work/big"
head -c 900M /dev/zero > "$work/big/zeros.bin"
(cd "$work/big" && 7zz a -tzip -bd -mx=1 "$work/large-extract.zip" . >/dev/null)
rm -rf "$work/big"
fi
printf 'this is not an archive at all' > "$work/broken.zip"

# --- the display and the program ------------------------------------------------------
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export LANG=en_US.UTF-8 LANGUAGE= LC_ALL= ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb
export DBUS_SESSION_BUS_ADDRESS=disabled:
# A display of its own; a program started on a display after another window quit was seen
# to show nothing, so each later part starts on a fresh one.
xvfb_pid=""
fresh_display() {
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  local display=:$((90 + RANDOM % 100))
  # -noreset: the language pictures start the program once per picture, and the server
  # died after a few of the resets it makes when its last client leaves.
  Xvfb "$display" -screen 0 1280x820x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
}
fresh_display

window=""
start() {
  "$KELVANE_BIN" "$@" >"$work/kelvane.log" 2>&1 &
  window=""
  for _ in $(seq 200); do
    window=$(xdotool search --name "^Kelvane .* by Tessaloom$" 2>/dev/null | head -1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
  done
  [[ -n "$window" ]] || { echo "screenshots: the window did not appear"; cat "$work/kelvane.log"; exit 1; }
  xdotool windowmove "$window" 0 0 windowsize "$window" 1240 780 windowfocus --sync "$window" 2>/dev/null || true
}
shot() {  # name, settle seconds
  sleep "${2:-1.2}"
  import -window root -crop 1240x780+0+0 +repage "$out/$1.png"
  echo "wrote $out/$1.png"
}
shot_window() {  # name, window id, settle seconds: just that window
  sleep "${3:-0.8}"
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$2" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1.png"
  echo "wrote $out/$1.png"
}
find_window() {  # title pattern; prints the id once the window is up
  local id=""
  for _ in $(seq 200); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -1 || true)
    [[ -n "$id" ]] && break
    sleep 0.05
  done
  [[ -n "$id" ]] || { echo "screenshots: no window named $1" >&2; cat "$work/kelvane.log" >&2; exit 1; }
  echo "$id"
}
keys() { xdotool key --window "$window" --delay 80 "$@"; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# The window is gone before the keys are released, which xdotool reports as an X error.
stop() { keys ctrl+q 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# --- the main views (English) ---------------------------------------------------------
if [[ "$views" != languages ]]; then
start
pid=$!
shot 01-welcome 2
"$KELVANE_BIN" "$work/sample-project.zip" >/dev/null 2>&1   # handed to the running window
shot 02-image-preview 3
click 400 251; keys Down                                       # the next file: the text
shot 03-text-preview 2.5
keys ctrl+f; xdotool type --window "$window" --delay 60 report
shot 04-search-results 1.5
keys ctrl+a BackSpace; click 400 173; keys Home               # clear, back to the folders
shot 05-folder-totals 1.5
"$KELVANE_BIN" "$work/second-archive.7z" >/dev/null 2>&1
shot 06-two-tabs 2.5
"$KELVANE_BIN" "$work/large-extract.zip" >/dev/null 2>&1
sleep 3
# Extract Here in the toolbar (fourth button), then catch the overlay while it runs.
click "${EXTRACT_HERE_X:-617}" "${EXTRACT_HERE_Y:-41}"
shot 07-busy-extraction 0.8
sleep 8
"$KELVANE_BIN" "$work/broken.zip" >/dev/null 2>&1
shot 08-error-notice 1.2
stop "$pid"

# The dark appearance, chosen in the View menu and kept in the defaults store.
python3 - "$XDG_CONFIG_HOME/Tessaloom/defaults.json" <<'PY'
import json, os, sys
path = sys.argv[1]
values = json.load(open(path)) if os.path.exists(path) else {}
values["com.tessaloom.kelvane.appearance"] = "dark"
os.makedirs(os.path.dirname(path), exist_ok=True)
json.dump(values, open(path, "w"))
PY
fresh_display
start "$work/sample-project.zip"
pid=$!
shot 09-dark-appearance 3.5
stop "$pid"

# Extract Here, as the file manager starts it: a process and a small window of its own, in the
# light appearance again. First caught while the first of two archives is written, then
# stopped as a logout would stop it; then three archives of which two cannot be extracted.
python3 - "$XDG_CONFIG_HOME/Tessaloom/defaults.json" <<'PY'
import json, sys
path = sys.argv[1]
values = json.load(open(path))
values.pop("com.tessaloom.kelvane.appearance", None)
json.dump(values, open(path, "w"))
PY
mkdir -p "$work/here"
cp "$work/large-extract.zip" "$work/here/holiday-videos.zip"
cp "$work/second-archive.7z" "$work/here/notes-2024.7z"
"$KELVANE_BIN" --extract-here "$work/here/holiday-videos.zip" "$work/here/notes-2024.7z" \
  >"$work/kelvane.log" 2>&1 &
pid=$!
here=$(find_window "^Extract Here .* Kelvane$")
shot_window 10-extract-here-progress "$here" 0.7
kill -TERM "$pid"; wait "$pid" 2>/dev/null || true

python3 - "$work/sample-project.zip" "$work/here/project-backup.zip" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
middle = len(data) // 2
for i in range(middle - 64, middle + 64):
    data[i] ^= 0xFF
open(sys.argv[2], "wb").write(data)
PY
cp "$work/broken.zip" "$work/here/invoice-scans.zip"
"$KELVANE_BIN" --extract-here "$work/here/notes-2024.7z" "$work/here/project-backup.zip" \
  "$work/here/invoice-scans.zip" >"$work/kelvane.log" 2>&1 &
pid=$!
here=$(find_window "^Extract Here .* Kelvane$")
for _ in $(seq 200); do grep -q "archives extracted" "$work/kelvane.log" && break; sleep 0.05; done
shot_window 11-extract-here-failures "$here" 0.5
kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
fi

# --- long and right-to-left languages -------------------------------------------------
# Each language starts with a defaults store of its own (light appearance, no recent
# archives) that holds the language chosen as the language menu stores it.
language_shots() {
  local code view pid config_home=$XDG_CONFIG_HOME
  for code in ${KELVANE_SHOT_LANGUAGES:-de fi ru ja ar}; do
    export XDG_CONFIG_HOME=$work/config-$code
    python3 - "$XDG_CONFIG_HOME/Tessaloom/defaults.json" "$code" <<'PY'
import json, os, sys
os.makedirs(os.path.dirname(sys.argv[1]), exist_ok=True)
json.dump({"com.tessaloom.preferredLanguage": sys.argv[2]}, open(sys.argv[1], "w"))
PY
    # A sheet holds the keyboard only once a window manager gives it the focus, which
    # Xvfb has none of: each picture gets a run of its own, ended by its process id.
    for view in "01-browsed" "02-extract-sheet ctrl+e" "03-create-sheet ctrl+n"; do
      set -- $view
      start "$work/sample-project.zip"
      pid=$!
      sleep 2.5
      if [[ $# -gt 1 ]]; then keys "$2"; fi     # Extract All, New Archive
      shot "lang-$code-$1" 1.5
      kill "$pid"
      wait "$pid" 2>/dev/null || true
      # The combination was seen to stay held in the server, and its key repeat opened
      # the sheet again in the next run: release it.
      if [[ $# -gt 1 ]]; then xdotool keyup "$2"; fi
    done
  done
  export XDG_CONFIG_HOME=$config_home
}
if [[ "$views" == languages ]]; then
  language_shots
elif [[ "$views" == all ]]; then
  # After the main views the next program started here was seen to show no window: the
  # languages get a run of the script of their own, with a fresh display and folders.
  KELVANE_BIN=$KELVANE_BIN bash "${BASH_SOURCE[0]}" "$out" languages
fi
