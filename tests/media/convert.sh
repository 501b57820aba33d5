# Media for the conversion tests. Runs in the media folder; makes what is missing.
# Speech from espeak-ng gives every file real content to compare sample by sample.
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
source "$here/../../scripts/media-files.sh"

# conv-speech.wav: mono 22050 Hz, about 5 seconds
make_file conv-speech.wav espeak-ng -s 150 -w {} \
  "Sonbrel turns the audio of a media file into a wave file. One, two, three, four, five."
make_file conv-stereo44.wav sox -M \
  "|sox conv-speech.wav -r 44100 -p" "|sox -n -r 44100 -c 1 -p synth 5 sine 200-2000 gain -12" \
  -r 44100 -b 16 {}
make_file conv-stereo44.mp3 lame --quiet -b 128 conv-stereo44.wav {}
make_file conv-mono22.mp3 lame --quiet -m m -b 64 conv-speech.wav {}
make_file conv-vbr.mp3 lame --quiet -V 4 conv-stereo44.wav {}
# 24-bit stereo PCM: a frame of 6 bytes, which a 5000-byte step splits.
make_file conv-stereo24.wav sox conv-stereo44.wav -b 24 {}
# 8-bit mono PCM with an odd number of samples (80075): the data length is odd. In an AVI,
# since the platform's WAV parser reports no length for such a file.
make_file conv-mono8.avi ffmpeg -loglevel error -y -i conv-speech.wav -c:a pcm_u8 -ar 11025 -ac 1 {}
# IMA ADPCM, as many voice recorders and games write it: 320300 frames (conv-stereo44.wav's)
# in blocks of 4 bits a sample.
make_file conv-ima-adpcm.wav ffmpeg -loglevel error -y -i conv-stereo44.wav -c:a adpcm_ima_wav {}
# A small video with a picture and a sound track.
make_file conv-video.avi ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10 \
  -i conv-stereo44.wav -t 4 -c:v mjpeg -q:v 5 -c:a pcm_s16le -ar 44100 -ac 2 {}
# A minute of stereo tone, for stopping during the job and for the data-length bound.
long_tone() { sox -n -r 44100 -c 2 -b 16 -t wav - synth 60 sine 300 sine 500 gain -6 | lame --quiet -b 128 - -; }
make_file conv-long.mp3 long_tone
# Files whose length the platform estimates from their first frames: a loud 3 s (high
# bit rate) and a quiet 12.5 s (low), so that the estimate falls far short of the 15.5 s.
make_file conv-loud.wav sox -n -r 44100 -c 2 -b 16 {} synth 3 whitenoise gain -6
make_file conv-quiet.wav sox -n -r 44100 -c 2 -b 16 {} synth 12.5 sine 440 gain -40
make_file conv-loud-quiet.wav sox conv-loud.wav conv-quiet.wav {}
# A VBR MP3 without a length tag.
make_file conv-untagged-vbr.mp3 lame --quiet -t -V 2 conv-loud-quiet.wav {}
# Two CBR MP3s joined: 320 kbps, then 64 kbps (at the same sample rate).
joined_cbr() {
  lame --quiet -b 320 conv-loud.wav - && lame --quiet -b 64 --resample 44.1 conv-quiet.wav -
}
make_file conv-joined-cbr.mp3 joined_cbr
# An AAC ADTS stream whose bit rate falls after 3 s (two ADTS streams joined).
joined_adts() {
  ffmpeg -loglevel error -i conv-loud.wav -c:a aac -b:a 256k -f adts - &&
    ffmpeg -loglevel error -i conv-quiet.wav -c:a aac -b:a 32k -f adts -
}
make_file conv-joined-adts.aac joined_adts
# Films' sound tracks of many channels, each channel a tone of its own (the low one on the
# low-frequency channel), so that a channel out of its place shows. ffmpeg's order is the
# WAVE order: front left, front right, centre, low frequency, back left, back right, then
# side left and side right.
channel_tones() {  # channel_tones LAYOUT CHANNEL... : a 4 s filter graph of one tone a channel
  local layout=$1 graph="" map="" i=0 freqs=(400 600 800 60 1000 1200 1400 1600) ch
  shift
  for ch in "$@"; do
    graph+="sine=frequency=${freqs[$i]}:sample_rate=48000:duration=4[t$i];"
    map+="${map:+|}$i.0-$ch"
    i=$((i + 1))
  done
  for ((j = 0; j < i; j++)); do graph+="[t$j]"; done
  echo "${graph}join=inputs=$i:channel_layout=$layout:map=$map"
}
make_file conv-surround-ac3.mkv ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=4 \
  -f lavfi -i "$(channel_tones 5.1 FL FR FC LFE BL BR)" -map 0:v -map 1:a -c:v mpeg4 -c:a ac3 -b:a 384k {}
# A DVD's MPEG program stream, with stereo AC-3: its parser's estimate of the length falls
# short of the audio's end.
make_file conv-dvd.vob ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=4 \
  -i conv-stereo44.wav -t 4 -map 0:v -map 1:a -c:v mpeg2video -c:a ac3 -ar 48000 -b:a 192k -f vob {}
# Studio software's AIFF: 24-bit, and floating-point AIFF-C.
make_file conv-24bit.aiff sox conv-stereo44.wav -b 24 {}
make_file conv-float.aifc ffmpeg -loglevel error -y -i conv-stereo44.wav -c:a pcm_f32be -f aiff {}
# A 7.1 mix as PCM, which converts byte for byte the same every time.
make_file conv-surround71.wav ffmpeg -loglevel error -y -f lavfi -i "$(channel_tones 7.1 FL FR FC LFE BL BR SL SR)" \
  -c:a pcm_s16le {}
# Bad input.
# A video with no sound track: it plays, but there is no audio to convert.
make_file conv-no-sound.avi ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10 -t 3 \
  -c:v mjpeg -q:v 5 {}
# Ogg Vorbis whose audio pages are zeros: its header pages (granule position 0) and its
# last page stay, so that its length still reads 20 s, but the decoders deliver nothing.
damaged_vorbis() {
  sox -n -r 44100 -c 2 -b 16 -t wav - synth 20 sine 440 gain -6 2>/dev/null |
    ffmpeg -loglevel error -i - -c:a libvorbis -f ogg - | python3 -c '
import sys
data = bytearray(sys.stdin.buffer.read())
pages, at = [], 0
while at < len(data):
    count = data[at + 26]
    end = at + 27 + count + sum(data[at + 27:at + 27 + count])
    pages.append((at, end, int.from_bytes(data[at + 6:at + 14], "little")))
    at = end
for start, end, granule in pages[:-1]:
    if granule:
        data[start:end] = bytes(end - start)
sys.stdout.buffer.write(data)'
}
make_file conv-damaged.ogg damaged_vorbis
# Two Ogg Vorbis streams one after the other, as stream recorders write them: the platform
# delivers the first, then neither data nor an end.
chained_vorbis() {
  local tone
  for tone in 440 660; do
    sox -n -r 44100 -c 2 -b 16 -t wav - synth 10 sine $tone gain -6 2>/dev/null |
      ffmpeg -loglevel error -i - -c:a libvorbis -f ogg -
  done
}
make_file conv-chained.ogg chained_vorbis
# G.726 at 24 kbit/s in a WAV: the platform's rendering of it never returns.
make_file conv-g726.wav ffmpeg -loglevel error -y -i conv-speech.wav -ar 8000 -ac 1 -c:a g726 -b:a 24k {}
make_file conv-empty.mp3 true
make_file conv-text.mp3 printf 'This is a text file with the name of an MP3 file.\n'
make_file conv-truncated.mp3 head -c "$(($(stat -c %s conv-stereo44.mp3) / 2))" conv-stereo44.mp3
# 20000 random bytes put in after the first third of the file.
garbage() {
  local size
  size=$(stat -c %s conv-stereo44.mp3)
  head -c $((size / 3)) conv-stereo44.mp3
  python3 -c "import random,sys; r=random.Random(3); sys.stdout.buffer.write(bytes(r.randrange(256) for _ in range(20000)))"
  tail -c +$((size / 3 + 1)) conv-stereo44.mp3
}
make_file conv-garbage.mp3 garbage
# The sample media the run command offers a newcomer, converted by a test as the user would.
bash "$here/../../scripts/make-samples.sh" . >/dev/null
