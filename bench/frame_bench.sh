#!/usr/bin/env bash
# Milliseconds per frame for each phase of the impact cycle and the start-up time, measured by
# build/bench/krateon_frame_bench in a private Xvfb (no window manager) of each given size.
#
# Usage: bench/frame_bench.sh [WIDTHxHEIGHT ...] [-- BENCH-OPTIONS]
#   (default sizes: 1280x720 1920x1080 3840x2160; options: --frames N, --no-swap)
# Environment: BUILD_DIR (default: build), BENCH_DISPLAY_BASE (first display tried, default 100).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[[ $build = /* ]] || build=$root/$build
bench=$build/bench/krateon_frame_bench
[[ -x $bench ]] || { echo "missing $bench: build the target krateon_frame_bench" >&2; exit 2; }

sizes=()
while [[ $# -gt 0 && $1 != -- ]]; do sizes+=("$1"); shift; done
[[ ${1:-} = -- ]] && shift
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1280x720 1920x1080 3840x2160)

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

echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for size in "${sizes[@]}"; do
  start_x "${size%x*}" "${size#*x}"
  echo "## $size"
  DISPLAY=$display SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$bench" --size "$size" "$@"
  cleanup
done
echo "# load after: $(cut -d' ' -f1-3 /proc/loadavg)"
