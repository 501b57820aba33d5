#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Sonbrel need.
# Runs apt-get only when something is missing, so it is cheap to call every time.
set -euo pipefail

packages=(
  cmake ninja-build make python3
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  g++ googletest libgtest-dev
  wine wine64 xvfb xauth x11-utils
  # Wine's own fonts (not pulled in without recommends): its symbol font draws the
  # caption buttons, arrows and check marks, which otherwise show as letters.
  fonts-wine
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  sox libsox-fmt-mp3 lame ffmpeg espeak-ng mpg123 imagemagick bc
  fp-utils nsis libchm-bin
  fonts-dejavu-core fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
