# Small files for the dialog tests. Runs in the media folder; makes what is missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/media-files.sh"
make_file tone-stereo.wav sox -n -r 44100 -c 2 -b 16 {} synth 4 sine 440 sine 660 gain -6
make_file tone-stereo.mp3 lame --quiet -b 128 tone-stereo.wav {}
make_file empty.mp3 true
make_file text.mp3 echo "This is not an MP3 file at all."
