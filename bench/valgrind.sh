#!/usr/bin/env bash
# Runs the program under valgrind's memcheck for a few impact cycles on a small private X
# server, with clicks, then ESC. Fails on any definite leak or memory error that valgrind does
# not attribute to the third-party noise named in bench/valgrind.supp.
# Usage: bench/valgrind.sh [CYCLES (3)] [BUILD_DIR (build-valgrind)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cycles=${1:-3}
build=$(realpath -m "${2:-$root/build-valgrind}")

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
assets=$build/assets
[[ -d $assets ]] || { echo "no generated assets in $assets"; exit 1; }

source "$root/tests/support/x_session.sh"
x_session_start 320x240x24  # the program goes full screen: a small screen keeps frames cheap
log=$build/valgrind.log
start=$SECONDS
program_start "$assets" env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$build/valgrind-audio.raw" \
  valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --track-origins=yes --num-callers=40 --keep-debuginfo=yes \
  --child-silent-after-fork=yes \
  --suppressions="$root/bench/valgrind.supp" --gen-suppressions=all --log-file="$log" \
  "$build/krateon"
echo "window after $((SECONDS - start)) s"

# Each click restarts the cycle: the impact half a scene-second later, the break at 4.5 s and
# the end at 8.5 s. Under valgrind a frame can take longer than the 0.1 s the frame step lets
# count, so scene time runs slower than the wall clock; wait for the cycle on the wall clock
# with a generous margin.
for ((cycle = 1; cycle <= cycles; cycle++)); do
  program_running || break
  xdotool mousemove 160 120 click 1
  key c w w w c
  sleep "${VALGRIND_CYCLE_SECONDS:-40}"
  echo "cycle $cycle done after $((SECONDS - start)) s"
done
program_running || { echo "FAIL: the program ended early"; tail -40 "$log"; exit 1; }
key Escape
program_wait 300
echo "exit status $program_status after $((SECONDS - start)) s"

grep -E 'definitely lost|indirectly lost|possibly lost|ERROR SUMMARY' "$log" || true
failed=0
[[ $program_status == 0 ]] || { echo "FAIL: exit status $program_status"; failed=1; }
if ! grep -q 'ERROR SUMMARY: 0 errors' "$log"; then
  echo "FAIL: memcheck found errors (see $log):"
  grep -A25 -E '^==[0-9]+== (Invalid|Conditional|Use of|Syscall|Mismatched|[0-9,]+ bytes in .* definitely)' \
    "$log" | head -150
  failed=1
fi
failures=$failed
finish
