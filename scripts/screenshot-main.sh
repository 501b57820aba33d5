#!/usr/bin/env bash
# Takes a screenshot of Sonbrel's main window on a virtual display of its own.
#   scripts/screenshot-main.sh [out.png] [media file]
# Opens the media file (by default a short tune made here) through Open MP3 File, presses
# Play, waits for the title line to follow the playback and grabs the window.
# SCREENSHOT_TITLE="text" sets the title line directly instead (to look at the label alone).
set -euo pipefail
# A prefix of its own, so that ending its Wine server disturbs no test run.
export SONBREL_WINEPREFIX="${SONBREL_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix-screenshot}"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

out="$(readlink -f "${1:-$BUILD/screenshot-main.png}")"
media="${2:-}"

"$ROOT/scripts/install-deps.sh"
build_win --target Sonbrel sonbrel-drive >/dev/null
ensure_wineprefix

if [ -z "$media" ]; then
  media="$BUILD/screenshot-media/Evening Tune.mp3"
  if [ ! -f "$media" ]; then
    mkdir -p "$(dirname "$media")"
    sox -n -r 44100 -c 2 -b 16 "$BUILD/screenshot-media/tune.wav" synth 20 pluck C4 pluck E4 pluck G4 gain -8
    lame --quiet -b 128 "$BUILD/screenshot-media/tune.wav" "$media"
  fi
fi

unset DISPLAY
start_xvfb
sonbrel_pid=""
cleanup() {
  [ -n "$sonbrel_pid" ] && kill "$sonbrel_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  stop_xvfb
  rm -f "${drive_out:-}"
}
trap cleanup EXIT

wine "$WIN_BUILD/Sonbrel.exe" >/dev/null 2>&1 </dev/null &
sonbrel_pid=$!
# Through a file, not a pipe: Wine's services inherit the output and would keep a pipe open.
drive_out="$(mktemp)"
drive() {
  local status=0
  wine "$WIN_BUILD/sonbrel-drive.exe" "$@" >"$drive_out" 2>&1 </dev/null || status=$?
  tr -d '\r' <"$drive_out"
  return $status
}
drive wait

if [ -n "${SCREENSHOT_TITLE:-}" ]; then
  drive title "$SCREENSHOT_TITLE"
else
  drive open "$(winpath "$media")" || true
  drive play
  sleep 3  # a few position updates
  title="$(drive gettitle)"
  echo "Title line: ${title:-(empty)}"
fi
sleep 1

# The main window is an X window of its own (frame included): crop the screen to it.
geometry="$(xwininfo -root -tree | grep '"Sonbrel"' | head -1 | grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -1)"
if [ -z "$geometry" ]; then
  echo "Could not find Sonbrel's window on the display" >&2
  exit 1
fi
size="${geometry%%+*}"
offset="${geometry#"$size"}"
# xwininfo -tree gives the offset relative to the parent (the root here).
import -window root -crop "${size}${offset}" +repage "$out"
echo "Screenshot of the main window ($size): $out"
