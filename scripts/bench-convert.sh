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
outw="$(winpath "$out")"
value() { grep "^$1=" | cut -d= -f2 | tr -d '\r'; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }

# Wine now and then crashes while a process that used the media framework exits, after
# its work is done and printed: the figures count, the exit code does not.
run() { wine "$bench" "$@" 2>/dev/null || true; }
# The bare loop, the loop with writing and the job alternate, five times each; the
# fastest of each kind counts (the machine may be busy with other work). Two more jobs,
# of the 30-minute and the 3-minute file, measure the user-interface thread's delay and
# the memory.
echo "Running (30-minute file) ..."
bare_runs=() barewrite_runs=() job_runs=() bare_cpu=() job_cpu=() job=""
for _ in 1 2 3 4 5; do
  bare=$(run bare "$long")
  bare_runs+=("$(echo "$bare" | value bare_seconds)")
  bare_cpu+=("$(echo "$bare" | value bare_cpu_seconds)")
  barewrite_runs+=("$(run barewrite "$long" "$outw" | value bare_seconds)"); rm -f "$out"
  this_job=$(run job "$long" "$outw"); rm -f "$out"
  job_runs+=("$(echo "$this_job" | value job_seconds)")
  job_cpu+=("$(echo "$this_job" | value job_cpu_seconds)")
  [ -z "$job" ] && job=$this_job
done
long_job=$(run jobdelay "$long" "$outw"); rm -f "$out"
short_job=$(run jobdelay "$short" "$outw"); rm -f "$out"
costs=$(run costs 1000)
ffmpeg_s=$(seconds ffmpeg -y -i "$media/long.mp3" "$media/ffmpeg.wav")
mpg123_s=$(seconds mpg123 -q -w "$media/mpg123.wav" "$media/long.mp3")
rm -f "$media/ffmpeg.wav" "$media/mpg123.wav"

# A run's key=value lines as shell variables: load PREFIX OUTPUT sets PREFIX_key.
load() { eval "$(echo "$2" | tr -d '\r' | sed -n "s/^\([a-z_]*\)=\([0-9.]*\)$/$1_\1=\2/p")"; }
load timed "$job"
load long "$long_job"
load short "$short_job"
load costs "$costs"
fastest() { printf '%s\n' "$@" | grep . | sort -g | head -1; }
calc() { echo "$1" | bc -l; }
bare_s=$(fastest "${bare_runs[@]}")
barewrite_s=$(fastest "${barewrite_runs[@]}")
job_s=$(fastest "${job_runs[@]}")
bare_cpu_s=$(fastest "${bare_cpu[@]}")
job_cpu_s=$(fastest "${job_cpu[@]}")
delay=$(printf '%s\n' "$long_worst_ui_delay_ms" "$short_worst_ui_delay_ms" | sort -g | tail -1)
buffers=$(echo "$bare" | value bare_buffers)
messages=$timed_progress_messages
send_s=$costs_send_seconds
painted_s=$costs_local_setpos_seconds
us() { calc "($1) * 1000000"; }

printf '\nConversion of a 30-minute 192 kbps MP3 (%s buffers of 5000 bytes)\n' "$buffers"
printf '  (fastest of five alternating runs each; the runs: loop %s, loop + writing %s, job %s s)\n' \
  "${bare_runs[*]}" "${barewrite_runs[*]}" "${job_runs[*]}"
printf '  bare streaming loop          %8.2f s\n' "$bare_s"
printf '  bare loop + writing the file %8.2f s\n' "$barewrite_s"
printf '  conversion job               %8.2f s   job / bare loop      = %.3f  (target <= 1.05)\n' \
  "$job_s" "$(calc "$job_s / $bare_s")"
printf '                                          job / (loop + write) = %.3f\n' "$(calc "$job_s / $barewrite_s")"
printf '  processor time of the process: loop %.2f s, job %.2f s, job / loop = %.3f\n' \
  "$bare_cpu_s" "$job_cpu_s" "$(calc "$job_cpu_s / $bare_cpu_s")"
printf '    (all its threads, the fastest of each kind; the platform'"'"'s server and X are not in it)\n'
printf '  ffmpeg -i file.mp3 out.wav   %8.2f s   job / ffmpeg         = %.2f\n' "$ffmpeg_s" "$(calc "$job_s / $ffmpeg_s")"
printf '  mpg123 -w                    %8.2f s   job / mpg123         = %.2f\n' "$mpg123_s" "$(calc "$job_s / $mpg123_s")"
printf '  progress messages of the job %8d     (the bar fills %s pixels; the last message is the reset to 0)\n' \
  "$messages" "$timed_bar_pixels"
printf '  one progress message: the worker waits %.1f us\n' "$(us "$send_s")"
printf '    cross-thread send of a message that does nothing  %8.1f us\n' "$(us "$costs_noop_send_seconds")"
printf '    the bar'"'"'s position change with its repaint      %8.1f us  (on the bar'"'"'s thread)\n' "$(us "$painted_s")"
printf '      of which the repaint                            %8.1f us  (less the change with redraw off)\n' \
  "$(us "$painted_s - $costs_local_setpos_unpainted_seconds")"
printf '    the user-interface thread, per message of the job %8.1f us\n' "$(calc "$timed_progress_ui_seconds / $messages * 1000000")"
printf '  the job'"'"'s messages cost its worker about %.3f s, %.1f %% of the job\n' \
  "$(calc "$send_s * $messages")" "$(calc "$send_s * $messages / $job_s * 100")"
printf '  worst UI message delay       %8.1f ms  (a post every 10 ms, worst of a 30- and a 3-minute job; target < 50 ms)\n' "$delay"
printf '  peak private memory 30 min - 3 min = %.2f MB (target < 5 MB)\n' \
  "$(calc "($long_peak_pagefile - $short_peak_pagefile) / 1048576")"
printf '  peak working set    30 min - 3 min = %.2f MB\n' \
  "$(calc "($long_peak_working_set - $short_peak_working_set) / 1048576")"
