# The shell side of the test support, sourced by the scripts that drive the real program: a
# private X desktop, keys, clicks, screenshots, pixel measures and the program's captured sound.
# Everything started is stopped at exit; screenshots and output stay in $shot_dir. A test counts
# its failures with `expect`/`fail` and ends with `finish`.

# The scene's clock keeps pace with the wall clock only while a frame takes under 0.1 s, so the
# test runs ahead of other work where allowed: under autogroup a nice value counts only within
# its session, so the script starts again in a session of its own, put ahead of the compile and
# the tests beside it; in it the X server and the program run ahead of the script's own tools.
if [[ -z ${KRATEON_TEST_SESSION:-} ]]; then
  KRATEON_TEST_SESSION=1 exec setsid -w sh -c 'echo -5 >/proc/self/autogroup 2>/dev/null
    exec "$@"' test-session bash "$0" "$@"
fi

x_session_dir=$(mktemp -d "${TMPDIR:-/tmp}/krateon-x.XXXXXX")
shot_dir=${KRATEON_ARTIFACT_DIR:-$x_session_dir/shots}
rm -rf "$shot_dir" && mkdir -p "$shot_dir"
x_session_pids=() # started processes, stopped in reverse order at exit
program_pid=""
program_window=""
program_status=""
failures=0
# SDL's disk driver writes the mixed sound here in real time: signed 16-bit, stereo, 44.1 kHz.
sound_file=$x_session_dir/sound.raw
sound_rate=44100
sound_frame_bytes=4
nice="nice -n -5"
# Tests that do not look at the frame rate run the program at a display's 60 frames a second
# (`program_start … "${display_pace[@]}"`): unpaced, Mesa's renderer takes every processor.
display_pace=(--max-fps 60)

x_session_stop() {
  local status=$? i pid
  set +e # everything is stopped, also when the output has gone away
  trap '' PIPE
  [[ -n ${finished:-} ]] || echo "FAIL: the test stopped early (status $status)"
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
trap 'exit 143' TERM INT HUP PIPE # so that the EXIT trap runs when the test is stopped

# fail MESSAGE: counts a failure. expect MESSAGE AWK-CONDITION: fails unless the condition holds,
# e.g. expect "stars shown ($share)" "$share > 0.002".
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
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

# see WHAT NAME CONDITION MEASURE [ARGUMENT...]: takes screenshot NAME until `MEASURE PNG
# ARGUMENT...` prints a value v for which the awk condition holds, for up to $see_limit seconds
# (20 by default); fails if it never does. The last value is left in $seen.
see() {
  local what=$1 name=$2 condition=$3 start=$SECONDS
  shift 3
  until seen=$("$1" "$(shot "$name")" "${@:2}") &&
    awk -v v="$seen" "BEGIN { exit !($condition) }"; do
    ((SECONDS - start < ${see_limit:-20})) ||
      { fail "$what ($seen; expected $condition)"; return 0; }
  done
  echo "ok: $what ($seen)"
}

# x_session_start [WxHxD]: a new X server on the first free display, with openbox on it.
# Exports DISPLAY.
x_session_start() {
  local screen=${1:-800x600x24} display_file=$x_session_dir/display
  : >"$display_file"
  $nice Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$display_file" \
    2>"$x_session_dir/xvfb.log" &
  x_session_pids+=($!)
  wait_for 60 display_written ||
    { cat "$x_session_dir/xvfb.log"; fail "no X server"; finish; }
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
  # The window manager is up once it names itself on the root window. On a busy machine it may
  # fail to connect at first: it gets three tries.
  local try
  for try in 1 2 3; do
    openbox --sm-disable >>"$x_session_dir/openbox.log" 2>&1 &
    window_manager=$!
    x_session_pids+=("$window_manager")
    wait_for 60 window_manager_ready_or_gone || true
    window_manager_ready && return 0
  done
  cat "$x_session_dir/openbox.log"
  fail "openbox did not start"
  finish
}
display_written() { (($(wc -l <"$display_file") > 0)); } # the number and its line end
window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
window_manager_ready_or_gone() { window_manager_ready || ! kill -0 "$window_manager" 2>/dev/null; }

# program_launch DIR COMMAND...: starts the command in DIR, its sound going to $sound_file, its
# output to $shot_dir. In a sanitizer build (KRATEON_SANITIZER_PRELOAD set) the sanitizers'
# reports go to files that `finish` checks.
# program_start DIR COMMAND...: the same, then waits up to a minute for its window titled
# "Krateon" and gives it the keyboard.
program_launch() {
  local dir=$1 env=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$sound_file")
  shift
  if [[ -n ${KRATEON_SANITIZER_PRELOAD:-} ]]; then
    env+=(LD_PRELOAD="$KRATEON_SANITIZER_PRELOAD"
      ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0:log_path=$x_session_dir/report.asan"
      LSAN_OPTIONS="suppressions=$KRATEON_LSAN_SUPPRESSIONS:print_suppressions=0"
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$x_session_dir/report.ubsan")
  fi
  rm -f "$sound_file"
  (cd "$dir" && exec $nice env "${env[@]}" "$@") >"$shot_dir/program.out" \
    2>"$shot_dir/program.err" &
  program_pid=$!
  program_started=$(date +%s.%N)
  x_session_pids+=("$program_pid")
  program_status=""
}
program_start() {
  program_launch "$@"
  if ! wait_for 60 find_window || [[ -z $program_window ]]; then
    fail "no window titled Krateon (the program $(program_running && echo runs || echo ended))"
    finish
  fi
  # The program asks for full screen right after mapping its window (unless the caller sets
  # program_window_pattern otherwise); the keyboard goes to it once that is done. (Whether it did
  # go full screen is for the tests to check.)
  window_pattern=${program_window_pattern:-* fullscreen}
  wait_for 20 window_matches || true
  xdotool windowactivate --sync "$program_window" 2>/dev/null || true
  wait_for 20 has_focus || { fail "the program's window does not get the keyboard"; finish; }
}
has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$program_window" ]]; }
find_window() { # true once the window is there or the program has ended
  program_window=$(xdotool search --onlyvisible --name '^Krateon$' 2>/dev/null | head -1)
  [[ -n $program_window ]] || ! program_running
}

# plain_blue AREA [PNG]: the share of AREA in the plain window's blue, on PNG or a new screenshot.
# covered AREA: true when the program has drawn over all of it.
plain_blue() {
  measure "${2:-$(shot window)}" "$1" '%[fx:mean]' -fill white -opaque '#203050' -fill black \
    +opaque white
}
covered() { awk "BEGIN { exit !($(plain_blue "$1") < 0.001) }"; }

# window_open W H X Y [input-only]: a plain window of the tests' own (tests/plain_window: no
# frame, dark blue, or input-only) at that place; sets window_id and window_pid.
window_open() {
  rm -f "$x_session_dir/window.id"
  "$KRATEON_BINARY_DIR/tests/plain_window" "$@" >"$x_session_dir/window.id" &
  window_pid=$!
  x_session_pids+=("$window_pid")
  wait_for 30 test -s "$x_session_dir/window.id" || { fail "plain_window printed no id"; finish; }
  window_id=$(<"$x_session_dir/window.id")
}
# saver_start ARGS...: program_launch of the program with ARGS (naming its window) from the data
# folder, its frame rates written each second by Mesa's hidden HUD to $hud/fps; median_fps: their
# median, the first second left out.
hud=$x_session_dir/hud
hud_env=(GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_PERIOD=1 GALLIUM_HUD_DUMP_DIR="$hud")
saver_start() {
  rm -rf "$hud" && mkdir "$hud"
  program_launch "$KRATEON_ASSET_DIR" env "${hud_env[@]}" "$KRATEON_PROGRAM" "$@"
}
median_fps() {
  tail -n +2 "$hud/fps" 2>/dev/null | sort -g |
    awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : 0 }'
}
# saver_window_start W H X Y ARGS...: a plain window there and, once it shows, the program in
# screensaver mode in it (--window-id, then ARGS). saver_window_stop: SIGTERM to the program (its
# exit status in program_status), then the window goes.
saver_window_start() {
  local area="$1x$2+$3+$4"
  window_open "$1" "$2" "$3" "$4"
  shift 4
  wait_for 30 eval 'awk "BEGIN { exit !($(plain_blue "$area") > 0.99) }"' ||
    fail "the plain window does not show"
  saver_start --window-id "$window_id" "$@"
}
saver_window_stop() {
  kill -TERM "$program_pid" 2>/dev/null || true
  program_wait 10
  kill "$window_pid" 2>/dev/null || true
  wait "$window_pid" 2>/dev/null || true
}

# program_age: seconds since the program was started. wait_until AGE: sleeps until then.
program_age() { awk "BEGIN { printf \"%.2f\", $(date +%s.%N) - $program_started }"; }
wait_until() {
  local left
  left=$(awk "BEGIN { print $1 - $(program_age) }")
  awk "BEGIN { exit !($left > 0) }" && sleep "$left"
  return 0
}

# program_running: true while the program has not ended.
program_running() { kill -0 "$program_pid" 2>/dev/null; }

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
key() { xdotool key --delay 40 "$@"; }
click() { xdotool mousemove "$1" "$2" click "${3:-1}"; }

# shot NAME: a screenshot of the whole screen, kept as $shot_dir/NAME.png; prints its path.
shot() { import -window root "$shot_dir/$1.png"; echo "$shot_dir/$1.png"; }

# Pixel measures of a PNG, over an area WxH+X+Y (the whole picture by default). Brightness is the
# largest of a pixel's red, green and blue, 0 to 255.
# measure PNG AREA FORMAT [OPERATION...]: ImageMagick's FORMAT of the area after the operations.
measure() {
  local png=$1 area=$2 format=$3
  shift 3
  convert "$png" ${area:+-crop "$area" +repage} "$@" -format "$format" info:
}
# mean_brightness PNG [AREA]; bright_share PNG LEVEL [AREA]: the share of pixels at least LEVEL
# bright; colour_count PNG [AREA]: distinct colours.
mean_brightness() { measure "$1" "${2:-}" '%[fx:255*mean]' -grayscale Brightness; }
bright_share() {
  measure "$1" "${3:-}" '%[fx:mean]' -grayscale Brightness -threshold "$(percent "$2")"
}
percent() { awk "BEGIN { print $1 / 2.55 \"%\" }"; }
# share_where PNG FX-CONDITION [AREA]: the share of pixels (every second one each way) for which
# an ImageMagick -fx condition on r, g, b (0 to 1) holds, e.g. 'b > 0.3 && b > 1.3 * r' for blue.
share_where() { measure "$1" "${3:-}" '%[fx:mean]' -sample 50% -fx "$2"; }
colour_count() { measure "$1" "${2:-}" %k; }
# bright_box PNG LEVEL [AREA]: the box "WxH+X+Y" around the pixels at least LEVEL bright, with
# X and Y from the area's corner.
bright_box() { measure "$1" "${3:-}" %@ -grayscale Brightness -threshold "$(percent "$2")"; }

# wire PNG [AREA]: "LIT RUNS", the shares of pixels that are lit and that lie in lit horizontal
# runs of five or more: filled shapes and lines make such runs, points do not.
wire() {
  measure "$1" "${2:-}" '%[fx:mean] ' -grayscale Brightness -threshold 12% \
    \( +clone -morphology Open Rectangle:5x1 \)
}
# largest_shape PNG AREA: the largest lit shape's share of AREA once stars and letters are eroded
# away (the planet, its dark side lit by the ambient light, takes about 2 % of a window).
largest_shape() {
  local w h
  IFS='x+' read -r w h _ <<<"$2"
  convert "$1" -crop "$2" +repage -grayscale Brightness -threshold 4% -morphology Erode Disk:3 \
    -define connected-components:verbose=true -connected-components 8 null: 2>/dev/null |
    awk -v all=$((w * h)) '/gray\(255\)/ { if ($4 > largest) largest = $4 }
      END { print largest / all }'
}

# planet_box PNG: the box "WxH+X+Y" around the planet: lit pixels (brightness 20 and more) that
# survive an opening wider than a star, the sun or a line of text. Empty when nothing does.
planet_box() {
  local w h x y
  IFS='x+' read -r w h x y < <(convert "$1" -sample 25% -grayscale Brightness -threshold 8% \
    -morphology Open Disk:6 -format %@ info: 2>/dev/null)
  if ((w > 1)); then echo "$((4 * w))x$((4 * h))+$((4 * x))+$((4 * y))"; fi
}

# sound_now: seconds of sound the program has mixed so far (its device opens at start).
sound_now() {
  local bytes
  bytes=$(stat -c %s "$sound_file" 2>/dev/null || echo 0)
  awk "BEGIN { printf \"%.3f\", $bytes / $sound_frame_bytes / $sound_rate }"
}
# sound_wait TIME: waits up to a minute for the sound file to reach TIME; ends the test if it
# does not. after TIME SECONDS: prints the sum.
sound_wait() {
  wait_for 60 sound_past "$1" ||
    { fail "the sound stopped at $(sound_now) s, before $1 s"; finish; }
}
sound_past() { awk "BEGIN { exit !($(sound_now) > $1) }"; }
after() { awk "BEGIN { print $1 + $2 }"; }
# sound_rms FROM TO: the loudness between two times in the sound file, 0 to 1 of full scale.
sound_rms() {
  sox -t raw -r "$sound_rate" -e signed -b 16 -c 2 "$sound_file" -n trim "$1" "=$2" stat 2>&1 |
    awk '/^RMS +amplitude/ { print $3 }'
}
# sound_onsets FROM TO: the times in [FROM, TO) at which a sound starts: a 10 ms window louder
# than 0.01 of full scale and four times louder than the 0.2 s before it; one per 0.3 s.
sound_onsets() {
  local skip
  skip=$(awk "BEGIN { s = $1 - 0.2; print (s < 0 ? 0 : s) }")
  sox -t raw -r "$sound_rate" -e signed -b 16 -c 2 "$sound_file" -t dat - trim "$skip" "=$2" |
    awk -v skip="$skip" -v from="$1" -v per_window="$((sound_rate / 100))" '
      !/^;/ { w = int(n / per_window); n++; sum[w] += $2 * $2 + $3 * $3; cnt[w] += 2 }
      END {
        for (i = 0; i in cnt; i++) {
          t = skip + i / 100; level = sqrt(sum[i] / cnt[i]); before = 0; k = 0
          for (j = (i < 20 ? 0 : i - 20); j < i; j++) { before += sum[j]; k += cnt[j] }
          before = k ? sqrt(before / k) : 0
          if (t >= from && level > 0.01 && level > 4 * before && (!seen || t - last >= 0.3)) {
            printf "%.2f\n", t; last = t; seen = 1
          }
        }
      }'
}

# expect_window WHAT PATTERN: waits up to 20 s for the window's geometry (see window_geometry) to
# match the glob PATTERN.
expect_window() {
  window_pattern=$2
  if wait_for 20 window_matches; then echo "ok: $1 ($(window_geometry))"; else
    fail "$1 ($(window_geometry))"
  fi
}
window_matches() { [[ $(window_geometry) == $window_pattern ]]; }

# finish: the test's verdict; a sanitizer report is a failure too. Shows the program's errors.
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
  finished=1
  if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
  fi
  exit 0
}
