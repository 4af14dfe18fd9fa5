#!/usr/bin/env bash
# Minimised, on another desktop or covered, the program sleeps; shown again it draws at once and
# goes on where it was (the message from before still there); Escape while minimised ends it.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"

x_session_start 1280x720x24
program_start "$KRATEON_ASSET_DIR" "$KRATEON_PROGRAM" # unpaced, as a user starts it
ticks_per_second=$(getconf CLK_TCK)

# cpu_share SECONDS: the program's processor time (user and system, all threads) over the next
# SECONDS, in processors.
cpu_share() {
  local before
  before=$(cpu_ticks)
  sleep "$1"
  awk "BEGIN { printf \"%.3f\", ($(cpu_ticks) - $before) / $ticks_per_second / $1 }"
}
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$program_pid/stat"; }
since() { awk "BEGIN { printf \"%.2f\", $(date +%s.%N) - $1 }"; } # seconds since a `date +%s.%N`
# A screenshot at the program's priority, so that a busy machine delays it no more than the program.
nice_shot() { $nice import -window root "$shot_dir/$1.png" && echo "$shot_dir/$1.png"; }

# hidden_round NAME KEY HIDE-COMMAND SHOW-COMMAND: a message (KEY changes nothing in the
# picture) just before the window is hidden with HIDE-COMMAND; five seconds of processor time
# hidden; then SHOW-COMMAND, and the window is looked at.
hidden_round() {
  local name=$1 key=$2 hide=$3 show=$4 hidden shown_at back stars took message moving changed
  key "$key"
  $hide
  hidden=$(cpu_share 5)
  echo "processor time, $name: $hidden"
  expect "$name: the program sleeps ($hidden processors; visible $visible)" \
    "$hidden <= 0.02 && $hidden <= $visible / 10"
  local ticks shots=() times=() i
  ticks=$(cpu_ticks)
  $show
  shown_at=$(date +%s.%N)
  # Within a second the program draws again: its processor time moves on by a few frames.
  until took=$(since "$shown_at") && (($(cpu_ticks) > ticks + 4)) ||
    awk "BEGIN { exit !($took > 1) }"; do sleep 0.02; done
  expect "$name: drawing again within a second ($took s)" "$took <= 1.0"
  # The scene is back, the stars at least (the planet may be between two), and the message from
  # before (its three seconds were not used up while hidden). Pictures are taken for two seconds
  # and looked at afterwards: on a busy machine taking them is slow, looking at them slower.
  until ((${#times[@]} > 0)) && awk "BEGIN { exit !(${times[-1]} > 2) }"; do
    shots+=("$(nice_shot "$name-back-${#shots[@]}")")
    times+=("$(since "$shown_at")")
  done
  for i in "${!shots[@]}"; do
    back=${shots[i]} took=${times[i]}
    stars=$(bright_share "$back" 150)
    awk "BEGIN { exit !($stars > 0.0005) }" && break
  done
  expect "$name: the scene shows ($took s; $stars of it bright)" "$stars > 0.0005"
  message=$(bright_share "$back" 200 300x30+0+0)
  expect "$name: the message from before is still shown ($message)" "$message > 0.002"
  # And it moves: the next picture differs.
  moving=$(nice_shot "$name-moving")
  changed=$(compare -metric AE "$back" "$moving" null: 2>&1 || true)
  expect "$name: the picture moves again ($changed pixels)" "$changed > 1000"
}

# Visible: the program draws as fast as it can.
wait_until 2
visible=$(cpu_share 5)
echo "processor time, visible: $visible"
expect "visible, the program draws ($visible processors)" "$visible > 0.05"

minimise() { xdotool windowminimize --sync "$program_window"; }
activate() { xdotool windowactivate --sync "$program_window" 2>/dev/null; }
hidden_round minimised parenleft minimise activate

# openbox offers four desktops. It moves the window when it gets to it; activated before it is
# back, the window would take the view to the other desktop.
on_desktop() { [[ $(xdotool get_desktop_for_window "$program_window" 2>/dev/null) == "$1" ]]; }
to_other_desktop() {
  xdotool set_desktop_for_window "$program_window" 1
  wait_for 10 on_desktop 1 || fail "the window did not move to the other desktop"
}
back_to_desktop() {
  xdotool set_desktop_for_window "$program_window" 0
  wait_for 10 on_desktop 0 || fail "the window did not come back"
  activate
}
hidden_round other-desktop parenright to_other_desktop back_to_desktop

# Another program's window over the whole screen (one without a window manager's frame).
cover() {
  "$KRATEON_BINARY_DIR/tests/plain_window" 1280 720 0 0 >/dev/null &
  cover_pid=$!
  x_session_pids+=("$cover_pid")
  sleep 0.5
}
uncover() { kill "$cover_pid"; }
hidden_round covered parenleft cover uncover

key Escape
minimise
program_wait 10
expect "Escape ends the program with status 0, minimised as it fades ($program_status)" \
  "\"$program_status\" == 0"
finish
