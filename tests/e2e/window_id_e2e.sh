#!/usr/bin/env bash
# Screensaver mode in plain X windows of the test's own (--window-id): the picture in the window
# and nowhere else, at its size; silent; status 0 on SIGTERM within 0.5 s, on SIGINT and when the
# window goes; status 1 and one line for a window it cannot use; the --max-fps cap.
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
x_session_start 1280x720x24

# outside_changes BEFORE AFTER AREA: pixels that differ outside AREA ("WxH+X+Y").
outside_changes() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$3"
  convert "$1" "$2" -fill black -draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))" \
    -compose difference -composite -fill white +opaque black -format '%[fx:mean*w*h]' info:
}

# shows_scene NAME AREA [STAR-AREA...]: a screenshot on which AREA is Krateon's (no blue left,
# a planet inside it) and every STAR-AREA has stars. Sets `shot`.
holds() { awk "BEGIN { exit !($1) }"; }
shows_scene() {
  local area=$2 stars
  shot=$(shot "$1")
  holds "$(plain_blue "$area" "$shot") < 0.001" || return 1
  holds "$(largest_shape "$shot" "$area") > 0.008" || return 1
  for stars in "${@:3}"; do holds "$(bright_share "$shot" 60 "$stars") > 0.0005" || return 1; done
}

# 1. A 640 x 400 window at (100, 80); the pointer far away from it.
window_open 640 400 100 80
area=640x400+100+80
xdotool mousemove 1200 700
before=$(shot before)
saver_start --window-id "$window_id"
# Stars in each quarter of the window: the picture fills it.
wait_for 60 shows_scene first "$area" 320x200+100+80 320x200+420+80 320x200+100+280 \
  320x200+420+280 || fail "no planet and stars filling the window (see $shot)"
expect "nothing drawn outside the window" "$(outside_changes "$before" "$shot" "$area") == 0"
eval "$(xdotool getmouselocation --shell)"
expect "the pointer left where it was ($X, $Y)" "$X == 1200 && $Y == 700"
size=$(xdotool getwindowgeometry "$window_id" | awk '/Geometry/ { print $2 }')
expect "the window keeps its size ($size)" "\"$size\" == \"640x400\""

# 2. Larger: the picture follows into the new strips at the top and the right (before the
# resize the view lay in the bottom-left 640 x 400 of what is now the window).
xdotool windowsize "$window_id" 960 600
area=960x600+100+80
wait_for 60 shows_scene larger "$area" 960x200+100+80 320x600+740+80 ||
  fail "the picture does not fill the resized window (see $shot)"
expect "nothing drawn outside the resized window" \
  "$(outside_changes "$before" "$shot" "$area") == 0"
expect "silent without --sound" "$([[ -e $sound_file ]] && echo 1 || echo 0) == 0"
fps=$(median_fps)
expect "at most 60 frames a second by default ($fps)" "$fps <= 62"

# 3. SIGTERM: the program must be gone within half a second. Polled every 5 ms with the shell's
# own clock and a read that times out on an idle pipe, so that no process start delays the look.
mkfifo "$x_session_dir/idle"
exec {idle}<>"$x_session_dir/idle"
sent=$EPOCHREALTIME
kill -TERM "$program_pid"
while kill -0 "$program_pid" 2>/dev/null && ((${EPOCHREALTIME/./} - ${sent/./} < 20000000)); do
  read -r -t 0.005 -u "$idle" || true
done
seconds=$(awk "BEGIN { print $EPOCHREALTIME - $sent }")
program_wait 10
expect "exit status 0 after SIGTERM ($program_status)" "\"$program_status\" == \"0\""
expect "ended within 0.5 s of SIGTERM ($seconds s)" "$seconds <= 0.5"
[[ ! -s $shot_dir/program.err ]] || fail "output on stderr: $(head -3 "$shot_dir/program.err")"

# 4. The window destroyed under it (its owner ends): status 0, quietly. With --sound it plays;
# the window id in decimal; a lower cap.
kill "$window_pid" && wait "$window_pid" 2>/dev/null
window_open 480 300 700 300
saver_start --window-id "$((window_id))" --sound --max-fps 5
wait_for 60 shows_scene small 480x300+700+300 || fail "no picture in the second window"
wait_for 60 eval '(($(tail -n +2 "$hud/fps" | wc -l) >= 3))'
fps=$(median_fps)
expect "5 frames a second with --max-fps 5 ($fps)" "$fps >= 1 && $fps <= 6"
kill "$window_pid"
program_wait 30
expect "exit status 0 when the window is destroyed ($program_status)" \
  "\"$program_status\" == \"0\""
[[ ! -s $shot_dir/program.err ]] || fail "output on stderr: $(head -3 "$shot_dir/program.err")"
expect "sound with --sound ($(sound_now) s mixed)" "$(sound_now) > 0"

# 5. Windows it cannot use: status 1, one line on stderr naming the window, nothing on screen.
# The window just destroyed (its id is free until the next client makes one), an input-only one.
refused() { # ID MESSAGE
  saver_start --window-id "$1"
  program_wait 30
  expect "status 1 for $1 ($program_status)" "\"$program_status\" == \"1\""
  expect "one line on stderr for $1" "$(wc -l <"$shot_dir/program.err") == 1"
  grep -q "^krateon: .*$2" "$shot_dir/program.err" ||
    fail "stderr for $1: $(cat "$shot_dir/program.err")"
}
before=$(shot idle)
xwininfo -id "$window_id" >/dev/null 2>&1 && fail "window $window_id still exists"
refused "$window_id" "there is no window $window_id"
window_open 200 200 0 0 input-only
refused "$window_id" "cannot show OpenGL: it is input-only"
expect "nothing left on screen" "$(outside_changes "$before" "$(shot after_bad_ids)" 0x0+0+0) == 0"

# 6. SIGINT (Ctrl+C) ends it as SIGTERM does.
window_open 320 200 900 40
saver_start --window-id "$window_id"
wait_for 60 shows_scene last 320x200+900+40 || fail "no picture in the last window"
kill -INT "$program_pid"
program_wait 10
expect "exit status 0 after SIGINT ($program_status)" "\"$program_status\" == \"0\""

# 7. --max-fps caps Krateon's own full-screen window as well.
rm -rf "$hud" && mkdir "$hud"
program_start "$KRATEON_ASSET_DIR" env "${hud_env[@]}" "$KRATEON_PROGRAM" --max-fps 5
wait_for 60 eval '(($(tail -n +2 "$hud/fps" | wc -l) >= 3))'
fps=$(median_fps)
expect "5 frames a second in its own window with --max-fps 5 ($fps)" "$fps >= 1 && $fps <= 6"
finish
