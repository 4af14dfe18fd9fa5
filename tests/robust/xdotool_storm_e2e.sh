#!/usr/bin/env bash
# The real program under a storm of X input (keys it knows and many it does not, buttons, pointer
# jumps): it lives through it and still ends with status 0 on Escape.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
seconds=${KRATEON_STORM_SECONDS:-10}
storm_keys=(space exclam quotedbl numbersign dollar percent ampersand apostrophe parenleft
  parenright asterisk plus comma minus period slash 0 1 2 3 4 5 6 7 8 9 colon semicolon less
  equal greater question at A Z bracketleft backslash bracketright asciicircum underscore grave
  a b c d e f g h i j k l m n o p q r s t u v w x y z braceleft bar braceright asciitilde Return
  Tab BackSpace Delete Prior Next Home End Left Right Up Down Insert F1 F2 F5 F11 F12)

x_session_start 800x600x24
program_start "$KRATEON_ASSET_DIR" "$KRATEON_PROGRAM" "${display_pace[@]}"
RANDOM=2024 # the same storm on every run
events=0
while awk "BEGIN { exit !($(program_age) < $seconds) }" && program_running; do
  batch=() # forty events for one xdotool call
  for _ in $(seq 40); do
    case $((RANDOM % 8)) in
      0 | 1 | 2 | 3) batch+=(key --delay 2 "${storm_keys[RANDOM % ${#storm_keys[@]}]}") ;;
      4) batch+=(click --delay 2 $((RANDOM % 5 + 1))) ;;
      5) batch+=(mousedown 1 mouseup 1) ;;
      # Within the window, also when f has made it 512 x 512: a click on the desktop would
      # open the window manager's menu, which takes the keyboard.
      *) batch+=(mousemove --window "$program_window" $((RANDOM % 512)) $((RANDOM % 512))) ;;
    esac
  done
  xdotool "${batch[@]}" 2>/dev/null || true
  events=$((events + 40))
done
program_running || fail "the program ended during the storm"
xdotool windowactivate --sync "$program_window" 2>/dev/null || true
see "it still draws the scene after $events events" after-storm 'v > 0.002' bright_share 40
key Escape
program_wait 30
expect "Escape ends it with status 0 ($program_status)" "\"$program_status\" == \"0\""
finish
