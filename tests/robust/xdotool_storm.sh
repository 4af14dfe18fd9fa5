#!/usr/bin/env bash
# Storms the real program for a while with random keys (every key of the table and many that
# mean nothing), special keys, all mouse buttons and pointer jumps, then presses ESC: the
# program must survive all of it and still end with status 0.
# Usage: xdotool_storm.sh PROGRAM ASSET_DIR [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
assets=$(realpath -m "$2")
seconds=${3:-20}
source "$here/x_session.sh"

# Every printable key but Escape, by keysym, plus the special keys the program knows and some
# it does not.
storm_keys=(
  space exclam quotedbl numbersign dollar percent ampersand apostrophe parenleft parenright
  asterisk plus comma minus period slash 0 1 2 3 4 5 6 7 8 9 colon semicolon less equal
  greater question at A B C D E F G H I J K L M N O P Q R S T U V W X Y Z bracketleft
  backslash bracketright asciicircum underscore grave a b c d e f g h i j k l m n o p q r s t
  u v w x y z braceleft bar braceright asciitilde Return Tab BackSpace Delete
  Prior Next Home End Left Right Up Down Insert F1 F2 F5 F11 F12
)

x_session_start 1280x720x24
workdir=$x_session_dir/run
mkdir -p "$workdir"
[[ -d $assets ]] && cp -r "$assets/." "$workdir/"
program_start "$workdir" env SDL_AUDIODRIVER=dummy "$program"

RANDOM=2024  # the same storm on every run
events=0
start=$SECONDS
while ((SECONDS - start < seconds)); do
  program_running || break
  # One xdotool call plays a batch of 40 events.
  batch=()
  for _ in $(seq 40); do
    case $((RANDOM % 8)) in
      0 | 1 | 2 | 3) batch+=(key --delay 2 "${storm_keys[RANDOM % ${#storm_keys[@]}]}") ;;
      4) batch+=(click --delay 2 $((RANDOM % 5 + 1))) ;;
      5) batch+=(mousedown 1 mouseup 1) ;;
      *) batch+=(mousemove $((RANDOM % 1280)) $((RANDOM % 720))) ;;
    esac
  done
  xdotool "${batch[@]}" 2>/dev/null || true
  events=$((events + 40))
done

failed=0
if ! program_running; then
  echo "FAIL: the program ended during the storm"
  failed=1
fi
xdotool windowactivate --sync "$program_window" 2>/dev/null || true
keys Escape
program_wait 15
if [[ $program_status != 0 ]]; then
  echo "FAIL: exit status $program_status after ESC (expected 0)"
  failed=1
fi
[[ -s $x_session_dir/program.err ]] && { echo "-- program stderr:"; cat "$x_session_dir/program.err"; }
echo "storm: $events events in ${seconds}s"
exit "$failed"
