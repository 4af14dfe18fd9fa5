#!/usr/bin/env bash
# With Xft.dpi 192 from xrdb, on a screen whose 1024 lines alone keep the text plain, the
# frame-rate line is twice as tall and twice as far from the right edge.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"

x_session_start 1280x1024x24
echo "Xft.dpi: 192" | xrdb -merge
program_start "$KRATEON_ASSET_DIR" "$KRATEON_PROGRAM" "${display_pace[@]}"
key u c # no stars behind the line; the frame-rate line at the top right

# ink_box PNG AREA: "HEIGHT LEFT" of the white letters in AREA, LEFT from the area's left edge.
ink_box() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$(bright_box "$1" 180 "$2")"
  echo "$h $x"
}
# Plain size: letters of about 12 pixels from x 1160 on; twice the size: about 24 from 1040.
see "the frame-rate line twice as tall, 240 pixels from the right edge (height, left of 880)" \
  frame-rate 'split(v, b, " ") && b[1] >= 20 && b[1] <= 40 && b[2] >= 150 && b[2] <= 230' \
  ink_box 400x80+880+0
finish
