#!/usr/bin/env bash
# Makes the sample media a newcomer can open in Sonbrel, into the folder given (the run
# script passes samples/): a short spoken MP3, the same in Russian with a Russian name,
# and a small video. Only what is missing.
set -euo pipefail
out="${1:?usage: make-samples.sh DIR}"
mkdir -p "$out"
cd "$out"
if [ ! -f sample-speech.mp3 ]; then
  espeak-ng -s 140 -w sample-speech.wav \
    "Hello from Sonbrel. Open this file, press Convert, and you get a wave file that says the same."
  lame --quiet -b 128 sample-speech.wav sample-speech.mp3
  rm -f sample-speech.wav
fi
russian="Пример речи.mp3"
if [ ! -f "$russian" ]; then
  espeak-ng -v ru -s 140 -w sample-ru.wav \
    "Привет из Сонбрела. Откройте этот файл, нажмите Convert, и получите файл WAV с теми же словами."
  lame --quiet -b 128 sample-ru.wav "$russian"
  rm -f sample-ru.wav
fi
if [ ! -f sample-video.avi ]; then
  ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=15 \
    -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 5 \
    -c:v mjpeg -q:v 6 -c:a pcm_s16le -ac 2 sample-video.avi
fi
echo "Sample media in $out: sample-speech.mp3, $russian, sample-video.avi"
