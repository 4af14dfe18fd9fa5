#!/usr/bin/env bash
# The real program in folders of hostile data files, and with hostile planet maps (--image),
# through a click and the break: it keeps drawing, plays what is playable, names each map it
# cannot use, ends with status 0 on Escape, writes nothing and raises no sanitizer report.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"

images=("$KRATEON_ASSET_DIR"/*.bmp) && images=("${images[@]##*/}") # every image the program reads
le() { # le BYTES VALUE: VALUE as BYTES little-endian bytes, for printf
  local i
  for ((i = 0; i < $1; i++)); do printf '\\x%02x' $(($2 >> 8 * i & 255)); done
}

# bmp FILE WIDTH HEIGHT BITS: a well-formed uncompressed BMP with random pixels (and a grey
# palette below 24 bits).
bmp() {
  local bits=$4 palette=0 row image i
  ((bits <= 8)) && palette=$((4 << bits))
  row=$((($2 * bits + 31) / 32 * 4)) image=$((row * $3))
  {
    printf "BM$(le 4 $((54 + palette + image)))$(le 4 0)$(le 4 $((54 + palette)))$(le 4 40)"
    printf "$(le 4 "$2")$(le 4 "$3")$(le 2 1)$(le 2 "$bits")$(le 4 0)$(le 4 $image)$(le 16 0)"
    for ((i = 0; i < palette / 4; i++)); do printf "$(le 3 $((i * 0x10101)))\\x00"; done
    head -c "$image" /dev/urandom
  } >"$1"
}

# wav FILE CHANNELS RATE BITS CLAIMED PRESENT: a RIFF WAVE file of PRESENT silent data bytes
# whose header claims CLAIMED.
wav() {
  local align=$(($2 * $4 / 8))
  printf "RIFF$(le 4 $((36 + $5)))WAVEfmt $(le 4 16)$(le 2 1)$(le 2 "$2")$(le 4 "$3")" >"$1"
  printf "$(le 4 $(($3 * align)))$(le 2 $align)$(le 2 "$4")data$(le 4 "$5")" >>"$1"
  head -c "$6" /dev/zero >>"$1"
}

# Each file broken in its own way; Pluto and the thunder are sound.
scenario_mixed() {
  bmp full.bmp 128 128 24
  head -c 20000 full.bmp >font.bmp && rm full.bmp # cut in the middle of its pixels
  mkdir smoke128.bmp && : >earthCraterBW_256.bmp
  head -c 1000 /dev/urandom >earthCloudsBW_256.bmp
  bmp venus_256.bmp 64 64 24
  bmp earth_256.bmp 256 256 32
  bmp mars_256.bmp 256 256 8
  bmp saturn_256.bmp 1024 1024 24
  ln -s /dev/zero neptune_256.bmp && ln -s nowhere.bmp neptune3_256.bmp
  cp "$KRATEON_ASSET_DIR/pluto_256.bmp" "$KRATEON_ASSET_DIR/thunder.wav" .
  wav boom.wav 2 44100 16 2147483000 3000 # claims 2 GB of samples
}
# The built-in files, and planet maps that cannot be used, each with the line it must get,
# before one that can: a green and magenta map.
bad_maps=(
  "cut.png|is cut short: the PNG picture ends early"
  "cut.jpg|is cut short: the JPEG picture ends early"
  "damaged.png|cannot be decoded: " # a byte of its data changed, which libpng reports itself
  "notes.png|is not a PNG, JPEG or BMP picture"
  "empty.png|is empty"
  "folder.png|is not a regular file"
  "pipe.png|is not a regular file"
  "nowhere.png|cannot be opened: No such file or directory"
  "sizeless.png|is a damaged PNG picture: its header gives no size"
  "dot.png|has 1 x 1 pixels, too few for a planet map (16 on each side at least)"
  "strip.bmp|has 20000 x 10 pixels, too few for a planet map (16 on each side at least)"
  "bomb.png|claims 100000 x 100000 pixels, more than the 268435456 a planet map may have"
  "bomb.jpg|claims 65535 x 65535 pixels, more than the 268435456 a planet map may have"
  "bomb.bmp|claims 30000 x 30000 pixels, more than the 268435456 a planet map may have"
)
scenario_maps() {
  local entry at byte png='\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR'
  cp "$KRATEON_ASSET_DIR"/*.bmp "$KRATEON_ASSET_DIR"/*.wav .
  convert -size 256x128 xc: +noise Random noise.png
  convert noise.png -quality 90 noise.jpg
  head -c "$(($(stat -c %s noise.png) / 2))" noise.png >cut.png
  head -c "$(($(stat -c %s noise.jpg) / 2))" noise.jpg >cut.jpg
  at=$(($(grep -obUa IDAT noise.png | head -1 | cut -d: -f1) + 40))
  byte=$(od -An -tu1 -j "$at" -N1 noise.png)
  { head -c "$at" noise.png && printf "\\x$(printf %02x $((byte ^ 0x55)))" &&
    tail -c +$((at + 2)) noise.png; } >damaged.png
  echo "not a picture" >notes.png && : >empty.png && mkdir folder.png && mkfifo pipe.png
  { printf "$png" && head -c 30 /dev/zero; } >sizeless.png
  convert -size 1x1 xc:red dot.png
  bmp strip.bmp 20000 10 24
  # A few bytes each, claiming far more pixels than a map may have: signature, header, end.
  printf "$png"'\0\x01\x86\xa0\0\x01\x86\xa0\x08\x02\0\0\0\0\0\0\0\0\0\0\0IEND\0\0\0\0' >bomb.png
  printf '\xff\xd8\xff\xc0\0\x11\x08\xff\xff\xff\xff\x03\x01\x22\0\x02\x11\x01' >bomb.jpg
  printf '\x03\x11\x01\xff\xda\0\x0c\x03\x01\0\x02\x11\x03\x11\0\x3f\0\x12\xff\xd9' >>bomb.jpg
  printf "BM$(le 8 0)$(le 4 54)$(le 4 40)$(le 4 30000)$(le 4 30000)$(le 2 1)$(le 2 24)$(le 24 0)" \
    >bomb.bmp
  convert -size 64x64 xc:lime -size 64x64 xc:magenta +append +repage halves.png
  for entry in "${bad_maps[@]}" halves.png; do program_args+=(--image "${entry%%|*}"); done
}
# The green and magenta map on the planet, and nothing white: shares of the pixels in the box
# around the planet (the screen's middle when there is none).
map_share() { share_where "$1" "$2" "$(planet_box "$1" | grep . || echo 200x200+300+200)"; }
check_maps() {
  local white lines i
  wait_until 4
  see "[maps] the green and magenta map on the planet" map 'v > 0.3' map_share \
    'g > 0.2 && g > 3 * r && g > 3 * b || r > 0.2 && b > 0.2 && g < 0.3 * r'
  white=$(map_share "$shot_dir/map.png" 'r > 0.7 && g > 0.7 && b > 0.7')
  expect "[maps] no white on the planet ($white)" "$white < 0.01"
  # One line for each map that cannot be used, in order, naming it and why.
  mapfile -t lines <"$shot_dir/program.err"
  ((${#lines[@]} == ${#bad_maps[@]})) || fail "[maps] ${#lines[@]} lines for ${#bad_maps[@]} maps"
  for i in "${!bad_maps[@]}"; do
    [[ ${lines[i]:-} == "krateon: ${bad_maps[i]%%|*}: ${bad_maps[i]#*|}"* ]] ||
      fail "[maps] line $((i + 1)) is '${lines[i]:-}', not about ${bad_maps[i]}"
  done
}
scenario_missing() { :; }
scenario_random() {
  local name
  for name in "${images[@]}" thunder.wav; do head -c $((RANDOM * 8)) /dev/urandom >"$name"; done
  wav boom.wav 0 0 0 4096 4096 # no channels, no rate, no sample size
}
scenario_special() { # pipes that never deliver a byte, and a device that never ends
  local name
  for name in "${images[@]::6}" boom.wav; do mkfifo "$name"; done
  for name in "${images[@]:6}" thunder.wav; do ln -s /dev/urandom "$name"; done
}

# listing: every entry with its type, size, mode and time, and every file's sum.
listing() { find . -printf '%p %y %s %m %T@\n' | sort && find . -type f -exec md5sum {} + | sort; }

thunder_heard() { thunder=$(sound_onsets "$clicked_at" "$(sound_now)") && [[ -n $thunder ]]; }

# try_folder SCENARIO: one run in a folder of the scenario's files, on an X desktop of its own.
try_folder() {
  local scenario=$1 before
  KRATEON_ARTIFACT_DIR=$shots/$scenario
  source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
  x_session_start 800x600x24
  mkdir "$x_session_dir/data" && cd "$x_session_dir/data"
  program_args=()
  "scenario_$scenario"
  before=$(listing)
  program_start . "$KRATEON_PROGRAM" "${display_pace[@]}" "${program_args[@]}"
  [[ $scenario != maps ]] || check_maps
  wait_until 1
  clicked_at=$(sound_now)
  click 400 300
  sound_wait "$(after "$clicked_at" 1)"
  flash=$(mean_brightness "$(shot impact)")
  sound_wait "$(after "$clicked_at" 5)"
  # With a playable thunder.wav, the break is heard (the scene's clock lags when frames are slow).
  [[ $scenario != mixed ]] || wait_for 60 thunder_heard || true
  broken=$(mean_brightness "$(shot break)")
  expect "[$scenario] the impact and the break are drawn ($flash, $broken)" \
    "$flash > 1 && $broken > 1"
  cmp -s "$shot_dir/impact.png" "$shot_dir/break.png" &&
    fail "[$scenario] the picture did not change from the impact to the break"
  [[ $scenario != mixed ]] || expect "[mixed] the thunder is heard, not the broken boom \
($(echo $thunder))" "$(wc -w <<<"$thunder") == 1 && ${thunder:-0} - $clicked_at > 3.5"
  key Escape
  program_wait 30
  expect "[$scenario] Escape ends it with status 0 ($program_status)" "\"$program_status\" == \"0\""
  [[ $(listing) == "$before" ]] || fail "[$scenario] the data folder changed"
  finish
}

# The five folders are tried at the same time.
shots=${KRATEON_ARTIFACT_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/krateon-hostile.XXXXXX")}
rm -rf "$shots" && mkdir -p "$shots"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
trap 'exit 143' TERM INT HUP
for scenario in mixed missing random special maps; do
  try_folder "$scenario" >"$shots/$scenario.log" 2>&1 &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
cat "$shots"/*.log
exit "$failed"
