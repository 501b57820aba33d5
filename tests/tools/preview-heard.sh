#!/usr/bin/env bash
# The preview is heard. A PulseAudio server of the test's own, with a null sink, stands
# for the desktop's sound server, and the real program plays into it through Wine's
# pulse driver: it opens a tune made for this (a 440 Hz tone with a loud blip 1 s in),
# Play is pressed, and the sink's monitor, recorded meanwhile, must hold the tune: the
# blip 1 s after the tone begins, and the tone around it at the file's level and pitch.
#   preview-heard.sh BUILD_DIR MEDIA_DIR OUT_DIR
# Exit status 77 (skipped) where PulseAudio's daemon is not installed.
set -uo pipefail
build="$1"
media="$2"
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$tools/../../scripts/common.sh"  # winpath, and Wine's settings
source "$tools/drive.sh"
if ! command -v pulseaudio >/dev/null; then
  echo "PulseAudio's daemon is not installed: nothing here can listen to the preview"
  exit 77
fi
rm -rf "$3"
mkdir -p "$3/home" "$3/run"
chmod 700 "$3/run"
out="$(cd "$3" && pwd)"

# The server keeps its files in the test's folder, and its clients (the recorder, the
# program) reach it alone: nothing of the user's sound set-up is read or changed.
export PULSE_SERVER="unix:$out/run/native" PULSE_COOKIE="$out/cookie"
pids=()
cleanup() {
  kill "${pids[@]}" 2>/dev/null
  wait
}
trap cleanup EXIT
# Without the session's bus or display, it registers nowhere on the user's desktop.
env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$out/home" XDG_CONFIG_HOME="$out/home/.config" XDG_RUNTIME_DIR="$out/run" \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --realtime=no --high-priority=no \
  --load="module-native-protocol-unix socket=$out/run/native auth-anonymous=1" \
  --load="module-null-sink sink_name=heard rate=44100 channels=2" >"$out/server.log" 2>&1 &
server=$!
pids+=("$server")
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 || ! kill -0 "$server" 2>/dev/null && break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "FAILED: the sound server did not start"
  cat "$out/server.log"
  exit 1
fi
parec -d heard.monitor --format=s16le --rate=44100 --channels=2 --raw >"$out/heard.raw" &
recorder=$!
pids+=("$recorder")

cp "$build/Sonbrel.exe" "$out/Preview Heard.exe"  # its settings apart from the program's own
wine "$out/Preview Heard.exe" </dev/null >/dev/null 2>&1 &
program=$!
pids+=("$program")
# Play is pressed once the preview's stream has reached the server (a sink input), and
# Wine's sound output has settled after it: nothing tells when that is, and a Play before
# it loses the start of the tune (the one fixed pause left here, 3 s).
stream_connected() {
  for _ in $(seq 200); do
    [ -n "$(pactl list short sink-inputs 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  echo "FAILED: the preview's stream never reached the sound server"
  return 1
}
if ! { drive wait && drive open "$(winpath "$media/preview-blip.mp3")" && stream_connected && sleep 3 && drive play; }; then
  echo "FAILED: could not open the tune and press Play"
  exit 1
fi
# The recording has what the check below reads once it holds 2 s from where the tone
# first sounds: the blip 1 s in, and 0.8 s of tone after it.
python3 - "$out/heard.raw" <<'EOF' || echo "the recording did not reach 2 s past the tone's start within 30 s"
import array, sys, time
RATE, FRAME, LOUD = 44100, 4, 0.25 / 2 * 32768
deadline = time.monotonic() + 30
while time.monotonic() < deadline:
    data = open(sys.argv[1], "rb").read()
    pcm = array.array("h")
    pcm.frombytes(data[:len(data) // FRAME * FRAME])
    if sys.byteorder != "little":
        pcm.byteswap()
    left = pcm[0::2]
    first = next((i for i, x in enumerate(left) if abs(x) > LOUD), None)
    if first is not None and len(left) - first >= 2 * RATE:
        sys.exit(0)
    time.sleep(0.1)
sys.exit(1)
EOF
drive key 0 27  # Esc ends the program
for _ in $(seq 300); do kill -0 "$program" 2>/dev/null && sleep 0.1; done
kill "$recorder"
wait "$recorder"

# A loaded machine starves the sound server now and then: the recording then has short
# gaps, and the sound renderer drops some audio to keep time. The measures below stand
# up to that: where the tone first sounds, the loudest sample, and medians.
python3 - "$out/heard.raw" <<'EOF'
import array, math, statistics, sys
RATE, BLOCK, TONE = 44100, 882, 0.25  # 20 ms blocks; the file's tone: 440 Hz at an amplitude of 0.25
pcm = array.array("h")
pcm.frombytes(open(sys.argv[1], "rb").read())
if sys.byteorder != "little":
    pcm.byteswap()
left = [x / 32768 for x in pcm[0::2]]
peak = max(range(len(left)), key=lambda i: abs(left[i]), default=0)
loud = [i for i, x in enumerate(left) if abs(x) > TONE / 2]
if not loud or abs(left[peak]) < 2 * TONE:
    print("FAILED: the tune was not heard")
    sys.exit(1)
blip = (peak - loud[0]) / RATE
# The tone from 0.8 s before the blip to 0.8 s after it, but 0.1 s on either side of it.
span = range(max(peak - 4 * RATE // 5, 0), min(peak + 4 * RATE // 5, len(left) - 1))
around = [i for i in span if abs(i - peak) > RATE // 10]
level = statistics.median(max(abs(left[i]) for i in around[k:k + BLOCK]) for k in range(0, len(around), BLOCK))
crossings = [i for i in around if (left[i] < 0) != (left[i + 1] < 0)]
halves = [b - a for a, b in zip(crossings, crossings[1:])]
typical = statistics.median(halves)
pitch = RATE / 2 / statistics.mean(h for h in halves if 0.5 * typical < h < 1.5 * typical)
db = 20 * math.log10(level / TONE)
print(f"heard: the tone from {loud[0] / RATE:.2f} s of the recording, the blip {blip:.3f} s after it; "
      f"around it the tone at {db:+.2f} dB of the file's level and {pitch:.1f} Hz")
ok = abs(blip - 1.0) < 0.2 and abs(db) < 2 and abs(pitch - 440) < 10
print("ok: the preview is heard" if ok else "FAILED: the recording does not hold the tune as the file has it")
sys.exit(0 if ok else 1)
EOF
