#!/usr/bin/env bash
# Makes the sample media a newcomer can open in Sonbrel, into the folder given (the run
# script passes samples/): a short spoken MP3 and a small video. Only what is missing.
set -euo pipefail
out="${1:?usage: make-samples.sh DIR}"
source "$(dirname "${BASH_SOURCE[0]}")/media-files.sh"
mkdir -p "$out"
cd "$out"
spoken_mp3() {  # $1: the MP3 to write
  espeak-ng -s 140 -w "$1.wav" \
    "Hello from Sonbrel. Open this file, press Convert, and you get a wave file that says the same."
  lame --quiet -b 128 "$1.wav" "$1"
  rm -f "$1.wav"
}
make_file sample-speech.mp3 spoken_mp3 {}
make_file sample-video.avi ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=15 \
  -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 5 \
  -c:v mjpeg -q:v 6 -c:a pcm_s16le -ac 2 {}
echo "Sample media in $out: sample-speech.mp3, sample-video.avi"
