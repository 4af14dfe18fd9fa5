#!/usr/bin/env bash
# Krateon's keys as a person meets them, each seen on the screen: w p 3 4 u ? c l f o, r during
# the closing fade, and Escape ending it with status 0.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"

x_session_start 800x600x24
program_start "$KRATEON_ASSET_DIR" "$KRATEON_PROGRAM" "${display_pace[@]}"
# A click every fifth of a second keeps the meteor in flight and the planet whole for the keys.
xdotool click --repeat 100000 --delay 200 1 &
clicker=$!
x_session_pids+=("$clicker")
key 4
see "4 shows Mars" mars 'v > 0.003' share_where 'r > 0.3 && r > 1.6 * b && r > 1.2 * g'
key 3
see "3 shows Earth again" earth 'v > 0.003' share_where 'b > 0.3 && b > 1.3 * r'

key u
see "u hides the stars" no-stars 'v < 0.0003' bright_share 60 250x150+550+30
key u
see "u shows them again" stars 'v > 0.001' bright_share 60 250x150+0+450

key question
see "? shows the help screen" help 'v > 0.02' bright_share 200 400x520+0+40
key question
see "? hides it" no-help "v < 0.4 * $seen" bright_share 200 400x520+0+40

key c
see "c shows the frame rate at the top right" rate 'v > 0.003' bright_share 200 250x30+550+0
key c
see "c hides it" no-rate 'v < 0.0005' bright_share 200 250x30+550+0

# Three presses give bars of 15 % (90 rows), three more 30 % (180 rows), six more none.
key l l l
see "l l l: no star in the top bar" bars-top 'v == 0' bright_share 24 500x88+300+0
see "nor in the bottom bar" bars-bottom 'v == 0' bright_share 24 800x88+0+512
key l l l
see "l l l again: bars of 30 %" bars-wide 'v == 0' bright_share 24 800x178+0+422
key l l l l l l
see "six more l: stars where the bars were" no-bars 'v > 0.001' bright_share 60 800x25+0+575

# w, with p holding the camera still, once the title has left the screen.
wait_until 10.5
key p
see "the planet is whole, held still" held 'v + 0 > 100 && v + 0 < 250' planet_box
planet=$seen
solid=$(bright_share "$shot_dir/held.png" 30 "$planet")
expect "the planet is lit ($solid of its box)" "$solid > 0.4"
key w
see "w draws lines" lines "split(v, s) && s[1] < 0.7 * $solid && s[2] > 0.3 * s[1]" wire "$planet"
key w
see "w again draws points" points 'split(v, s) && s[1] > 0.005 && s[2] < 0.25 * s[1]' wire "$planet"
key w
see "w again fills the planet" filled "split(v, s) && s[1] > 0.8 * $solid" wire "$planet"
key p

key f
expect_window "f gives a 512 x 512 window" "512x512+*[0-9]"
key f
expect_window "f again gives full screen" "800x600+0+0 fullscreen"
kill "$clicker"
xdotool windowactivate --sync "$program_window"

# o: the next impact comes without the boom (and glows all the same).
key o
sleep 1.5 # the last of those clicks' impacts is over
clicked_at=$(sound_now)
click 400 300
see "the silent impact still glows" silent-glow 'v > 0.0003' \
  share_where 'r > 0.5 && b < 0.3 && g < 0.7 * r'
sound_wait "$(after "$clicked_at" 1.5)"
sounds=$(sound_onsets "$clicked_at" "$(after "$clicked_at" 1.5)")
expect "o: no boom (sounds starting at: $(echo $sounds))" "\"$sounds\" == \"\""
key o

# Escape starts the two-second fade; r during it cancels the exit, and the next Escape ends it.
key Escape
sleep 0.6
key r
sleep 3
program_running || fail "r did not cancel the exit"
see "the scene is still drawn" after-reset 'v + 0 > 60' planet_box
key Escape
program_wait 30
expect "Escape ends the program with status 0 ($program_status)" "\"$program_status\" == \"0\""
finish
