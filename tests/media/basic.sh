# Small files for the dialog tests. Runs in the media folder; makes what is missing.
[ -f tone-stereo.wav ] || sox -n -r 44100 -c 2 -b 16 tone-stereo.wav synth 4 sine 440 sine 660 gain -6
[ -f tone-stereo.mp3 ] || lame --quiet -b 128 tone-stereo.wav tone-stereo.mp3
[ -f empty.mp3 ] || : > empty.mp3
[ -f text.mp3 ] || echo "This is not an MP3 file at all." > text.mp3
