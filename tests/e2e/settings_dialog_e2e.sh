#!/usr/bin/env bash
# The screensaver's settings dialog file, data/krateon.xml, as the daemon's dialog reads it: well
# formed; every option its controls name is in --help; the default of every slider and menu is
# the one --help gives; and the program started with each control's argument (a slider's at its
# default, your own picture a file of ours) draws in a window of the test's own and ends with
# status 0 on SIGTERM.
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
xml=$KRATEON_SOURCE_DIR/data/krateon.xml
xmllint --noout "$xml" || { fail "$xml is not well formed"; finish; }
xpath() { xmllint --xpath "$1" "$xml" 2>/dev/null; }
[[ $(xpath 'string(/screensaver/command/@arg)') == --root ]] || fail "the command is not --root"

# --help with each option's description on one line.
help=$("$KRATEON_PROGRAM" --help | awk '/^      *[^ -]/ && entry { entry = entry " " $0; next }
  { if (entry) print entry; entry = $0 } END { print entry }')
help_default() { # OPTION: the default --help gives it
  grep -E -- "^ +(-h, )?$1 " <<<"$help" | grep -oE 'default [^;,)]+' | head -1 | cut -d' ' -f2
}

# The arguments the dialog can give, one a line.
arguments=()
for ((i = 1; i <= $(xpath 'count(//number)'); i++)); do
  arg=$(xpath "string(//number[$i]/@arg)") default=$(xpath "string(//number[$i]/@default)")
  arguments+=("${arg/\%/$default}")
  expect "${arg% *}: the dialog's default $default is the program's $(help_default "${arg% *}")" \
    "\"$(help_default "${arg% *}")\" + 0 == $default"
done
for ((i = 1; i <= $(xpath 'count(//boolean)'); i++)); do
  set=$(xpath "string(//boolean[$i]/@arg-set)") unset=$(xpath "string(//boolean[$i]/@arg-unset)")
  arguments+=("$set$unset")
done
for ((i = 1; i <= $(xpath 'count(//select)'); i++)); do
  for ((j = 1; j <= $(xpath "count(//select[$i]/option)"); j++)); do
    arg=$(xpath "string(//select[$i]/option[$j]/@arg-set)")
    [[ -n $arg ]] && arguments+=("$arg") && option=${arg% *}
  done
  default=$(xpath "string(//select[$i]/option[not(@arg-set)]/@id)")
  expect "$option: the dialog's default $default is the program's $(help_default "$option")" \
    "\"$default\" == \"$(help_default "$option")\""
done
for ((i = 1; i <= $(xpath 'count(//file)'); i++)); do
  arg=$(xpath "string(//file[$i]/@arg)")
  arguments+=("${arg/\%/$KRATEON_ASSET_DIR/mars_256.bmp}")
done
expect "controls found (${#arguments[@]})" "${#arguments[@]} >= 20"

# Each argument: a --help option, and a program that draws and ends with status 0 on SIGTERM.
x_session_start 640x480x24
for arguments in "${arguments[@]}"; do
  option=${arguments%% *}
  grep -qE -- "^ +(-h, )?$option( |$)" <<<"$help" || fail "$option is not in --help"
  saver_window_start 200 150 0 0 $arguments
  wait_for 30 covered 200x150+0+0 || fail "$arguments: nothing drawn"
  saver_window_stop
  expect "$arguments: drawn, status 0 after SIGTERM ($program_status)" \
    "\"$program_status\" == \"0\""
done
finish
