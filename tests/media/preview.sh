# Media for the preview tests. Runs in the media folder; makes what is missing.
# An 8 s MP3 tone, a 6 s 160x120 video with sound (MPEG-4 part 2 + MP3 in AVI, which the
# platform's decoders render with a picture), and a file that no decoder can render.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/media-files.sh"
make_file preview-tone.wav sox -n -r 44100 -c 2 -b 16 {} synth 8 sine 330 sine 550 gain -6
make_file preview-tone.mp3 lame --quiet -b 128 preview-tone.wav {}
make_file preview-video.avi ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=15 \
  -f lavfi -i sine=frequency=440:sample_rate=44100 -t 6 -c:v mpeg4 -q:v 5 -c:a libmp3lame -b:a 64k {}
make_file preview-broken.mp3 printf 'Not a media file: the preview cannot render this.\n'
# A 4 s 440 Hz tone with a loud 50 ms blip 1 s in, for the test that listens to the preview.
make_file preview-blip.wav sox -m -v 1 "|sox -n -r 44100 -c 2 -p synth 4 sine 440 vol 0.25" \
  -v 1 "|sox -n -r 44100 -c 2 -p synth 0.05 square 500 vol 0.5 pad 1" -b 16 {}
make_file preview-blip.mp3 lame --quiet -b 128 preview-blip.wav {}
# A 2-minute tune, long enough to mark several ranges while it plays.
make_file preview-tune.wav sox -n -r 44100 -c 2 -b 16 {} synth 120 sine 220-880 sine 330 gain -6
make_file preview-tune.mp3 lame --quiet -b 128 preview-tune.wav {}
