# Shell helpers for the benchmarks (sourced): a private Xvfb on the first free display.
# The caller keeps the pids it must end in the array `started`.

# Starts Xvfb with one screen of WIDTHxHEIGHT on the first free display from
# ${BENCH_DISPLAY_BASE:-100}; sets `display` (":N") and adds the server's pid to `started`.
start_x() {  # start_x WIDTH HEIGHT
  local base=${BENCH_DISPLAY_BASE:-100}
  local n i pid
  for ((n = base; n < base + 100; n++)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "$1x$2x24" -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for ((i = 0; i < 50; i++)); do
      if [[ -e /tmp/.X11-unix/X$n ]] && DISPLAY=:$n xdotool getdisplaygeometry >/dev/null 2>&1
      then
        started+=("$pid")
        display=:$n
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  echo "no free X display from :$base" >&2
  return 1
}
