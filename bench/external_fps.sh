#!/usr/bin/env bash
# Frames per second of the real program against the floor of the machine: for each screen size,
# a private Xvfb with openbox runs the empty clear-and-swap loop and then build/krateon over one
# whole impact cycle (a click starts the meteor), both measured by Mesa's HUD without touching them.
#
# Usage: bench/external_fps.sh [WIDTHxHEIGHT ...]   (default: 1280x720 1920x1080 3840x2160)
# Environment:
#   BUILD_DIR           build folder with krateon and bench/krateon_empty_loop (default: build)
#   BENCH_SECONDS       length of each measured window in seconds (default: 14, one cycle)
#   BENCH_WARMUP        seconds skipped after the window appears (default: 2)
#   BENCH_ROUNDS        empty-loop/program pairs per size (default: 1)
#   BENCH_DISPLAY_BASE  first X display number tried (default: 100); the first free one is used
#   BENCH_OUT           folder for the raw samples (default: $BUILD_DIR/bench-results)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[[ $build = /* ]] || build=$root/$build
seconds=${BENCH_SECONDS:-14}
warmup=${BENCH_WARMUP:-2}
rounds=${BENCH_ROUNDS:-1}
out=${BENCH_OUT:-$build/bench-results}
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1280x720 1920x1080 3840x2160)

program=$build/krateon
empty=$build/bench/krateon_empty_loop
for binary in "$program" "$empty"; do
  [[ -x $binary ]] || { echo "missing $binary: build it first" >&2; exit 2; }
done
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh installs it)" >&2; exit 2; }
done
mkdir -p "$out"

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

lines_of() {  # lines_of FILE: lines written so far (0 before the file exists)
  if [[ -f $1 ]]; then wc -l <"$1"; else echo 0; fi
}

# Runs one program full screen under the HUD and keeps the samples of the measured window.
# The HUD writes one frames-per-second value per period; the window is cut by line counts taken
# at its start and end, so start-up and shutdown never enter the figures.
measure() {  # measure NAME SAMPLE-FILE CLICK(0|1) COMMAND...
  local name=$1 samples=$2 click=$3
  shift 3
  local hud
  hud=$(mktemp -d)
  (
    cd "$build/assets" 2>/dev/null || cd "$build"
    exec env DISPLAY="$display" GALLIUM_HUD=fps GALLIUM_HUD_DUMP_DIR="$hud" \
      GALLIUM_HUD_PERIOD=0.25 SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$@"
  ) >/dev/null 2>&1 &
  local pid=$!
  started+=("$pid")
  local i
  for ((i = 0; i < 100; i++)); do
    [[ -s $hud/fps ]] && break
    sleep 0.1
  done
  sleep "$warmup"
  local first
  first=$(lines_of "$hud/fps")
  if [[ $click = 1 ]]; then
    sleep 1
    # The left button restarts the meteor: impact 0.5 s later, break 4.5 s after that.
    DISPLAY=$display xdotool mousemove 450 350 click 1
    sleep $((seconds - 1))
  else
    sleep "$seconds"
  fi
  local last
  last=$(lines_of "$hud/fps")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  started=("${started[@]/$pid/}")
  sed -n "$((first + 1)),${last}p" "$hud/fps" >"$samples"
  rm -rf "$hud"
  if [[ ! -s $samples ]]; then
    echo "$name: no frames-per-second samples (is Mesa's HUD available?)" >&2
    return 1
  fi
}

stats() {  # stats FILE -> "median slowest count"
  sort -g "$1" | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "0 0 0"; exit }
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.1f %.1f %d\n", m, v[1], NR }'
}

echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "# LP_NUM_THREADS=${LP_NUM_THREADS:-default}, window ${seconds} s after ${warmup} s warm-up"
# median%: krateon median / empty median; slowest%: krateon slowest / empty median (the strict
# reading); slow/slow%: krateon slowest / empty slowest.
printf '%-10s %5s %12s %12s %12s %12s %8s %9s %11s\n' size round empty_median empty_slowest \
  krateon_median krateon_slowest median% slowest% slow/slow%
for size in "${sizes[@]}"; do
  width=${size%x*}
  height=${size#*x}
  start_x "$width" "$height"
  openbox >/dev/null 2>&1 --sm-disable --display "$display" &
  started+=("$!")
  sleep 1
  for ((round = 1; round <= rounds; round++)); do
    empty_file=$out/empty_${size}_$round.txt
    program_file=$out/krateon_${size}_$round.txt
    measure empty "$empty_file" 0 "$empty"
    measure krateon "$program_file" 1 "$program"
    read -r em es en < <(stats "$empty_file")
    read -r km ks kn < <(stats "$program_file")
    awk -v size="$size" -v round="$round" -v em="$em" -v es="$es" -v km="$km" -v ks="$ks" \
      'BEGIN { printf "%-10s %5d %12.1f %12.1f %12.1f %12.1f %7.0f%% %8.0f%% %10.0f%%\n",
               size, round, em, es, km, ks, (em > 0 ? 100 * km / em : 0),
               (em > 0 ? 100 * ks / em : 0), (es > 0 ? 100 * ks / es : 0) }'
    echo "#   samples: empty $en, krateon $kn (raw: $empty_file, $program_file)"
  done
  cleanup
done
echo "# load after: $(cut -d' ' -f1-3 /proc/loadavg)"
