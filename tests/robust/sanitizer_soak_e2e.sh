#!/usr/bin/env bash
# The sanitizer build played like a visitor would for a while (clicks, keys, whole cycles), then
# Escape: status 0 and not a single sanitizer report. Registered in sanitizer builds only.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
seconds=${KRATEON_SOAK_SECONDS:-30}
key_rounds=(
  "c c question question w w w l l l l l l l l l l l l"
  "s s u u space space p p 0 5 9 3 i n n n"
  "comma period minus equal underscore plus parenleft parenright braceleft braceright"
  "bracketleft bracketright less greater r v Left Right v f f o o Prior Next Home End F1"
)

x_session_start 800x600x24
program_start "$KRATEON_ASSET_DIR" "$KRATEON_PROGRAM" "${display_pace[@]}"
round=0
while awk "BEGIN { exit !($(program_age) < $seconds) }" && program_running; do
  click 400 300
  sleep 1.5
  read -ra batch <<<"${key_rounds[round % ${#key_rounds[@]}]}"
  key "${batch[@]}"
  xdotool mousemove 450 250 mousemove 350 350 mousemove 400 300
  # Every other round lets the cycle run on to the break and the next planet.
  sleep $((round % 2 ? 10 : 3))
  round=$((round + 1))
done
program_running || fail "the program ended during the show"
xdotool windowactivate --sync "$program_window" 2>/dev/null || true
key Escape
program_wait 60
expect "Escape ends it with status 0 after $round rounds ($program_status)" \
  "\"$program_status\" == \"0\""
finish
