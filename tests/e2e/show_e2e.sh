#!/usr/bin/env bash
# Krateon's show as a person meets it: one full-screen window titled Krateon, the start message
# and the sliding title while the planet fades in; Earth turns among the stars; a click sends a
# meteor (a flash and the boom half a second later), the planet shatters around its glowing core
# with the thunder; Escape fades out and ends the program with status 0.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"

x_session_start 800x600x24

# first_shot NAME COUNT CONDITION MEASURE [ARGUMENT...]: measures shots NAME-1 ... NAME-COUNT in
# order until one gives a value v for which the awk condition holds; prints "v (shot i of COUNT)",
# or the last value and "(none of COUNT)".
first_shot() {
  local name=$1 count=$2 condition=$3 i v=0
  shift 3
  for ((i = 1; i <= count; i++)); do
    v=$("$1" "$shot_dir/$name-$i.png" "${@:2}")
    awk -v v="$v" "BEGIN { exit !($condition) }" && { echo "$v (shot $i of $count)"; return; }
  done
  echo "$v (none of $count)"
}
program_start "$KRATEON_ASSET_DIR" "$KRATEON_PROGRAM"

# The intro, in the first pictures: the message shows at the top left, the title slides from the
# top-left corner towards the bottom-right one (its left edge is at a hundred pixels for every
# second of the program's clock), the planet is still dark.
below_message=800x570+0+30
see "the title comes out from under the message line" title-early \
  'split(v, b, /[x+]/) && b[1] > 60 && b[4] > 8' bright_box 200 $below_message
IFS='x+' read -r w1 h1 x1 y1 <<<"$seen"
sleep 0.6
IFS='x+' read -r w2 h2 x2 y2 <<<"$(bright_box "$(shot title-late)" 200 $below_message)"
message=$(bright_share "$shot_dir/title-early.png" 200 300x30+0+0)
expect "the start message shows at the top left, the title at $x1 ($message)" \
  "$message > 0.004 && $message < 0.02"
fill=$(bright_share "$shot_dir/title-early.png" 200 "${w1}x$h1+$x1+$((y1 + 30))")
expect "the title is a line of large letters (${w1}x$h1, $fill of it white)" \
  "$w1 > 60 && $w1 < 200 && $h1 > 12 && $h1 < 50 && $fill > 0.02 && $fill < 0.1"
expect "the title slides right and down (from $x1,$y1 to $x2,$y2)" \
  "$x2 - $x1 > 30 && $y2 - $y1 > 20"
planet=$(planet_box "$shot_dir/title-early.png")
expect "no planet yet (${planet:-none})" "\"$planet\" == \"\""
windows=$(xdotool search --name '^Krateon$' | wc -l)
expect "one window titled Krateon ($windows)" "$windows == 1"
expect_window "the window covers the screen" "800x600+0+0 fullscreen"

# Earth, lit by the sun behind the viewer: a blue, textured disc near the middle, among stars.
wait_until 5.5
message=$(bright_share "$(shot planet)" 200 300x30+0+0)
expect "the start message is gone after three seconds ($message)" "$message < 0.001"
planet=$(planet_box "$shot_dir/planet.png")
IFS='x+' read -r w h x y <<<"${planet:-0x0+0+0}"
expect "a planet near the middle ($planet)" "$w > 60 && $w < 250 &&
  $x + $w / 2 > 150 && $x + $w / 2 < 650 && $y + $h / 2 > 100 && $y + $h / 2 < 500"
colours=$(colour_count "$shot_dir/planet.png" "$planet")
expect "the planet is textured ($colours colours)" "$colours > 2000"
blue=$(share_where "$shot_dir/planet.png" 'b > 0.3 && b > 1.3 * r' "$planet")
expect "it is Earth, largely blue ($blue of its box)" "$blue > 0.1"
top=$(bright_share "$shot_dir/planet.png" 60 250x150+550+30)
bottom=$(bright_share "$shot_dir/planet.png" 60 250x150+0+450)
expect "stars in the top-right and bottom-left corners ($top, $bottom)" \
  "$top > 0.001 && $bottom > 0.001"
orange='r > 0.5 && b < 0.3 && g < 0.7 * r'
unbroken=$(share_where "$shot_dir/planet.png" "$orange")

# A click: the meteor strikes half a second later with a flash and the boom. The click falls
# between the two readings of the sound's time. The flash lasts a second: the screen is shot over
# the two seconds after the click, and the shots are measured afterwards.
before=$(mean_brightness "$shot_dir/planet.png")
clicked_at=$(sound_now)
click 400 300
clicked_by=$(sound_now)
shots=0
until sound_past "$(after "$clicked_at" 2)"; do shot flash-$((++shots)) >/dev/null; done
flash=$(first_shot flash "$shots" 'v > 2 * '"$before" mean_brightness)
expect "a flash after the click (mean brightness $before, then $flash)" "${flash%% *} > 2 * $before"
sound_wait "$(after "$clicked_at" 1.2)"
boom=$(sound_onsets "$clicked_at" "$(after "$clicked_at" 1.2)" | head -1)
expect "the boom half a second after the click (at ${boom:-none} s, click at $clicked_at s)" \
  "${boom:-0} - $clicked_at > 0.3 && ${boom:-0} - $clicked_by < 1"

# 3.9 s after the impact the planet shatters: thunder, pieces around an orange core, which fades
# within two seconds: the screen is shot from just before the break until the core has faded.
boom=${boom:-$clicked_at}
sound_wait "$(after "$boom" 3.6)"
shots=0
until sound_past "$(after "$boom" 6.8)"; do shot broken-$((++shots)) >/dev/null; done
thunder=$(sound_onsets "$(after "$boom" 0.3)" "$(after "$boom" 4.8)")
expect "one sound after the boom, the thunder 3.9 s later (at $(echo $thunder) s)" \
  "$(wc -w <<<"$thunder") == 1 && ${thunder:-0} - $boom > 3.5 && ${thunder:-0} - $boom < 4.6"
ending=$(sound_rms "$(after "$boom" 1.3)" "$(after "$boom" 1.5)")
quiet=$(sound_rms "$(after "$boom" 2)" "$(after "$boom" 3.6)")
expect "the boom lasts 1.6 s (loudness $ending at 1.3 to 1.5 s, $quiet from 2 s)" \
  "$ending > 0.002 && $quiet < 0.002"
expect "no orange on the whole planet ($unbroken)" "$unbroken < 0.0003"
broken=$(first_shot broken "$shots" 'v > 0.001' share_where "$orange")
expect "the shattered planet shows its orange core ($broken)" "${broken%% *} > 0.001"

# Escape while the thunder (3.8 s long) still rolls: two seconds of fading out with the sound
# going on, then the end with status 0.
thunder=${thunder:-$boom}
sound_wait "$(after "$thunder" 3)"
pressed=$(date +%s.%N)
key Escape
program_wait 30
took=$(after "$(date +%s.%N)" "-$pressed")
expect "Escape ends the program with status 0 ($program_status)" "\"$program_status\" == \"0\""
expect "after a fade of about two seconds ($took s)" "$took > 1.7 && $took < 15"
rolling=$(sound_rms "$(after "$thunder" 3.2)" "$(after "$thunder" 3.6)")
over=$(sound_rms "$(after "$thunder" 4)" "$(after "$thunder" 4.5)")
expect "the thunder lasts 3.8 s (loudness $rolling at 3.2 to 3.6 s, $over from 4 s)" \
  "$rolling > 0.002 && $over < 0.002"
finish
