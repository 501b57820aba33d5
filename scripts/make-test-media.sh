#!/usr/bin/env bash
# Makes the media files the Windows tests convert and play (into the folder given).
set -euo pipefail
out="${1:?usage: make-test-media.sh DIR}"
mkdir -p "$out"
cd "$out"
[ -f .complete ] && exit 0
sox -n -r 44100 -c 2 -b 16 tone-stereo.wav synth 4 sine 440 sine 660 gain -6
lame --quiet -b 128 tone-stereo.wav tone-stereo.mp3
: > empty.mp3
echo "This is not an MP3 file at all." > text.mp3
touch .complete
