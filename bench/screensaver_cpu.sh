#!/usr/bin/env bash
# Processor time per wall-clock second of the real program at one screen size, with and without
# a frame-rate cap, in its own full-screen window and in screensaver mode (a window of the screen's
# size handed over with --window-id); and how soon screensaver mode ends after SIGTERM.
#
# Usage: bench/screensaver_cpu.sh [WIDTHxHEIGHT]   (default: 1280x720)
# Environment:
#   BUILD_DIR           build folder with krateon and tests/plain_window (default: build)
#   BENCH_SECONDS       length of each measured window in seconds (default: 14, one cycle)
#   BENCH_WARMUP        seconds skipped after start (default: 4: start-up and the fade-in)
#   BENCH_ROUNDS        rounds of all four runs, interleaved (default: 2)
#   BENCH_DISPLAY_BASE  first X display number tried (default: 100); the first free one is used
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[[ $build = /* ]] || build=$root/$build
size=${1:-1280x720}
width=${size%x*}
height=${size#*x}
seconds=${BENCH_SECONDS:-14}
warmup=${BENCH_WARMUP:-4}
rounds=${BENCH_ROUNDS:-2}
program=$build/krateon
plain_window=$build/tests/plain_window
for binary in "$program" "$plain_window"; do
  [[ -x $binary ]] || { echo "missing $binary: build it first" >&2; exit 2; }
done
ticks_per_second=$(getconf CLK_TCK)

# Processes this script started, ended by their own ids on the way out.
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  started=()
}
trap cleanup EXIT
# shellcheck source=bench/xserver.sh
source "$root/bench/xserver.sh"

cpu_ticks() {  # cpu_ticks PID: user + system time of the process and all its threads, in ticks
  awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

# The end of a process is looked for every 2 ms with the shell's own clock and a read that
# times out on an idle pipe, so that no process start delays the look (the shell reaps its
# children as they end, so `kill -0` fails from then on).
idle_pipe=$(mktemp -u)
mkfifo "$idle_pipe"
exec {idle}<>"$idle_pipe"
rm "$idle_pipe"

# run NAME ARGS...: starts the program, skips the warm-up, measures its processor time and the
# X server's over the window and its frames per second (Mesa's HUD); prints one row. For the
# screensaver runs it then sends SIGTERM and adds how long the program took to end.
run() {
  local name=$1
  shift
  local hud
  hud=$(mktemp -d)
  (cd "$build/assets" && exec env DISPLAY="$display" GALLIUM_HUD=fps GALLIUM_HUD_PERIOD=0.5 \
    GALLIUM_HUD_DUMP_DIR="$hud" SDL_AUDIODRIVER=dummy "$program" "$@") >/dev/null 2>&1 &
  local pid=$!
  started+=("$pid")
  sleep "$warmup"
  local first_line program_start server_start wall_start
  first_line=$(wc -l <"$hud/fps" 2>/dev/null || echo 0)
  program_start=$(cpu_ticks "$pid")
  server_start=$(cpu_ticks "$server_pid")
  wall_start=$(date +%s%N)
  sleep "$seconds"
  local program_end server_end wall_end
  program_end=$(cpu_ticks "$pid")
  server_end=$(cpu_ticks "$server_pid")
  wall_end=$(date +%s%N)
  local fps
  fps=$(tail -n +"$((first_line + 1))" "$hud/fps" | sort -g |
    awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : 0 }')
  local exit_ms="-"
  if [[ $name == screensaver* ]]; then
    local sent=$EPOCHREALTIME
    kill -TERM "$pid"
    while kill -0 "$pid" 2>/dev/null && ((${EPOCHREALTIME/./} - ${sent/./} < 5000000)); do
      read -r -t 0.002 -u "$idle" || true
    done
    exit_ms=$(((${EPOCHREALTIME/./} - ${sent/./}) / 1000))
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  started=("${started[@]/$pid/}")
  rm -rf "$hud"
  awk -v name="$name" -v p=$((program_end - program_start)) -v s=$((server_end - server_start)) \
    -v wall=$((wall_end - wall_start)) -v tick="$ticks_per_second" -v fps="$fps" \
    -v exit_ms="$exit_ms" 'BEGIN {
      w = wall / 1e9
      printf "%-26s %10.2f %10.2f %10.2f %8.0f %12s\n", name, p / tick / w, s / tick / w,
             (p + s) / tick / w, fps, exit_ms }'
}

echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
  "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "# ${size}, ${seconds} s measured after ${warmup} s; CPU in processor seconds per wall second"
start_x "$width" "$height"
server_pid=${started[-1]}
openbox --sm-disable --display "$display" >/dev/null 2>&1 &
started+=("$!")
sleep 1
printf '%-26s %10s %10s %10s %8s %12s\n' run program x_server together fps sigterm_ms
for ((round = 1; round <= rounds; round++)); do
  run "own window, no cap" -display "$display"
  run "own window, --max-fps 30" -display "$display" --max-fps 30
  # A plain window of the screen's size, there only while the screensaver runs draw into it.
  DISPLAY=$display "$plain_window" "$width" "$height" 0 0 >"$build/screensaver_cpu.window" &
  window_pid=$!
  started+=("$window_pid")
  sleep 1
  window=$(<"$build/screensaver_cpu.window")
  run "screensaver, cap 60" --window-id "$window" -display "$display"
  run "screensaver, --max-fps 30" --window-id "$window" -display "$display" --max-fps 30
  kill "$window_pid"
  wait "$window_pid" 2>/dev/null || true
  started=("${started[@]/$window_pid/}")
done
echo "# load after: $(cut -d' ' -f1-3 /proc/loadavg)"
