#!/usr/bin/env bash
# Makes the sample media a newcomer can open in Sonbrel, into the folder given (the run
# script passes samples/): a short spoken MP3, the same in Russian with a Russian name,
# and a small video. Only what is missing.
set -euo pipefail
out="${1:?usage: make-samples.sh DIR}"
source "$(dirname "${BASH_SOURCE[0]}")/media-files.sh"
mkdir -p "$out"
cd "$out"
spoken_mp3() {  # $1: the MP3 to write, $2: the voice, $3: the words
  espeak-ng -v "$2" -s 140 -w "$1.wav" "$3"
  lame --quiet -b 128 "$1.wav" "$1"
  rm -f "$1.wav"
}
make_file sample-speech.mp3 spoken_mp3 {} en \
  "Hello from Sonbrel. Open this file, press Convert, and you get a wave file that says the same."
russian="Пример речи.mp3"
make_file "$russian" spoken_mp3 {} ru \
  "Привет из Сонбрела. Откройте этот файл, нажмите Convert, и получите файл WAV с теми же словами."
make_file sample-video.avi ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=15 \
  -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 5 \
  -c:v mjpeg -q:v 6 -c:a pcm_s16le -ac 2 {}
echo "Sample media in $out: sample-speech.mp3, $russian, sample-video.avi"
