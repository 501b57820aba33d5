#!/usr/bin/env bash
# Checks, on the X server's own pixels, that the video reaches the screen in full screen:
# the test pattern is mostly saturated colour, an undrawn window black or grey.
#   check-picture.sh SCREENSHOT_DIR
set -euo pipefail
shot="${1:?usage: check-picture.sh SCREENSHOT_DIR}/video-fullscreen.png"
saturation=$(convert "$shot" -colorspace HSL -channel g -separate +channel -format '%[fx:mean]' info:)
echo "mean saturation of the full-screen video: $saturation"
awk -v s="$saturation" 'BEGIN { exit !(s > 0.4) }' || { echo "the video picture is not on the screen" >&2; exit 1; }
