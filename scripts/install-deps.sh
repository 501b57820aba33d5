#!/usr/bin/env bash
# Installs the Debian packages that building and running Sonbrel need, and with --tests
# those that its tests need as well.
# Runs apt-get only when something is missing, so it is cheap to call every time.
set -euo pipefail
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(
  cmake ninja-build make python3
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  g++ googletest libgtest-dev
  wine wine64 xvfb xauth x11-utils
  # Wine's own fonts (not pulled in without recommends): its symbol font draws the
  # caption buttons, arrows and check marks, which otherwise show as letters.
  fonts-wine
  # The platform's decoders: what Windows decodes itself (plugins-bad: IMA ADPCM WAV).
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad
  gstreamer1.0-libav
  sox libsox-fmt-mp3 lame ffmpeg espeak-ng mpg123 imagemagick bc
  fp-utils nsis libchm-bin
  fonts-dejavu-core fonts-wqy-microhei
)
if [ "${1:-}" = --tests ]; then
  # A sound server of the test's own, and its recorder, for the test that listens to the
  # preview. Not beside PipeWire's server for PulseAudio, with which PulseAudio's would
  # contend for the user's sessions; that test then reports itself skipped.
  packages+=(pulseaudio-utils)
  installed pipewire-pulse || packages+=(pulseaudio)
fi

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
