# Shell helpers for the tests that drive the real program on a private X server.
# Source it; every process it starts is stopped again when the sourcing script exits.

x_session_dir=$(mktemp -d "${TMPDIR:-/tmp}/krateon-x.XXXXXX")
x_session_pids=()  # started processes, stopped in reverse order at exit
program_pid=""

x_session_stop() {
  local i pid
  for ((i = ${#x_session_pids[@]} - 1; i >= 0; i--)); do
    pid=${x_session_pids[i]}
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${x_session_pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  x_session_pids=()
  rm -rf "$x_session_dir"
}
trap x_session_stop EXIT
trap 'exit 143' TERM INT HUP  # so that the EXIT trap runs when the test is stopped

# x_session_start [WxHxD]: a new X server on the first free display, with openbox on it.
# Exports DISPLAY.
x_session_start() {
  local screen=${1:-1280x720x24} display_file=$x_session_dir/display
  : >"$display_file"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$display_file" 2>"$x_session_dir/xvfb.log" &
  x_session_pids+=($!)
  for _ in $(seq 100); do
    [[ -s $display_file ]] && break
    sleep 0.1
  done
  [[ -s $display_file ]] || { echo "Xvfb did not start"; cat "$x_session_dir/xvfb.log"; return 1; }
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
  openbox --sm-disable >"$x_session_dir/openbox.log" 2>&1 &
  x_session_pids+=($!)
  # The window manager is up once it owns the screen's selection.
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  echo "openbox did not start"
  return 1
}

# program_start DIR COMMAND...: starts the program in DIR, output in $x_session_dir/program.*,
# and waits for its window. Sets program_pid.
program_start() {
  local dir=$1
  shift
  (cd "$dir" && exec "$@") >"$x_session_dir/program.out" 2>"$x_session_dir/program.err" &
  program_pid=$!
  x_session_pids+=("$program_pid")
  program_window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Krateon$' | head -1) || true
  [[ -n $program_window ]] || { echo "no Krateon window appeared"; return 1; }
  xdotool windowactivate --sync "$program_window" 2>/dev/null ||
    xdotool windowfocus --sync "$program_window"
}

# program_running: true while the program has not ended.
program_running() {
  kill -0 "$program_pid" 2>/dev/null
}

# program_wait SECONDS: waits for the program to end by itself; sets program_status to its
# exit status, or to "timeout" after which the program is stopped. Not for use in $(...): only
# the starting shell can collect the status.
program_wait() {
  local limit=$1
  for _ in $(seq $((limit * 10))); do
    program_running || break
    sleep 0.1
  done
  if program_running; then
    kill -9 "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_status=timeout
    return
  fi
  program_status=0
  wait "$program_pid" || program_status=$?
}

# click [BUTTON]: a press and release at the pointer's position.
click() {
  xdotool click "${1:-1}"
}

# keys KEYSYM...: presses and releases each key in turn.
keys() {
  xdotool key --delay 30 "$@"
}

# screenshot FILE: the whole screen as a PNG.
screenshot() {
  import -window root "$1"
}
