#!/usr/bin/env bash
# Makes the README's pictures from a real run on a private X server: the planet, the impact
# flash, the shattered planet and the help screen, as docs/screenshots.png (a 2 x 2 sheet).
# KRATEON_BUILD_DIR picks another build tree than build/ (it must hold krateon and assets/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KRATEON_BUILD_DIR:-$root/build}
out=$root/docs/screenshots.png

if [[ -z "${KRATEON_BUILD_DIR:-}" ]]; then
  "$root/scripts/setup.sh"
  if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" -j "$(nproc)" >/dev/null
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# A private X server on a display number it picks itself, and a window manager on it.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
XDG_CONFIG_HOME=$work XDG_CACHE_HOME=$work openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for _ in $(seq 100); do wm_ready && break; sleep 0.1; done

(cd "$build/assets" && SDL_AUDIODRIVER=dummy exec ../krateon) &
pids+=($!)
start=$(date +%s.%N)
window=$(timeout 20 xdotool search --sync --name '^Krateon$' | head -n1)
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true

at() {  # at SECONDS: sleeps until that long after the start
  local now delay
  now=$(date +%s.%N)
  delay=$(awk -v s="$start" -v t="$1" -v n="$now" 'BEGIN { w = s + t - n; print (w > 0 ? w : 0) }')
  sleep "$delay"
}
shot() {  # shot NAME
  import -window root "$work/$1.png"
}

# The sun stands behind the viewer from about 5 s on, so the planet's face is lit.
at 6.3
shot planet
at 7.0
xdotool mousemove 640 360 click 1  # a meteor at the point facing the viewer
at 7.6                             # the shot lands some 0.1 to 0.2 s later
shot impact
at 13.3
shot fragments
at 17.8                            # the next planet has faded in
xdotool key question
at 18.4
shot help
xdotool key Escape

mkdir -p "$(dirname "$out")"
montage "$work/planet.png" "$work/impact.png" "$work/fragments.png" "$work/help.png" \
  -tile 2x2 -geometry 640x360+4+4 -background '#202020' "$out"
echo "Wrote $out"
