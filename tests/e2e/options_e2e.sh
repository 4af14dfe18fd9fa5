#!/usr/bin/env bash
# Settings given on the command line, each seen on the screen, in a window of the test's own
# (--window-id) and in Krateon's own (--window; r returns to the settings given).
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
x_session_start 800x600x24

# sky PNG: the least star share of the four corners: with stars each corner has them (or
# something brighter), without at least one is dark. planet_colours PNG: "MARS EARTH" shares.
sky() {
  local corner least=1 share
  for corner in 200x150+0+0 200x150+600+0 200x150+0+450 200x150+600+450; do
    share=$(bright_share "$1" 60 $corner)
    least=$(awk "BEGIN { print ($share < $least ? $share : $least) }")
  done
  echo "$least"
}
mars='r > 0.3 && r > 1.6 * b && r > 1.2 * g'
earth='b > 0.3 && b > 1.3 * r'
planet_colours() { echo "$(share_where "$1" "$mars") $(share_where "$1" "$earth")"; }
rate_area=120x30+680+0 # the frame-rate line, top right
# faded_in: waits until the program has drawn over the plain window, then for the three seconds
# of the fade-in.
faded_in() {
  wait_for 60 covered 800x600+0+0 || fail "the window was not drawn"
  sleep 3
}

# 1. --no-stars: Earth, as without options, and no star anywhere; no frame-rate line.
saver_window_start 800 600 0 0 --no-stars
faded_in
see "--no-stars: Earth is shown" earth-no-stars 'split(v, s) && s[2] > 0.003' planet_colours
see "--no-stars: no star in the sky" earth-no-stars 'v < 0.0003' sky
expect "no frame-rate line without --fps ($(bright_share "$shot_dir/earth-no-stars.png" 200 \
  $rate_area))" "$(bright_share "$shot_dir/earth-no-stars.png" 200 $rate_area) < 0.0005"
saver_window_stop
expect "status 0 after SIGTERM ($program_status)" "\"$program_status\" == \"0\""

# 2. --planet mars --fps: red, hardly any of Earth's blue (bluish stars have a little), within
# five seconds of the fade-in, long before the first cycle ends and Mars would come after Earth
# (a meteor's fire is red too, but leaves Earth blue); stars; the frame-rate line at the top
# right.
saver_window_start 800 600 0 0 --planet mars --fps
faded_in
see_limit=5 see "--planet mars: Mars comes first" mars \
  'split(v, s) && s[1] > 0.003 && s[2] < 0.25 * s[1]' planet_colours
see "--planet mars: the stars are there" mars-stars 'v > 0.0005' sky
see "--fps: the frame-rate line" rate 'v > 0.003' bright_share 200 $rate_area
saver_window_stop

# 3. --draw points, without stars: once the title has gone, the lit pixels are dots.
saver_window_start 800 600 0 0 --draw points --no-stars
faded_in
wait_until 10.5
see "--draw points: dots" points 'split(v, s) && s[1] > 0.0005 && s[2] < 0.25 * s[1]' wire
saver_window_stop

# 4. --image with a map of our own, green above the equator and magenta below: both colours on
# the planet, no Earth; with --fps the frame-rate line, which --text-scale 2 makes twice as tall.
map=$x_session_dir/halves.png
convert -size 256x64 xc:'#00ff00' -size 256x64 xc:'#ff00ff' -append "$map"
green='g > 0.3 && g > 2 * r && g > 2 * b'
magenta='r > 0.3 && b > 0.3 && g < 0.5 * r && g < 0.5 * b'
saver_window_start 800 600 0 0 --image "$map" --no-stars --fps
faded_in
see "--image: the map's green on the planet" own-map 'v > 0.002' share_where "$green"
for colour in magenta earth; do
  share=$(share_where "$shot_dir/own-map.png" "${!colour}")
  expect "--image: $colour on the planet ($share)" \
    "$share $([[ $colour == magenta ]] && echo '> 0.002' || echo '< 0.0005')"
done
IFS='x+' read -r _ rate_height _ <<<"$(bright_box "$shot_dir/own-map.png" 200 $rate_area)"
saver_window_stop
saver_window_start 800 600 0 0 --fps --text-scale 2 --no-stars
faded_in
see "--text-scale 2: the frame-rate line" rate-scaled 'split(v, b, /[x+]/) && b[2] > 0' \
  bright_box 200 260x70+540+0
IFS='x+' read -r _ scaled_height _ <<<"$seen"
expect "--text-scale 2: twice as tall ($rate_height, then $scaled_height pixels)" \
  "$rate_height > 8 && $scaled_height >= 1.8 * $rate_height && $scaled_height <= 2.2 * $rate_height"
saver_window_stop

# 5. Krateon's own window, started with --window in a 512 x 512 window; f makes it full screen.
# With --no-stars, r resets every setting to what was given, so the sky stays empty; u then shows
# the stars: the keys do reach the program.
program_window_pattern="512x512*" program_start "$KRATEON_ASSET_DIR" "$KRATEON_PROGRAM" \
  --window --no-stars "${display_pace[@]}"
expect_window "--window: a 512 x 512 window" "512x512+*[0-9]"
key f
expect_window "f: full screen" "800x600+0+0 fullscreen"
wait_until 4 # the first message has gone, the picture is at full brightness
see "own window, --no-stars: no star" own-no-stars 'v < 0.0003' sky
key r
see "r: the message Reset" reset 'v > 0.003' bright_share 200 120x30+0+0
expect "r: still no star ($(sky "$shot_dir/reset.png"))" "$(sky "$shot_dir/reset.png") < 0.0003"
key u
see "u: the stars" own-stars 'v > 0.0005' sky
finish
