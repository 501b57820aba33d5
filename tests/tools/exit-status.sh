#!/usr/bin/env bash
# The real program, started by wine as a user starts it, ends with exit status 0 however
# its window goes: Esc, or Enter in the output box, with a sound file or a video open,
# a close or Esc during a job (whose WAV is then complete), the end of the Windows session
# (with a file open, and during a job) and a close whose update question is answered
# after Convert and Open MP3 File were pressed under it. A fault while the process ends
# shows only in the status wine returns: another Windows process is told 0. With the job
# stuck in a write that never returns, the window still goes and the process ends; so it
# does with the job's stream stalled (the WAV whole).
#   exit-status.sh BUILD_DIR MEDIA_DIR OUT_DIR
set -uo pipefail
build="$1"
media="$2"
out="$3"
rm -rf "$out"
mkdir -p "$out"
# A copy under its own name keeps its settings apart from the program's own.
program="$out/Exit Status.exe"
cp "$build/Sonbrel.exe" "$program"

tools="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$tools/../../scripts/common.sh"  # winpath
source "$tools/drive.sh"

readonly VK_RETURN=13 VK_ESCAPE=27 IDC_CONVERT=1000 IDC_OPEN=1001 IDC_PLAY=1007 IDC_OUTPUT_FILE=1017 IDNO=7
failed=0

# start NAME ACTION...: starts the program and runs the actions; status is then its exit
# status (124: still running after a minute, and killed). The time-out goes with the
# process: a watchdog left sleeping would hold the test's output open, and CTest waits
# for that.
start() {
  local name="$1"
  shift
  timeout 60 wine "$program" </dev/null >/dev/null 2>&1 &
  local pid=$!
  drive wait && "$@" || echo "$name: could not drive the program" >&2
  wait "$pid"
  status=$?
}

# run NAME ACTION...: as start, expecting exit status 0.
run() {
  start "$@"
  local name="$1"
  if [ "$status" -eq 0 ]; then
    echo "ok: $name"
  else
    echo "FAILED: $name: exit status $status"
    failed=1
  fi
}

open_and_press() {  # MEDIA ITEM KEY
  drive open "$(winpath "$media/$1")" && drive key "$2" "$3"
}

convert_then_to() {  # OUTPUT ACTION...: a minute-long file converting, then the action
  local output="$1"
  shift
  drive open "$(winpath "$media/conv-long.mp3")" && drive settext "$IDC_OUTPUT_FILE" "$output" &&
    drive click Sonbrel "$IDC_CONVERT" && drive waitprogress && "$@"
}

convert_then() {  # WAV ACTION...: as convert_then_to, into a file of the output folder
  local wav="$1"
  shift
  convert_then_to "$(winpath "$out")\\$wav" "$@"
}

# The WAV named is complete: header, lengths and audio, as the independent reader sees them.
expect_complete_wav() { python3 "$tools/check_wav.py" --header "$out/$1" || failed=1; }

for file in conv-stereo44.mp3 preview-video.avi; do
  run "Esc with $file open" open_and_press "$file" 0 "$VK_ESCAPE"
  run "Enter in the output box with $file open" open_and_press "$file" "$IDC_OUTPUT_FILE" "$VK_RETURN"
done
run "close during a job" convert_then close.wav drive close Sonbrel
expect_complete_wav close.wav
run "Esc during a job" convert_then esc.wav drive key 0 "$VK_ESCAPE"
expect_complete_wav esc.wav
# The platform holds a call for ever in the next case. The process ends all the same, but
# Wine's own teardown may fault under such a call (status 139), although the program asks
# for exit code 0: what counts is that it ends, with the WAV whole.
ends_although_held() {  # NAME: the status of the last start
  if [ "$status" -eq 124 ]; then
    echo "FAILED: $1: the process did not end"
    failed=1
  else
    echo "ok: $1: the process ended (status $status)"
  fi
}
# The stream delivers its first 10 s, then nothing: the close cuts the job's wait short.
stalled_then_close() {
  drive open "$(winpath "$media/conv-chained.ogg")" && drive settext "$IDC_OUTPUT_FILE" "$(winpath "$out")\\stalled.wav" &&
    drive click Sonbrel "$IDC_CONVERT" && drive waitstill && drive close Sonbrel
}
start "close during a job whose stream stalled" stalled_then_close
ends_although_held "close during a job whose stream stalled"
expect_complete_wav stalled.wav

# A whole conversion: what a job's first bytes must be (the platform's MP3 decoding is
# exact from run to run, unlike any other decoder's rounding).
finish_and_close() { drive waitidle && drive close Sonbrel; }
run "a whole conversion, then a close" convert_then whole.wav finish_and_close
expect_complete_wav whole.wav

# The system ends the session as a log-off does: WM_QUERYENDSESSION, then WM_ENDSESSION.
end_session() {
  ended_at=$(date +%s.%N)
  wineboot --end-session </dev/null >/dev/null 2>&1
}
open_and_end() { drive open "$(winpath "$media/$1")" && end_session; }
# An end called off (WM_ENDSESSION false) leaves the job going; the next one stops it. It
# comes from the same driver the moment the job is seen going on, so that it reaches the
# job however fast the job runs (a wineboot started afterwards can come after its end).
cancel_then_end() {
  ended_at=$(date +%s.%N)
  drive cancelend end
}
# The update question is due from here on (its stored time lies in 1970): the session's
# end must not ask it, since no one is there to answer.
wine reg add 'HKCU\Software\Travenor\Exit Status\Setup' /v t_first_update /t REG_DWORD /d 0 /f >/dev/null 2>&1
run "the session's end with conv-stereo44.mp3 open" open_and_end conv-stereo44.mp3
run "the session's end during a job, after one called off" convert_then session-end.wav cancel_then_end
echo "the session's end began $(echo "$(date +%s.%N) - $ended_at" | bc -l | cut -c1-4) s before the process's end"
expect_complete_wav session-end.wav
python3 - "$out/session-end.wav" "$out/whole.wav" <<'EOF' || failed=1
import sys
part, whole = (open(p, "rb").read()[44:] for p in sys.argv[1:])
ok = 0 < len(part) < len(whole) and whole.startswith(part)
print(("ok: " if ok else "FAILED: ") + f"session-end.wav's {len(part)} bytes of audio are the whole conversion's first")
sys.exit(0 if ok else 1)
EOF
expect_stored_output() {  # WAV: the output path stored at the end names it
  local stored
  stored=$(wine reg query 'HKCU\Software\Travenor\Exit Status\Option' /v output_cut_file 2>/dev/null | tr -d '\r')
  if [[ "$stored" == *"$(winpath "$out")\\$1"* ]]; then
    echo "ok: the end stored the output path $1"
  else
    echo "FAILED: the end did not store the output path $1: $stored"
    failed=1
  fi
}
expect_stored_output session-end.wav

# Under the close's update question, which leaves the window usable, Convert and Open MP3
# File start nothing: no replace question, no job, no open dialog. Each click is sent, so
# that the window has handled it when the send returns; a dialog it brings up fails it.
kept="$out/kept.wav"
cp "$media/conv-stereo44.wav" "$kept"
kept_sum=$(md5sum <"$kept" | cut -d' ' -f1)
press_under_question() {
  drive open "$(winpath "$media/conv-long.mp3")" && drive settext "$IDC_OUTPUT_FILE" "$(winpath "$kept")" &&
    drive close Sonbrel && drive waitfor "Update the program" || return 1
  if ! drive send "$IDC_CONVERT"; then
    echo "FAILED: Convert asked to replace the output under the update question"
    failed=1
  fi
  if ! drive send "$IDC_OPEN"; then
    echo "FAILED: Open MP3 File showed its dialog under the update question"
    failed=1
  fi
  drive click "Update the program" "$IDNO"
}
run "Convert and Open MP3 File under the update question" press_under_question
if [ "$(md5sum <"$kept" | cut -d' ' -f1)" = "$kept_sum" ]; then
  echo "ok: the output is as it was (md5 $kept_sum)"
else
  echo "FAILED: the output changed (md5 $kept_sum before, $(md5sum <"$kept" | cut -d' ' -f1) after)"
  failed=1
fi

# The session ends while a close waits for a job whose box is up (its stream delivered no
# audio): the box is answered for the absent user, and the close ends as a close does. The
# close has begun once it has disabled the media controls.
close_then_end() {
  drive open "$(winpath "$media/conv-damaged.ogg")" && drive settext "$IDC_OUTPUT_FILE" "$(winpath "$out")\\closing.wav" &&
    drive click Sonbrel "$IDC_CONVERT" && drive waitfor Error && drive close Sonbrel && drive waitdisabled "$IDC_PLAY" &&
    end_session
}
run "the session's end while a close waits for the job's box" close_then_end
expect_stored_output closing.wav

# Two copies of the program convert to one path. While the first writes it (held at a step
# of its job), the second is refused in words, and the first's WAV comes out as the same
# conversion alone gave it (whole.wav).
shared="$out/shared.wav"
wine "$program" </dev/null >/dev/null 2>&1 &
first=$!
if drive wait && drive open "$(winpath "$media/conv-long.mp3")" && drive settext "$IDC_OUTPUT_FILE" "$(winpath "$shared")" &&
  drive click Sonbrel "$IDC_CONVERT" && drive hold "$(winpath "$shared")"; then
  wine "$program" </dev/null >/dev/null 2>&1 &
  second=$!
  drive wait && drive open "$(winpath "$media/conv-stereo44.mp3")" &&
    drive settext "$IDC_OUTPUT_FILE" "$(winpath "$shared")" && drive click Sonbrel "$IDC_CONVERT"
  said=$(wine "$build/sonbrel-drive.exe" boxtext Error </dev/null 2>/dev/null | tr -d '\r')
  if [ "$said" = "Can not open $(winpath "$shared")" ]; then
    echo "ok: the second copy says: $said"
  else
    echo "FAILED: the second copy's job to the path the first writes said: \"$said\""
    failed=1
  fi
  drive click Error 1 && drive waitidle && drive key 0 "$VK_ESCAPE" || kill "$second"
  wait "$second"
else
  echo "FAILED: the first copy's job could not be held"
  failed=1
fi
drive release && drive waitidle && drive key 0 "$VK_ESCAPE" || kill "$first"
wait "$first"
if cmp -s "$shared" "$out/whole.wav"; then
  echo "ok: the first copy's WAV is the conversion alone, byte for byte"
else
  echo "FAILED: the first copy's WAV differs from the conversion alone"
  failed=1
fi

# The output is a pipe that nobody reads: the worker's write never returns. The holder
# says "full" once a write waits on it.
wine "$build/sonbrel-drive.exe" pipe sonbrel-exit-stuck 90 </dev/null >"$out/pipe.log" 2>&1 &
pipe_holder=$!
closed_at=$(date +%s.%N)
close_stuck() {
  for _ in $(seq 600); do grep -q full "$out/pipe.log" && break; sleep 0.1; done
  grep -q full "$out/pipe.log" || { echo "FAILED: the worker's write never waited on the pipe"; failed=1; }
  closed_at=$(date +%s.%N)
  drive close Sonbrel
}
start "close during a job stuck in a write" convert_then_to '\\.\pipe\sonbrel-exit-stuck' close_stuck
seconds=$(echo "$(date +%s.%N) - $closed_at" | bc -l | cut -c1-4)
kill "$pipe_holder" 2>/dev/null
# The stuck worker's stream cannot be released, and Wine's own teardown faults under a
# live stream (status 139), although the program asks for exit code 0.
if [ "$status" -eq 124 ]; then
  echo "FAILED: close during a job stuck in a write: the process did not end"
  failed=1
else
  echo "ok: close during a job stuck in a write: the process ended $seconds s after the close (status $status)"
fi
exit $failed
