#!/usr/bin/env bash
# Conversion benchmark, one command: builds the benchmark program, makes a 30-minute and
# a 3-minute 192 kbps MP3 (once), runs everything on the same file in this one run and
# prints the ratios: the job against the streaming loop with 5000-byte samples and with
# the job's own larger samples, and against ffmpeg; and the processor time of the
# platform's decoding thread, the pace that neither loop nor job can pass.
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
calc() { echo "$1" | bc -l; }
value() { grep "^$1=" | cut -d= -f2 | tr -d '\r'; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); printf "%.3f\n" "$(echo "$e - $s" | bc -l)"; }

# The platform decodes in threads of the process that its Windows side cannot see.
busiest_thread() {  # busiest_thread PID: prints "TICKS NAME" (100 ticks a second)
  cat /proc/"$1"/task/*/stat 2>/dev/null | sed -n 's/^[0-9]* (\(.*\)) \(.*\)$/\2\t\1/p' |
    awk -F'\t' '{split($1, f, " "); t = f[12] + f[13]; if (t >= best) {best = t; name = $2}} END {print best + 0, name}'
}
# Runs the benchmark program. While it runs, its threads are looked at every quarter
# second, and the processor time of the busiest one at the last look joins its figures.
# Wine now and then crashes while a process that used the media framework exits, after
# its work is done and printed: the figures count, the exit code does not.
run() {
  local figures="$media/run.txt" pid ticks name best=0 busiest=""
  wine "$bench" "$@" >"$figures" 2>/dev/null &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    read -r ticks name < <(busiest_thread "$pid")
    if [ "${ticks:-0}" -gt "$best" ]; then best=$ticks; busiest=$name; fi
    sleep 0.25
  done
  wait "$pid" || true
  cat "$figures"
  [ "$best" -gt 0 ] && printf 'busiest_thread_cpu_seconds=%s\nbusiest_thread=%s\n' "$(calc "$best / 100")" "$busiest"
  return 0
}
# Five rounds, each running in turn: the bare loop with 5000-byte samples, the bare loop
# with the job's larger samples, that loop writing the file, the job and ffmpeg. Each
# ratio is taken within a round (the same moment of a machine that may be busy with
# other work), and the median of the five counts. Two more jobs, of the 30-minute and
# the 3-minute file, measure the user-interface thread's delay and the memory.
sizes=$(run sizes)
step=$(echo "$sizes" | value step_bytes)
large=$(echo "$sizes" | value job_sample_bytes)
echo "Running (30-minute file; samples of $step and $large bytes) ..."
small_runs=() small_cpu=() small_own=() large_runs=() large_cpu=() large_own=() write_runs=()
job_runs=() job_cpu=() job_own=() job_ui=() ffmpeg_runs=() first_fills=() longest_fills=()
small_busiest=() large_busiest=() job_busiest=() busiest_name=""
job="" small=""
# Adds a bare loop's figures to the arrays KIND_runs, KIND_cpu, KIND_own and KIND_busiest.
record_loop() {  # record_loop KIND FIGURES
  local -n runs=$1_runs cpu=$1_cpu own=$1_own busiest=$1_busiest
  runs+=("$(echo "$2" | value bare_seconds)")
  cpu+=("$(echo "$2" | value bare_cpu_seconds)")
  own+=("$(echo "$2" | value bare_loop_thread_cpu_seconds)")
  busiest+=("$(echo "$2" | value busiest_thread_cpu_seconds)")
}
for _ in 1 2 3 4 5; do
  small=$(run bare "$long" "$step")
  record_loop small "$small"
  large_loop=$(run bare "$long" "$large")
  record_loop large "$large_loop"
  first_fills+=("$(echo "$large_loop" | value bare_first_fill_ms)")
  longest_fills+=("$(echo "$large_loop" | value bare_longest_fill_ms)")
  busiest_name=$(echo "$large_loop" | value busiest_thread)
  write_runs+=("$(run barewrite "$long" "$outw" "$large" | value bare_seconds)"); rm -f "$out"
  this_job=$(run job "$long" "$outw"); rm -f "$out"
  job_runs+=("$(echo "$this_job" | value job_seconds)")
  job_cpu+=("$(echo "$this_job" | value job_cpu_seconds)")
  job_own+=("$(echo "$this_job" | value job_worker_cpu_seconds)")
  job_ui+=("$(echo "$this_job" | value job_ui_cpu_seconds)")
  job_busiest+=("$(echo "$this_job" | value busiest_thread_cpu_seconds)")
  [ -z "$job" ] && job=$this_job
  ffmpeg_runs+=("$(seconds ffmpeg -y -i "$media/long.mp3" "$media/ffmpeg.wav")")
done
long_job=$(run jobdelay "$long" "$outw"); rm -f "$out"
short_job=$(run jobdelay "$short" "$outw"); rm -f "$out"
costs=$(run costs 1000)
mpg123_s=$(seconds mpg123 -q -w "$media/mpg123.wav" "$media/long.mp3")
rm -f "$media/ffmpeg.wav" "$media/mpg123.wav"

# A run's key=value lines as shell variables: load PREFIX OUTPUT sets PREFIX_key.
load() { eval "$(echo "$2" | tr -d '\r' | sed -n "s/^\([a-z_]*\)=\([0-9.]*\)$/$1_\1=\2/p")"; }
load timed "$job"
load long "$long_job"
load short "$short_job"
load costs "$costs"
# "median lowest highest" of the numbers given.
spread() {
  printf '%s\n' "$@" | grep . | sort -g |
    awk '{v[NR] = $1} END {m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m, v[1], v[NR]}'
}
# The round-by-round ratios of two arrays, by name: ratios NUMERATORS DENOMINATORS.
ratios() {
  local -n num=$1 den=$2
  local i
  for i in "${!num[@]}"; do [ -n "${num[$i]}" ] && [ -n "${den[$i]}" ] && calc "${num[$i]} / ${den[$i]}"; done
}
# "MEDIAN (LOWEST to HIGHEST)", each number in the printf format given: show FORMAT NUMBERS...
show() {
  local m lo hi
  read -r m lo hi < <(spread "${@:2}")
  printf "$1 ($1 to $1)" "$m" "$lo" "$hi"
}
median() { spread "$@" | cut -d' ' -f1; }
delay=$(printf '%s\n' "$long_worst_ui_delay_ms" "$short_worst_ui_delay_ms" | sort -g | tail -1)
fills=$(echo "$small" | value bare_buffers)
pcm_bytes=$(echo "$small" | value bare_bytes)
job_s=$(median "${job_runs[@]}")
messages=$timed_progress_messages
send_s=$costs_send_seconds
painted_s=$costs_local_setpos_seconds
us() { calc "($1) * 1000000"; }
mapfile -t job_small < <(ratios job_runs small_runs)
mapfile -t job_large < <(ratios job_runs large_runs)
mapfile -t job_write < <(ratios job_runs write_runs)
mapfile -t job_ffmpeg < <(ratios job_runs ffmpeg_runs)
mapfile -t cpu_small < <(ratios job_cpu small_cpu)
mapfile -t cpu_large < <(ratios job_cpu large_cpu)

printf '\nConversion of a 30-minute 192 kbps MP3: %.1f MB of PCM, %s samples of %s bytes\n' \
  "$(calc "$pcm_bytes / 1000000")" "$fills" "$step"
printf '  (five alternating rounds: each figure is the median of the rounds, lowest to highest in brackets;\n'
printf '   each ratio is taken within a round; processor time: the process'"'"'s threads, not the platform'"'"'s server or X)\n'
printf '  the runs: loop %s, large loop %s, large loop + writing %s, job %s, ffmpeg %s s\n' \
  "${small_runs[*]}" "${large_runs[*]}" "${write_runs[*]}" "${job_runs[*]}" "${ffmpeg_runs[*]}"
printf '                                      wall time                 processor time\n'
printf '  loop, %6s-byte samples      %s   %s\n' "$step" "$(show '%6.2f' "${small_runs[@]}")" \
  "$(show '%6.2f' "${small_cpu[@]}")"
printf '  loop, %6s-byte samples      %s   %s\n' "$large" "$(show '%6.2f' "${large_runs[@]}")" \
  "$(show '%6.2f' "${large_cpu[@]}")"
printf '    the same, writing the file      %s\n' "$(show '%6.2f' "${write_runs[@]}")"
printf '  conversion job                    %s   %s\n' "$(show '%6.2f' "${job_runs[@]}")" \
  "$(show '%6.2f' "${job_cpu[@]}")"
printf '  ffmpeg -i file.mp3 out.wav        %s\n' "$(show '%6.2f' "${ffmpeg_runs[@]}")"
printf '  of the processor time, the loop'"'"'s own thread: %.2f s (%s bytes), %.2f s (%s bytes);\n' \
  "$(median "${small_own[@]}")" "$step" "$(median "${large_own[@]}")" "$large"
printf '    the job'"'"'s worker %.2f s and its user-interface thread (the bar) %.2f s;\n' \
  "$(median "${job_own[@]}")" "$(median "${job_ui[@]}")"
printf '    the rest is the platform'"'"'s streaming threads (decoding), which a free core runs beside the loop\n'
mapfile -t floor_small < <(ratios large_busiest small_runs)
mapfile -t floor_large < <(ratios large_busiest large_runs)
if [ "${#floor_small[@]}" -gt 0 ]; then
  printf '  the busiest thread of the process, the platform'"'"'s decoding (%s): %.2f s (%s bytes), %.2f s (%s bytes),\n' \
    "$busiest_name" "$(median "${small_busiest[@]}")" "$step" "$(median "${large_busiest[@]}")" "$large"
  printf '    %.2f s (the job); no loop and no job ends before that thread has decoded the file\n' \
    "$(median "${job_busiest[@]}")"
fi
ratio() { printf '  %-33s = %s\n' "$1" "$2"; }
ratio "job / $step-byte loop" "$(show '%.3f' "${job_small[@]}")   processor $(show '%.3f' "${cpu_small[@]}")   (target <= 0.70)"
ratio "job / $large-byte loop" "$(show '%.3f' "${job_large[@]}")   processor $(show '%.3f' "${cpu_large[@]}")   (target <= 1.05)"
if [ "${#floor_small[@]}" -gt 0 ]; then
  ratio "decoding thread / $large-byte loop" "$(show '%.3f' "${floor_large[@]}")   (1: that loop runs at the decoding's pace)"
  ratio "decoding thread / $step-byte loop" "$(show '%.3f' "${floor_small[@]}")   (the least job / $step-byte loop that pace allows)"
fi
ratio "job / ($large-byte loop + writing)" "$(show '%.3f' "${job_write[@]}")"
ratio "job / ffmpeg" "$(show '%.2f' "${job_ffmpeg[@]}")"
printf '  mpg123 -w                    %8.2f s   job / mpg123         = %.2f\n' "$mpg123_s" "$(calc "$job_s / $mpg123_s")"
# How long the stream kept the loop waiting for one sample, against the stall bound.
printf '  longest wait for a sample      %8.1f ms (the first, starting the stream: %.1f ms; the worst of the rounds;\n' \
  "$(spread "${longest_fills[@]}" | awk '{print $3}')" "$(spread "${first_fills[@]}" | awk '{print $3}')"
echo "    a stream that keeps the job waiting 15 s counts as stalled)"
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
