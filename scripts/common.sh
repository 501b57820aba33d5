# Shared by the run and test scripts: paths, the builds and the Wine environment.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SONBREL_BUILD:-$ROOT/build}"
NATIVE_BUILD="$BUILD/native"
NATIVE_ASSERTS_BUILD="$BUILD/native-asserts"
# A test that runs a script on its own tree passes the tree (SONBREL_WIN_BUILD).
WIN_BUILD="${SONBREL_WIN_BUILD:-$BUILD/win}"
export WINEPREFIX="${SONBREL_WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# Sound: the run command (SONBREL_SOUND=desktop) plays through whatever the desktop has,
# PulseAudio, PipeWire's server for it, or ALSA. Everything else, the tests and the
# headless scripts, plays into nothing: ALSA's null device, and a sound server address
# where none listens, so that Wine's pulse driver finds none and Wine falls back on ALSA.
if [ "${SONBREL_SOUND:-}" != desktop ]; then
  export ALSA_CONFIG_PATH="$ROOT/scripts/alsa-null.conf"
  export PULSE_SERVER=unix:/dev/null
fi
# The platform's decoders from the bad set (IMA ADPCM WAV, MPEG program streams) bring
# two that would change what converted before: the GSM and DTS decoders decode otherwise
# than the libav ones used so far. They are left out of the platform's choice. (Its AIFF
# parser stays, as plain Wine has it: the one that reads 24-bit and floating-point AIFF.
# It does not read IMA ADPCM in AIFF-C, which is then refused at open.)
export GST_PLUGIN_FEATURE_RANK="${GST_PLUGIN_FEATURE_RANK:+$GST_PLUGIN_FEATURE_RANK,}gsmdec:NONE,dtsdec:NONE"
# No Mono or Gecko downloads at prefix creation (this machine has no network).
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;winemenubuilder.exe=}"
# Wine reads the names in its command lines in the locale's character set: UTF-8, so
# that file names in any script pass unchanged.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf-8* | *UTF8* | *utf8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

generator() { command -v ninja >/dev/null && echo Ninja || echo "Unix Makefiles"; }

# CI sets SONBREL_WARNINGS_AS_ERRORS=ON: the project's own code then builds with
# warnings as errors. Passed on every configuration, so that a tree follows the caller.
configure() {  # configure BUILD_DIR [CMAKE ARGS...]
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G "$(generator)" \
    -DSONBREL_WARNINGS_AS_ERRORS="${SONBREL_WARNINGS_AS_ERRORS:-OFF}" "$@" >/dev/null
}

build_native() {
  configure "$NATIVE_BUILD" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$NATIVE_BUILD" -j "$(nproc)"
}

# The native unit tests once more with assertions on: the code's own asserts and the
# standard library's checks (bounds, iterators).
build_native_asserts() {
  configure "$NATIVE_ASSERTS_BUILD" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS
  cmake --build "$NATIVE_ASSERTS_BUILD" -j "$(nproc)" --target sonbrel_native_tests
}

build_win() {
  configure "$WIN_BUILD" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
  cmake --build "$WIN_BUILD" -j "$(nproc)" "$@"
}

# Creates the Wine prefix once, and gives it the settings below (again whenever they
# change: the marker names their version and the kind of prefix).
# ensure_wineprefix [desktop]: "desktop" is the prefix of the run command, whose windows
# the user's window manager frames, moves and lists; without it, the prefix of the tests
# and the screenshots on a virtual display without a window manager.
# - Without a window manager Wine waits about 2 s on every window close unless its
#   windows are unmanaged; only the headless prefixes leave their windows unmanaged.
# - On a display without GL acceleration, a video window owned by the renderer's thread
#   and placed inside one of ours is drawn through GL into a surface that never reaches
#   the screen; Direct3D's GDI renderer draws it into the window itself.
# - The dialogs' font comes out as DejaVu Sans, which has no Chinese or Japanese letters:
#   it is linked to a font that has them, as Windows links its own fonts.
PREFIX_SETTINGS_VERSION=4
ensure_wineprefix() {
  local kind="${1:-headless}"
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    local marker="$WINEPREFIX/.sonbrel-ready-$PREFIX_SETTINGS_VERSION-$kind"
    if [ ! -f "$marker" ]; then
      echo "Preparing the Wine prefix in $WINEPREFIX ..."
      [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || true
      rm -f "$WINEPREFIX"/.sonbrel-ready-*
      local x11='HKCU\Software\Wine\X11 Driver'
      if [ "$kind" = desktop ]; then
        # Wine's default, managed windows; an earlier version set them unmanaged here.
        wine reg delete "$x11" /v Managed /f >/dev/null 2>&1 || true
      else
        wine reg add "$x11" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      fi
      wine reg add "$x11" /v Decorated /t REG_SZ /d Y /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'DejaVu Sans' \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
      wineserver -w
      touch "$marker"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Keeps one Wine server, its services and the desktop's process running for a series of
# programs. They are started here, detached from any output pipe, so that a runner
# reading a program's output (CTest) does not wait for them to end. Left to the first
# program that shows a window, the desktop's process would keep that program's output
# open for as long as any other program of the session runs.
start_wine_session() {
  wineserver -p 2>/dev/null || true  # one may be running already, from an earlier script
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  wine explorer.exe /desktop >/dev/null 2>&1 </dev/null &  # a second one ends at once
  local _
  for _ in $(seq 100); do desktop_running && return 0; sleep 0.1; done
  echo "The Wine desktop did not start" >&2
}

# Whether this prefix's desktop process runs.
desktop_running() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && return 0
  done
  return 1
}

# Starts Xvfb when there is no display; sets DISPLAY.
start_xvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  done
  echo "Could not start Xvfb" >&2
  return 1
}

stop_xvfb() { [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null; return 0; }

# Unix path -> the Windows path Wine shows for it.
winpath() { printf 'Z:%s' "$(readlink -f "$1" | tr '/' '\\')"; }
