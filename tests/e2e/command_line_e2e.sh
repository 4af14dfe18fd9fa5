#!/usr/bin/env bash
# The command line with no X server: --help, --version and mistakes answer on the right stream
# with the right status before any display is opened; --help, man page and README agree.
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
unset DISPLAY XSCREENSAVER_WINDOW

# Display :59977 exists nowhere (far above the test sessions' X servers). Each row: arguments
# (leading NAME=VALUE words set the environment) | exit status | patterns of the first stdout and
# stderr lines ("" for an empty stream). Status 2 adds "Try 'krateon --help'."; 1 prints one line.
rows=(
  "--help|0|^Usage: krateon \[OPTION\]\.\.\.|"
  "-h|0|^Usage: krateon \[OPTION\]\.\.\.|"
  "--version|0|^krateon [0-9]+\.[0-9]+\.[0-9]+$|"
  "-display :59977 --max-fps 5 --version|0|^krateon [0-9]|"
  "--bogus|2||^krateon: unrecognized option '--bogus'$"
  "-display :59977 --facets 41|2||^krateon: invalid value '41' for --facets \(a whole number"
  "-display :59977 --planet|2||^krateon: option '--planet' needs a planet$"
  "--sound --window-id 0x1c00005|1||^krateon: cannot open the X display \(DISPLAY is not set\)$"
  "--window-id 4194305 -display :59977|1||^krateon: cannot open the X display :59977$"
  "XSCREENSAVER_WINDOW=0x1c00005 --root|1||^krateon: cannot open the X display"
  "XSCREENSAVER_WINDOW=window --root|1||^krateon: XSCREENSAVER_WINDOW is not a window id: 'window'$"
  "-display :59977|1||^freeglut .*:59977"
)

out=$x_session_dir/out
err=$x_session_dir/err
for row in "${rows[@]}"; do
  IFS='|' read -r words status stdout_pattern stderr_pattern <<<"$row"
  [[ $words =~ ^(([A-Z_]+=[^ ]* )*)(.*)$ ]] # the environment's words, then the arguments
  got=0
  timeout 20 env ${BASH_REMATCH[1]} "$KRATEON_PROGRAM" ${BASH_REMATCH[3]} >"$out" 2>"$err" || got=$?
  problems=""
  [[ $got == "$status" ]] || problems+=" status $got, not $status;"
  for stream in stdout stderr; do
    file=$out pattern=$stdout_pattern
    [[ $stream == stderr ]] && file=$err pattern=$stderr_pattern
    first=$(head -1 "$file")
    if [[ -z $pattern && -s $file ]] || [[ -n $pattern && ! $first =~ $pattern ]]; then
      problems+=" $stream '$first' does not match '${pattern:-nothing}';"
    fi
  done
  lines=$(wc -l <"$err")
  [[ $status != 2 || ($lines == 2 && $(sed -n 2p "$err") == "Try 'krateon --help'.") ]] ||
    problems+=" not the two lines ending in the hint;"
  [[ $status != 1 || $lines == 1 ]] || problems+=" $lines lines on stderr, not one;"
  if [[ -n $problems ]]; then fail "krateon $words:$problems"; else echo "ok: krateon $words"; fi
done

# The usage text (within 79 columns), the manual page and the README name the same options.
"$KRATEON_PROGRAM" --help >"$out"
awk 'length > 79 { print "FAIL: usage line wider than 79 columns: " $0; exit 1 }' "$out" ||
  fail "the usage text is too wide"
options() { grep -oE -- '(^|[ `(])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z-]+' | sort -u; }
help_options=$(options <"$out" | grep -vx -- '-display\|-geometry')
man_options=$(sed 's/\\-/-/g' "$KRATEON_SOURCE_DIR/docs/krateon.6" |
  sed -n '/^\.SH SYNOPSIS/,/^\.SH SCREENSAVER/p' | options | grep -vx -- '-display\|-geometry')
readme_options=$(sed -n '/^## Command line/,/^## /p' "$KRATEON_SOURCE_DIR/README.md" |
  grep '^| `-' | cut -d'|' -f2 | options)
for document in man readme; do
  listed=${document}_options
  differences=$(diff <(echo "$help_options") <(echo "${!listed}") | grep '^[<>]' | tr '\n' ' ')
  [[ -z $differences ]] || fail "--help (<) and the $document (>) differ: $differences"
done
echo "ok: --help, the manual page and the README name the same $(wc -l <<<"$help_options") options"

# One version number: the program's is the configured manual page's.
version=$("$KRATEON_PROGRAM" --version)
grep -q "^\.TH KRATEON 6 .*\"Krateon ${version#krateon }\"" "$KRATEON_BINARY_DIR/krateon.6" ||
  fail "the manual page does not carry version ${version#krateon }"
finish
