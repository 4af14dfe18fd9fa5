# Shell helpers that play the show like a visitor would: clicks that launch meteors and a tour
# of the key table that leaves every setting as it found it. Source after x_session.sh.

# One batch of key presses for each round; each batch undoes what it changes. Rounds 3 and 7
# are the long ones (see play_show), so the reset is elsewhere.
key_rounds=(
  "c c question question w w w"
  "l l l l l l l l l l l l"
  "s s u u space space p p"
  "comma comma period period minus equal underscore plus parenleft parenright"
  "braceleft braceright bracketleft bracketright less greater i 0 5 9 3"
  "r 1 2 4 6 7 8 3 slash slash a z"
  "v Left Right v f f"
  "n n n o o Prior Next Home End Left Right Up Down F1"
)
show_clicks=0  # counted by play_show
show_keys=0

# play_show SECONDS: a click every 5 s (each restarts the cycle: an impact half a second
# later) with a round of keys and some pointer motion in between; every fourth round waits
# 10 s, long enough for the break and the next planet. Stops early if the program ends.
play_show() {
  local seconds=$1 round=0 start=$SECONDS
  local -a batch
  while ((SECONDS - start < seconds)); do
    program_running || return 0
    xdotool mousemove 640 360 click 1
    show_clicks=$((show_clicks + 1))
    sleep 1.5
    read -ra batch <<<"${key_rounds[round % ${#key_rounds[@]}]}"
    keys "${batch[@]}"
    show_keys=$((show_keys + ${#batch[@]}))
    xdotool mousemove 700 300 mousemove 600 400 mousemove 640 360
    sleep 3
    if ((round % 4 == 3)); then sleep 5.5; fi
    round=$((round + 1))
  done
}
