#!/usr/bin/env bash
# The command line with no X server at all: --help, --version and every kind of mistake answer
# on the right stream with the right status, and the usage text agrees with the manual and README.
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
unset DISPLAY XSCREENSAVER_WINDOW

# Each row: arguments (leading NAME=VALUE words set the environment) | exit status | a pattern
# of the first stdout line | a pattern of the first stderr line ("" for an empty stream).
# Status 2 must add the line "Try 'krateon --help'." and nothing else; status 1 prints one line.
rows=(
  "--help|0|^Usage: krateon \[OPTION\]\.\.\.|"
  "-h|0|^Usage: krateon \[OPTION\]\.\.\.|"
  "--version|0|^krateon [0-9]+\.[0-9]+\.[0-9]+$|"
  "-display :77 --max-fps 5 --version|0|^krateon [0-9]|"
  "--bogus|2||^krateon: unrecognized option '--bogus'$"
  "--root --help-me --help|2||^krateon: unrecognized option '--help-me'$"
  "--max-fps|2||^krateon: option '--max-fps' needs a number$"
  "--max-fps 0|2||^krateon: invalid value '0' for --max-fps"
  "--max-fps=1001|2||^krateon: invalid value '1001' for --max-fps"
  "--max-fps 30x|2||^krateon: invalid value '30x' for --max-fps"
  "--max-fps= 30|2||^krateon: invalid value '' for --max-fps"
  "--window-id|2||^krateon: option '--window-id' needs a window id$"
  "--window-id 0x|2||^krateon: invalid window id '0x' for --window-id"
  "--window-id 12ab|2||^krateon: invalid window id '12ab' for --window-id"
  "--window-id -4|2||^krateon: invalid window id '-4' for --window-id"
  "--window-id 0x100000000|2||^krateon: invalid window id '0x100000000'"
  "--window-id 0|2||^krateon: invalid window id '0'"
  "--sound --window-id 0x1c00005|1||^krateon: cannot open the X display \(DISPLAY is not set\)$"
  "--window-id 4194305 -display :77|1||^krateon: cannot open the X display :77$"
  "XSCREENSAVER_WINDOW=0x1c00005 --root|1||^krateon: cannot open the X display"
  "XSCREENSAVER_WINDOW=window --root|1||^krateon: XSCREENSAVER_WINDOW is not a window id: 'window'$"
  "-display :77|1||^freeglut .*:77"
)

out=$x_session_dir/out
err=$x_session_dir/err
for row in "${rows[@]}"; do
  IFS='|' read -r words status stdout_pattern stderr_pattern <<<"$row"
  environment=() arguments=()
  for word in $words; do
    if [[ ${#arguments[@]} -eq 0 && $word =~ ^[A-Z_]+= ]]; then environment+=("$word")
    else arguments+=("$word"); fi
  done
  got=0
  timeout 20 env "${environment[@]}" "$KRATEON_PROGRAM" "${arguments[@]}" >"$out" 2>"$err" ||
    got=$?
  problems=""
  [[ $got == "$status" ]] || problems+=" status $got, not $status;"
  for stream in stdout stderr; do
    file=$out pattern=$stdout_pattern
    [[ $stream == stderr ]] && file=$err pattern=$stderr_pattern
    if [[ -z $pattern ]]; then
      [[ ! -s $file ]] || problems+=" $stream not empty: $(head -1 "$file");"
    elif ! head -1 "$file" | grep -Eq -- "$pattern"; then
      problems+=" $stream '$(head -1 "$file")' does not match $pattern;"
    fi
  done
  lines=$(wc -l <"$err")
  [[ $status != 2 || ($lines == 2 && $(sed -n 2p "$err") == "Try 'krateon --help'.") ]] ||
    problems+=" not the two lines ending in the hint;"
  [[ $status != 1 || $lines == 1 ]] || problems+=" $lines lines on stderr, not one;"
  if [[ -n $problems ]]; then fail "krateon $words:$problems"; else echo "ok: krateon $words"; fi
done

# Every option of the usage text is in the manual page and the README, and every option the
# manual page names is in the usage text.
"$KRATEON_PROGRAM" --help >"$out"
man_page=$(sed 's/\\-/-/g' "$KRATEON_SOURCE_DIR/docs/krateon.6")
readme=$(<"$KRATEON_SOURCE_DIR/README.md")
for option in $(grep -oE -- '(^| )--?[a-z][a-z-]*' "$out" | sort -u); do
  [[ $option == -display || $option == -geometry ]] && continue
  grep -qF -- "$option" <<<"$man_page" || fail "the manual page does not describe $option"
  grep -qF -- "$option" <<<"$readme" || fail "the README does not describe $option"
done
options_section=$(sed -n '/^\.SH SYNOPSIS/,/^\.SH SCREENSAVER/p' <<<"$man_page")
for option in $(grep -oE -- '--[a-z][a-z-]+' <<<"$options_section" | sort -u); do
  grep -qF -- "$option" "$out" || fail "--help does not mention $option of the manual page"
done

# One version number: the program's is the configured manual page's.
version=$("$KRATEON_PROGRAM" --version)
grep -q "^\.TH KRATEON 6 .*\"Krateon ${version#krateon }\"" "$KRATEON_BINARY_DIR/krateon.6" ||
  fail "the manual page does not carry version ${version#krateon }"
finish
