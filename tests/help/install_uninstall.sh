#!/usr/bin/env bash
# Installs Sonbrel silently under Wine into a folder whose path has spaces and a name in
# other scripts, checks the files, the shortcuts and the uninstall entry, uninstalls
# silently and checks that all of it is gone while the user's settings (and a file of
# the user's) stay. Open with: the program's entries name the installed path and "%1",
# no type's default changes, and the uninstall takes back only what the install wrote.
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
# read_export KEY ARGS...: runs the Python program on the standard input with an export of
# KEY and ARGS as its arguments. An export keeps UTF-16, where reg query prints only what
# the console's code page can spell.
read_export() {
  local key="$1" file
  shift
  file="$(mktemp)"
  "$WINE" reg export "$key" "$(winpath "$file")" /y </dev/null >/dev/null 2>&1
  python3 - "$file" "$@"
  rm -f "$file"
}
# A string value in any script (@: the key's default value).
reg_text() {
  read_export "$1" "$2" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-16").read()
for m in re.finditer(r'^(@|"((?:[^"\\]|\\.)*)")="((?:[^"\\]|\\.)*)"$', text, re.M):
    if (m.group(2) if m.group(1) != "@" else "@") == sys.argv[2]:
        print(re.sub(r"\\(.)", r"\1", m.group(3)))
PY
}
no_key() { ! reg_has_key "$1"; }
same_value() { [ "$(reg_value "$1" "$2")" = "$3" ]; }
same_text() { [ "$(reg_text "$1" "$2")" = "$3" ]; }

CLASSES='HKLM\Software\Classes'
PROGID=Travenor.Sonbrel.Media
OPEN_WITH_TYPES=".aac .ac3 .aif .aiff .avi .flac .m4a .mkv .mp2 .mp3 .mp4 .mpeg .mpg .ogg .opus .vob .wav .webm .wma .wmv"
# The types whose OpenWithProgids offer Sonbrel's file type, sorted, on one line.
types_offering() {
  read_export "$CLASSES" "$PROGID" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-16").read()
found = set()
for m in re.finditer(r'^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\(\.[^\\\]]+)\\OpenWithProgids\]\n((?:[^\[\n].*\n)*)', text, re.M | re.I):
    if re.search(r'^"' + re.escape(sys.argv[2]) + '"=', m.group(2), re.M):
        found.add(m.group(1).lower())
print(" ".join(sorted(found)))
PY
}
offered() { [ "$(types_offering)" = "$1" ]; }
has_value() { "$WINE" reg query "$1" /v "$2" >/dev/null 2>&1; }

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
# Another program's file type for .mkv, its default, which Sonbrel's install must leave.
"$WINE" reg add "$CLASSES\\.mkv" /ve /d Other.Player.mkv /f >/dev/null
"$WINE" reg add "$CLASSES\\.mkv\\OpenWithProgids" /v Other.Player.mkv /d "" /f >/dev/null

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
OPEN_COMMAND="\"$DEST_WIN\\Sonbrel.exe\" \"%1\""
check "Open with: the application's open command" \
  same_text "$CLASSES\\Applications\\Sonbrel.exe\\shell\\open\\command" @ "$OPEN_COMMAND"
check "Open with: the application's name" same_value "$CLASSES\\Applications\\Sonbrel.exe" FriendlyAppName Sonbrel
check "Open with: the application's types" reg_has_key "$CLASSES\\Applications\\Sonbrel.exe\\SupportedTypes"
check "Open with: the file type's open command" same_text "$CLASSES\\$PROGID\\shell\\open\\command" @ "$OPEN_COMMAND"
check "Open with: every media type offers it" offered "$OPEN_WITH_TYPES"
check "Run finds it by name" same_text 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sonbrel.exe' @ \
  "$DEST_WIN\\Sonbrel.exe"
check "another program's default for .mkv kept" same_text "$CLASSES\\.mkv" @ Other.Player.mkv

echo "== uninstall"
check "uninstaller finished" uninstall
check "Sonbrel.exe removed" absent "$DEST_UNIX/Sonbrel.exe"
check "help.chm removed" absent "$DEST_UNIX/help.chm"
check "program folder removed" absent "$DEST_UNIX"
check "Start-menu folder removed" absent "$MENU"
check "uninstall entry removed" no_key "$UNINSTALL_KEY"
check "Open with: the application's entry removed" no_key "$CLASSES\\Applications\\Sonbrel.exe"
check "Open with: the file type removed" no_key "$CLASSES\\$PROGID"
check "Open with: no media type offers it" offered ""
check "Run's entry removed" no_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sonbrel.exe'
check "a type that only Sonbrel had written removed" no_key "$CLASSES\\.opus"
check "another program's file type for .mkv kept" has_value "$CLASSES\\.mkv\\OpenWithProgids" Other.Player.mkv
check "another program's default for .mkv still kept" same_text "$CLASSES\\.mkv" @ Other.Player.mkv
check "the platform's own .mp3 entry kept" same_text "$CLASSES\\.mp3" "Content Type" audio/mpeg
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
"$WINE" reg delete "$CLASSES\\.mkv" /f >/dev/null 2>&1 || true
echo "$failures failed"
[ "$failures" -eq 0 ]
