#!/usr/bin/env bash
# Installs what is missing, builds Sonbrel and starts it (under Wine on Linux).
#   run.sh [FILE]: FILE, if given, opens at start: a Linux path (in any script), or a
#   path as Windows spells it, passed on as it stands.
set -euo pipefail
# The program's own prefix: what the tests store there never reaches the user's settings.
export SONBREL_WINEPREFIX="${SONBREL_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix-run}"
# The user's own sound set-up, whatever it is.
SONBREL_SOUND=desktop
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "No display to show Sonbrel on. Run it under a virtual display instead: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
"$ROOT/scripts/install-deps.sh"
build_win --target Sonbrel
ensure_wineprefix desktop
if [ -x "$ROOT/scripts/make-samples.sh" ]; then "$ROOT/scripts/make-samples.sh" "$ROOT/samples"; fi
# The file to open, in Windows's spelling; further arguments are not passed on.
file=()
if [ $# -gt 0 ]; then
  if [ -e "$1" ]; then file=("$(winpath "$1")"); else file=("$1"); fi
fi
echo "Starting Sonbrel ($WIN_BUILD/Sonbrel.exe)"
exec wine "$WIN_BUILD/Sonbrel.exe" "${file[@]}"
