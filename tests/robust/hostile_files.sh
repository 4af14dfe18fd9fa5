#!/usr/bin/env bash
# Starts the real program in folders of hostile data files (every image and sound missing,
# empty, truncated, a folder, a device, a pipe, random bytes, a valid BMP of another size or
# depth, a WAV with a lying header) and plays one full impact cycle in each: it must show and
# animate the scene, play what is playable, end with status 0 on ESC, and write no file.
# Usage: hostile_files.sh PROGRAM ASSET_DIR [PRELOAD LSAN_SUPPRESSIONS]
#   With PRELOAD and LSAN_SUPPRESSIONS (the sanitizer build), any sanitizer report fails too.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
assets=$(realpath -m "$2")
preload=${3:+$(realpath "$3")}
suppressions=${4:+$(realpath "$4")}
source "$here/x_session.sh"

images=(font.bmp smoke128.bmp earthCraterBW_256.bmp earthCloudsBW_256.bmp venus_256.bmp
  earth_256.bmp mars_256.bmp jupiter_256.bmp saturn_256.bmp neptune_256.bmp neptune3_256.bmp
  pluto_256.bmp)
sounds=(boom.wav thunder.wav)

le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
  $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# write_bmp FILE WIDTH HEIGHT BITS: a well-formed uncompressed BMP with random pixels (and a
# grey palette below 24 bits).
write_bmp() {
  local file=$1 width=$2 height=$3 bits=$4 palette=0 row image
  ((bits <= 8)) && palette=$((4 << bits))
  row=$(((width * bits + 31) / 32 * 4))
  image=$((row * height))
  {
    printf 'BM'
    printf "$(le32 $((54 + palette + image)))$(le32 0)$(le32 $((54 + palette)))"
    printf "$(le32 40)$(le32 "$width")$(le32 "$height")$(le16 1)$(le16 "$bits")"
    printf "$(le32 0)$(le32 "$image")$(le32 2835)$(le32 2835)$(le32 0)$(le32 0)"
    for ((i = 0; i < palette / 4; i++)); do
      printf "$(printf '\\x%02x\\x%02x\\x%02x\\x00' $i $i $i)"
    done
    head -c "$image" /dev/urandom
  } >"$file"
}

# write_wav FILE CHANNELS RATE BITS DATA_BYTES_CLAIMED DATA_BYTES_PRESENT: a RIFF WAVE file
# whose header may lie about its format and its length. Its samples are silent, so whatever is
# heard comes from the other, playable sound.
write_wav() {
  local file=$1 channels=$2 rate=$3 bits=$4 claimed=$5 present=$6
  local align=$((channels * bits / 8))
  {
    printf "RIFF$(le32 $((36 + claimed)))WAVEfmt $(le32 16)$(le16 1)$(le16 "$channels")"
    printf "$(le32 "$rate")$(le32 $((rate * align)))$(le16 "$align")$(le16 "$bits")"
    printf "data$(le32 "$claimed")"
    head -c "$present" /dev/zero
  } >"$file"
}

# A playable sound and a valid planet image: the generated ones when they exist.
valid_sound() {
  if [[ -f $assets/$2 ]]; then
    cp "$assets/$2" "$1"
  else
    sox -n -q -r 22050 -c 1 -b 16 "$1" synth 1.5 sine 220
  fi
}
valid_planet() {
  if [[ -f $assets/$2 ]]; then cp "$assets/$2" "$1"; else write_bmp "$1" 256 256 24; fi
}

# Each image and sound broken in its own way; one planet image and one sound are sound.
scenario_mixed() {
  local dir=$1
  write_bmp "$dir/full.bmp" 128 128 24
  head -c 20000 "$dir/full.bmp" >"$dir/font.bmp"  # truncated in the middle of its pixels
  rm "$dir/full.bmp"
  mkdir "$dir/smoke128.bmp"                               # a folder
  : >"$dir/earthCraterBW_256.bmp"                          # empty
  head -c 1000 /dev/urandom >"$dir/earthCloudsBW_256.bmp" # random bytes
  write_bmp "$dir/venus_256.bmp" 64 64 24                  # another size
  write_bmp "$dir/earth_256.bmp" 256 256 32                # another depth
  write_bmp "$dir/mars_256.bmp" 256 256 8                  # a palette image
  # jupiter_256.bmp is missing
  write_bmp "$dir/saturn_256.bmp" 1024 1024 24             # far larger than expected
  ln -s /dev/zero "$dir/neptune_256.bmp"                   # a device that never ends
  ln -s "$dir/nowhere.bmp" "$dir/neptune3_256.bmp"         # a dangling link
  valid_planet "$dir/pluto_256.bmp" pluto_256.bmp
  write_wav "$dir/boom.wav" 2 44100 16 2147483000 3000     # claims 2 GB of samples
  valid_sound "$dir/thunder.wav" thunder.wav
}

scenario_missing() {
  :
}

scenario_random() {
  local dir=$1 name
  for name in "${images[@]}" thunder.wav; do
    head -c $((RANDOM * 8 % 300000)) /dev/urandom >"$dir/$name"
  done
  write_wav "$dir/boom.wav" 0 0 0 4096 4096  # no channels, no rate, no sample size
}

# Special files: pipes (which never deliver a byte) and devices, for every name.
scenario_special() {
  local dir=$1 i=0 name
  for name in "${images[@]}" "${sounds[@]}"; do
    if ((i++ % 2 == 0)); then mkfifo "$dir/$name"; else ln -s /dev/urandom "$dir/$name"; fi
  done
}

# snapshot DIR: every entry with its type, size, mode and time, and every regular file's sum.
snapshot() {
  (cd "$1" && find . -printf '%p %y %s %m %T@\n' | sort && find . -type f -exec md5sum {} + | sort)
}

not_black() {  # not_black PNG: true when the picture has some brightness
  [[ $(convert "$1" -colorspace gray -format '%[fx:mean>0.002]' info:) == 1 ]]
}

x_session_start 800x600x24  # a small screen keeps full-screen frames quick in every build
failed=0
runs=0
for scenario in mixed missing random special; do
  dir=$x_session_dir/$scenario
  mkdir -p "$dir"
  "scenario_$scenario" "$dir"
  before=$(snapshot "$dir")
  reports=$x_session_dir/reports-$scenario
  mkdir -p "$reports"
  env=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$x_session_dir/audio-$scenario.raw")
  if [[ -n $preload ]]; then
    env+=(LD_PRELOAD="$preload"
      ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0:log_path=$reports/asan"
      LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan")
  fi
  if ! program_start "$dir" env "${env[@]}" "$program"; then
    echo "FAIL [$scenario]: the program did not open its window"
    failed=1
    continue
  fi
  runs=$((runs + 1))
  sleep 1
  # A click: the impact comes 0.5 s later, the break 4.5 s after it, the cycle ends at 8.5 s.
  xdotool mousemove 400 300 click 1
  sleep 2
  screenshot "$x_session_dir/$scenario-impact.png"
  sleep 4
  screenshot "$x_session_dir/$scenario-break.png"
  sleep 4
  if ! program_running; then
    echo "FAIL [$scenario]: the program ended during the cycle"
    failed=1
  fi
  keys Escape
  program_wait 15
  if [[ $program_status != 0 ]]; then
    echo "FAIL [$scenario]: exit status $program_status (expected 0)"
    failed=1
  fi
  for shot in impact break; do
    not_black "$x_session_dir/$scenario-$shot.png" || {
      echo "FAIL [$scenario]: the screen is black at the $shot"
      failed=1
    }
  done
  if cmp -s "$x_session_dir/$scenario-impact.png" "$x_session_dir/$scenario-break.png"; then
    echo "FAIL [$scenario]: the picture did not change between impact and break"
    failed=1
  fi
  if [[ $(snapshot "$dir") != "$before" ]]; then
    echo "FAIL [$scenario]: the data folder changed:"
    diff <(echo "$before") <(snapshot "$dir") || true
    failed=1
  fi
  if compgen -G "$reports/*" >/dev/null; then
    echo "FAIL [$scenario]: sanitizer reports:"
    cat "$reports"/*
    failed=1
  fi
  audio=$x_session_dir/audio-$scenario.raw
  # Any non-zero sample means something was mixed (tr reads it all: no pipe closes early).
  heard=0
  [[ -f $audio ]] && heard=$(tr -d '\000' <"$audio" | wc -c)
  if [[ $scenario == mixed ]] && ((heard == 0)); then
    echo "FAIL [$scenario]: the playable thunder.wav was not heard"
    failed=1
  fi
  if [[ -s $x_session_dir/program.err ]]; then
    echo "-- [$scenario] program stderr:"
    head -50 "$x_session_dir/program.err"
  fi
done
files=$((${#images[@]} + ${#sounds[@]}))
echo "hostile files: $runs of 4 runs reached a full cycle; $files files in each"
exit "$failed"
