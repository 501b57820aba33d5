#!/usr/bin/env bash
# Conversion benchmark, one command: builds the benchmark program, makes a 30-minute and
# a 3-minute 192 kbps MP3 (once), runs everything on the same file in this one run and
# prints the ratios.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

media="$BUILD/bench-media"
mkdir -p "$media"
make_mp3() {  # make_mp3 NAME SECONDS
  [ -f "$media/$1" ] && return 0
  echo "Making $1 ($2 s, 192 kbps) ..."
  sox -n -r 44100 -c 2 -b 16 -t wav - synth "$2" pinknoise sine 220-880 vol 0.5 2>/dev/null |
    lame --quiet -b 192 - "$media/$1"
}
make_mp3 long.mp3 1800
make_mp3 short.mp3 180

build_win --target convert_bench >/dev/null
ensure_wineprefix
started_xvfb=0
if [ -z "${DISPLAY:-}" ]; then start_xvfb; started_xvfb=1; fi
cleanup() { wineserver -k 2>/dev/null || true; [ "$started_xvfb" = 1 ] && stop_xvfb; return 0; }
trap cleanup EXIT
start_wine_session

bench="$WIN_BUILD/bench/convert_bench.exe"
long="$(winpath "$media/long.mp3")"
short="$(winpath "$media/short.mp3")"
out="$media/out.wav"
outw="Z:$(echo "$out" | tr '/' '\\')"
value() { grep "^$1=" | cut -d= -f2 | tr -d '\r'; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }

# Wine now and then crashes while a process that used the media framework exits, after
# its work is done and printed: the figures count, the exit code does not.
run() { wine "$bench" "$@" 2>/dev/null || true; }
# The bare loop and the job alternate, twice each; the faster of each pair counts (the
# machine may be busy with other work).
echo "Running (30-minute file) ..."
bare=$(run bare "$long"); job=$(run job "$long" "$outw"); rm -f "$out"
bare2=$(run bare "$long"); job2=$(run job "$long" "$outw"); rm -f "$out"
barewrite=$(run barewrite "$long" "$outw"); rm -f "$out"
short_job=$(run job "$short" "$outw")
rm -f "$out"
send=$(run sendcost 20000)
ffmpeg_s=$(seconds ffmpeg -y -i "$media/long.mp3" "$media/ffmpeg.wav")
mpg123_s=$(seconds mpg123 -q -w "$media/mpg123.wav" "$media/long.mp3")
rm -f "$media/ffmpeg.wav" "$media/mpg123.wav"

minimum() { echo "if ($1 < $2) $1 else $2" | bc -l; }
bare_s=$(minimum "$(echo "$bare" | value bare_seconds)" "$(echo "$bare2" | value bare_seconds)")
buffers=$(echo "$bare" | value bare_buffers)
job_s=$(minimum "$(echo "$job" | value job_seconds)" "$(echo "$job2" | value job_seconds)")
delay=$(echo "$job" | value worst_ui_delay_ms)
peak_long=$(echo "$job" | value peak_pagefile)
peak_short=$(echo "$short_job" | value peak_pagefile)
ws_long=$(echo "$job" | value peak_working_set)
ws_short=$(echo "$short_job" | value peak_working_set)
send_s=$(echo "$send" | value send_seconds)
barewrite_s=$(echo "$barewrite" | value bare_seconds)

printf '\nConversion of a 30-minute 192 kbps MP3 (%s buffers of 5000 bytes)\n' "$buffers"
printf '  bare streaming loop          %8.2f s   (faster of two runs; each run below is one)\n' "$bare_s"
printf '  conversion job               %8.2f s   job / bare loop      = %.3f  (target <= 1.10)\n' "$job_s" "$(echo "$job_s / $bare_s" | bc -l)"
printf '  bare loop + writing the file %8.2f s   job / (loop + write) = %.3f\n' "$barewrite_s" "$(echo "$job_s / $barewrite_s" | bc -l)"
printf '  ffmpeg -i file.mp3 out.wav   %8.2f s   job / ffmpeg         = %.2f\n' "$ffmpeg_s" "$(echo "$job_s / $ffmpeg_s" | bc -l)"
printf '  mpg123 -w                    %8.2f s   job / mpg123         = %.2f\n' "$mpg123_s" "$(echo "$job_s / $mpg123_s" | bc -l)"
printf '  one progress message         %8.1f us  (sent from the worker, handled by the dialog'"'"'s loop)
' \
  "$(echo "$send_s * 1000000" | bc -l)"
printf '    one per buffer would cost   %8.1f %% of the job; one per bar position (<= 1000) costs %.1f %%
' \
  "$(echo "$send_s * $buffers / $job_s * 100" | bc -l)" "$(echo "$send_s * 1000 / $job_s * 100" | bc -l)"
printf '  worst UI message delay       %8.1f ms  (a post every 10 ms; target < 50 ms)\n' "$delay"
printf '  peak private memory 30 min - 3 min = %.2f MB (target < 5 MB)\n' "$(echo "($peak_long - $peak_short) / 1048576" | bc -l)"
printf '  peak working set    30 min - 3 min = %.2f MB\n' "$(echo "($ws_long - $ws_short) / 1048576" | bc -l)"
