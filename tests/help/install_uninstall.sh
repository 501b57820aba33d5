#!/usr/bin/env bash
# Installs Sonbrel silently under Wine into a folder whose path has spaces and a name in
# other scripts, checks the files, the shortcuts and the uninstall entry, uninstalls
# silently and checks that all of it is gone while the user's settings (and a file of
# the user's) stay.
# Usage: install_uninstall.sh SonbrelSetup.exe Sonbrel.exe help.chm
set -euo pipefail
SETUP="$1" EXE="$2" CHM="$3"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
WINE="$HERE/../../scripts/wine-run.sh"
source "$HERE/../../scripts/common.sh"

BASE="${SONBREL_TEST_TMP:-/tmp/sonbrel-tests}/installer"
mkdir -p "$BASE"
DEST_NAME="Sonbrel · Звук · 音 · é"
DEST_UNIX="$BASE/Program Files/$DEST_NAME"
DEST_WIN="$(winpath "$BASE")\\Program Files\\$DEST_NAME"
MENU="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sonbrel"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonbrel'
SETTINGS_KEY='HKCU\Software\Travenor\Sonbrel'

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
absent() { [ ! -e "$1" ]; }
reg_has_key() { "$WINE" reg query "$1" >/dev/null 2>&1; }
reg_value() { "$WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
# A string value in any script: reg query prints only what the console's code page can
# spell, an export keeps UTF-16.
reg_text() {
  local file
  file="$(mktemp)"
  "$WINE" reg export "$1" "$(winpath "$file")" /y >/dev/null 2>&1
  python3 - "$file" "$2" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-16").read()
for m in re.finditer(r'^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$', text, re.M):
    if m.group(1) == sys.argv[2]:
        print(re.sub(r"\\(.)", r"\1", m.group(2)))
PY
  rm -f "$file"
}
no_key() { ! reg_has_key "$1"; }
same_value() { [ "$(reg_value "$1" "$2")" = "$3" ]; }
same_text() { [ "$(reg_text "$1" "$2")" = "$3" ]; }

install() {
  # NSIS takes everything after /D= as the folder, unquoted: pass it as separate words
  # so that Wine does not put quotes around it.
  # shellcheck disable=SC2086
  "$WINE" "$(winpath "$SETUP")" /S /D=$DEST_WIN
}

uninstall() {
  # The uninstaller copies itself away and returns at once; wait for it to finish.
  "$WINE" "$DEST_WIN\\Uninstall.exe" /S
  for _ in $(seq 600); do
    [ ! -e "$DEST_UNIX/Uninstall.exe" ] && ! reg_has_key "$UNINSTALL_KEY" && return 0
    sleep 0.1
  done
  return 1
}

rm -rf "$BASE"
mkdir -p "$BASE"
"$WINE" reg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1 || true

# The user's settings as Sonbrel leaves them.
"$WINE" reg add "$SETTINGS_KEY\\Option" /v output_cut_file /t REG_SZ /d 'Z:\tmp\Café 日本 keep me.wav' /f >/dev/null
"$WINE" reg add "$SETTINGS_KEY\\Setup" /v t_first_update /t REG_DWORD /d 1796000000 /f >/dev/null

echo "== install into $DEST_WIN"
install
check "Sonbrel.exe installed, identical to the build" cmp -s "$EXE" "$DEST_UNIX/Sonbrel.exe"
check "help.chm beside it, identical to the build" cmp -s "$CHM" "$DEST_UNIX/help.chm"
check "uninstaller installed" test -f "$DEST_UNIX/Uninstall.exe"
check "Start-menu shortcut to Sonbrel" test -f "$MENU/Sonbrel.lnk"
check "Start-menu shortcut to the uninstaller" test -f "$MENU/Uninstall Sonbrel.lnk"
check "uninstall entry names the program" same_value "$UNINSTALL_KEY" DisplayName Sonbrel
check "uninstall entry points at the uninstaller" \
  same_text "$UNINSTALL_KEY" UninstallString "\"$DEST_WIN\\Uninstall.exe\""

echo "== uninstall"
check "uninstaller finished" uninstall
check "Sonbrel.exe removed" absent "$DEST_UNIX/Sonbrel.exe"
check "help.chm removed" absent "$DEST_UNIX/help.chm"
check "program folder removed" absent "$DEST_UNIX"
check "Start-menu folder removed" absent "$MENU"
check "uninstall entry removed" no_key "$UNINSTALL_KEY"
check "user's output path kept" same_text "$SETTINGS_KEY\\Option" output_cut_file 'Z:\tmp\Café 日本 keep me.wav'
check "user's update time kept" same_value "$SETTINGS_KEY\\Setup" t_first_update "$(printf "0x%x" 1796000000)"

echo "== install again, leave a file of the user's in the folder, uninstall"
install
echo "my notes" > "$DEST_UNIX/notes.txt"
check "uninstaller finished" uninstall
check "program files removed" absent "$DEST_UNIX/Sonbrel.exe"
check "the user's file kept" test -f "$DEST_UNIX/notes.txt"
check "Start-menu folder removed" absent "$MENU"

rm -rf "$BASE"
echo "$failures failed"
[ "$failures" -eq 0 ]
