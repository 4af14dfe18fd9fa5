#!/usr/bin/env bash
# Runs the sanitizer build of the program for a minute of clicks and key presses on a private
# X server, then ESC: it must exit with status 0 and without a single sanitizer report.
# Usage: sanitizer_soak.sh PROGRAM PRELOAD LSAN_SUPPRESSIONS ASSET_DIR [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1") preload=$(realpath "$2") suppressions=$(realpath "$3")
assets=$(realpath -m "$4") seconds=${5:-60}
source "$here/x_session.sh"
source "$here/show_driver.sh"

x_session_start 1280x720x24
workdir=$x_session_dir/run
mkdir -p "$workdir"
[[ -d $assets ]] && cp -r "$assets/." "$workdir/"
reports=$x_session_dir/reports
mkdir -p "$reports"

# The disk audio driver mixes every sound for real (into a file outside the working folder),
# so the whole playback path runs under the sanitizers.
program_start "$workdir" env \
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$x_session_dir/audio.raw" \
  LD_PRELOAD="$preload" \
  ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0:strict_string_checks=1:log_path=$reports/asan" \
  LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan" \
  "$program"

play_show "$seconds"
if ! program_running; then
  echo "FAIL: the program ended during the show"
fi
xdotool windowactivate --sync "$program_window" 2>/dev/null || true
keys Escape
program_wait 30

failed=0
if [[ $program_status != 0 ]]; then
  echo "FAIL: exit status $program_status (expected 0)"
  failed=1
fi
if compgen -G "$reports/*" >/dev/null; then
  echo "FAIL: sanitizer reports:"
  cat "$reports"/*
  failed=1
fi
if [[ -s $x_session_dir/program.err ]]; then
  echo "-- program stderr:"
  cat "$x_session_dir/program.err"
fi
audio_bytes=$(stat -c %s "$x_session_dir/audio.raw" 2>/dev/null || echo 0)
echo "ran ${seconds}s: $show_clicks clicks, $show_keys keys; ${audio_bytes} bytes of mixed audio"
exit "$failed"
