# The shell side of the test support: a private X desktop for the tests that drive the real
# program, with keys, clicks, screenshots, pixel measures and the program's captured sound.
#
# Source it from a test script. Everything it starts is stopped when the script exits. The run's
# files (screenshots, the program's output, its sound) are kept in $shot_dir for inspection.
# A test counts its failures with `expect`/`fail` and ends with `finish`.

x_session_dir=$(mktemp -d "${TMPDIR:-/tmp}/krateon-x.XXXXXX")
shot_dir=${KRATEON_ARTIFACT_DIR:-$x_session_dir/shots}
mkdir -p "$shot_dir"
x_session_pids=() # started processes, stopped in reverse order at exit
program_pid=""
program_window=""
program_status=""
failures=0
# SDL's disk driver writes the mixed sound here in real time: signed 16-bit, stereo, 44.1 kHz.
sound_file=$x_session_dir/sound.raw
sound_rate=44100
sound_frame_bytes=4

x_session_stop() {
  local i pid
  for ((i = ${#x_session_pids[@]} - 1; i >= 0; i--)); do
    kill "${x_session_pids[i]}" 2>/dev/null || true
  done
  for pid in "${x_session_pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  x_session_pids=()
  rm -rf "$x_session_dir"
}
trap x_session_stop EXIT
trap 'exit 143' TERM INT HUP # so that the EXIT trap runs when the test is stopped

# fail MESSAGE: counts a failure. expect MESSAGE AWK-CONDITION: fails unless the condition holds,
# e.g. expect "stars shown ($share)" "$share > 0.002".
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
expect() {
  if awk "BEGIN { exit !($2) }"; then echo "ok: $1"; else fail "$1 (expected $2)"; fi
}

# wait_for SECONDS COMMAND...: polls the command every 0.2 s until it succeeds; false after the
# limit. Limits are generous: on a loaded machine a frame can take long.
wait_for() {
  local limit=$1 start=$SECONDS
  shift
  until "$@"; do
    ((SECONDS - start < limit)) || return 1
    sleep 0.2
  done
}

# x_session_start [WxHxD]: a new X server on the first free display, with openbox on it.
# Exports DISPLAY.
x_session_start() {
  local screen=${1:-800x600x24} display_file=$x_session_dir/display
  : >"$display_file"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$display_file" \
    2>"$x_session_dir/xvfb.log" &
  x_session_pids+=($!)
  screen_width=${screen%%x*}
  screen_height=${screen#*x} screen_height=${screen_height%%x*}
  wait_for 30 test -s "$display_file" || { cat "$x_session_dir/xvfb.log"; fail "no X server"; finish; }
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
  openbox --sm-disable >"$x_session_dir/openbox.log" 2>&1 &
  x_session_pids+=($!)
  # The window manager is up once it names itself on the root window.
  wait_for 30 eval "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
    { fail "openbox did not start"; finish; }
}

# program_start DIR COMMAND...: starts the command in DIR with its sound going to $sound_file,
# waits up to a minute for its window titled "Krateon" and gives it the keyboard. In a sanitizer
# build (KRATEON_SANITIZER_PRELOAD set) the sanitizers' reports go to files that `finish` checks.
program_start() {
  local dir=$1
  shift
  local env=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$sound_file")
  if [[ -n ${KRATEON_SANITIZER_PRELOAD:-} ]]; then
    env+=(LD_PRELOAD="$KRATEON_SANITIZER_PRELOAD"
      ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0:log_path=$x_session_dir/report.asan"
      LSAN_OPTIONS="suppressions=$KRATEON_LSAN_SUPPRESSIONS:print_suppressions=0"
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$x_session_dir/report.ubsan")
  fi
  rm -f "$sound_file"
  (cd "$dir" && exec env "${env[@]}" "$@") >"$shot_dir/program.out" 2>"$shot_dir/program.err" &
  program_pid=$!
  program_started=$SECONDS
  x_session_pids+=("$program_pid")
  program_status=""
  if ! wait_for 60 find_window; then
    fail "no window titled Krateon within 60 s (the program $(program_running && echo runs ||
      echo ended))"
    finish
  fi
  xdotool windowactivate --sync "$program_window" 2>/dev/null ||
    xdotool windowfocus --sync "$program_window"
}
find_window() {
  program_running || return 2
  program_window=$(xdotool search --onlyvisible --name '^Krateon$' 2>/dev/null | head -1)
  [[ -n $program_window ]]
}

# program_running: true while the program has not ended.
program_running() {
  kill -0 "$program_pid" 2>/dev/null
}

# program_wait SECONDS: waits for the program to end; sets program_status to its exit status, or
# to "timeout" (and stops it). Not for use in $(...): only this shell can collect the status.
program_wait() {
  wait_for "$1" eval '! program_running' || {
    kill -9 "$program_pid" 2>/dev/null || true
    program_status=timeout
  }
  local status=0
  wait "$program_pid" 2>/dev/null || status=$?
  [[ $program_status == timeout ]] || program_status=$status
}

# window_geometry: the program window's "WIDTHxHEIGHT+X+Y" and whether it is full screen.
window_geometry() {
  local WIDTH HEIGHT X Y
  eval "$(xdotool getwindowgeometry --shell "$program_window" 2>/dev/null)"
  local state
  state=$(xprop -id "$program_window" _NET_WM_STATE 2>/dev/null)
  echo "${WIDTH}x${HEIGHT}+${X}+${Y}$([[ $state == *FULLSCREEN* ]] && echo ' fullscreen')"
}

# key KEYSYM...: presses and releases each key in turn. click X Y [BUTTON]: a click there.
key() {
  xdotool key --delay 40 "$@"
}
click() {
  xdotool mousemove "$1" "$2" click "${3:-1}"
}

# shot NAME: a screenshot of the whole screen, kept as $shot_dir/NAME.png; prints its path.
shot() {
  import -window root "$shot_dir/$1.png"
  echo "$shot_dir/$1.png"
}

# Pixel measures of a PNG, over an area WxH+X+Y (the whole picture by default). Brightness is the
# largest of a pixel's red, green and blue, 0 to 255.
# mean_brightness PNG [AREA]; bright_share PNG LEVEL [AREA]: the share of pixels at least LEVEL
# bright; colour_count PNG [AREA]: distinct colours; pixel PNG X Y: "R,G,B".
measure() {
  local png=$1 area=$2 format=$3
  shift 3
  convert "$png" ${area:+-crop "$area" +repage} -grayscale Brightness "$@" \
    -format "$format" info:
}
mean_brightness() { measure "$1" "${2:-}" '%[fx:255*mean]'; }
bright_share() { measure "$1" "${3:-}" '%[fx:mean]' -threshold "$(awk "BEGIN{print $2/2.55}")%"; }
colour_count() { convert "$1" ${2:+-crop "$2" +repage} -format %k info:; }
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
# bright_box PNG LEVEL [AREA]: the box "WxH+X+Y" around the pixels at least LEVEL bright.
bright_box() {
  convert "$1" ${3:+-crop "$3"} -grayscale Brightness -threshold "$(awk "BEGIN{print $2/2.55}")%" \
    -format %@ info:
}

# sound_now: seconds of sound the program has mixed so far (its device opens at start).
sound_now() {
  local bytes
  bytes=$(stat -c %s "$sound_file" 2>/dev/null || echo 0)
  awk "BEGIN { printf \"%.3f\", $bytes / $sound_frame_bytes / $sound_rate }"
}
# sound_rms FROM TO: the loudness between two times in the sound file, 0 to 1 of full scale.
sound_rms() {
  sox -t raw -r "$sound_rate" -e signed -b 16 -c 2 "$sound_file" -n trim "$1" "=$2" stat 2>&1 |
    awk '/^RMS +amplitude/ { print $3 }'
}
# sound_onsets FROM TO: the times in [FROM, TO) at which a sound starts: a 10 ms window louder
# than 0.01 of full scale and four times louder than the 0.2 s before it; one per 0.3 s.
sound_onsets() {
  local from=$1 to=$2 skip
  skip=$(awk "BEGIN { s = $from - 0.2; print (s < 0 ? 0 : s) }")
  sox -t raw -r "$sound_rate" -e signed -b 16 -c 2 "$sound_file" -t dat - trim "$skip" "=$to" |
    awk -v skip="$skip" -v from="$from" -v rate="$sound_rate" '
      /^;/ { next }
      { n = int(NR - 3); w = int(n / (rate / 100)); sum[w] += $2 * $2 + $3 * $3; cnt[w] += 2 }
      END {
        for (i = 20; i in cnt; i++) {
          t = skip + i / 100; if (t < from) continue
          level = sqrt(sum[i] / cnt[i]); before = 0; k = 0
          for (j = i - 20; j < i; j++) { before += sum[j]; k += cnt[j] }
          before = sqrt(before / k)
          if (level > 0.01 && level > 4 * before && t - last >= 0.3) { printf "%.2f\n", t; last = t }
        }
      }'
}

# finish: the test's verdict. Sanitizer reports and the program's error output are failures too.
finish() {
  local report
  for report in "$x_session_dir"/report.*; do
    [[ -e $report ]] || continue
    fail "sanitizer report $report:"
    cat "$report"
  done
  if [[ -s $shot_dir/program.err ]]; then
    echo "-- the program's error output:"
    head -40 "$shot_dir/program.err"
  fi
  echo "screenshots and output in $shot_dir"
  if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
  fi
  exit 0
}
