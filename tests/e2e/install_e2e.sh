#!/usr/bin/env bash
# `cmake --install` into a fresh prefix: a `krateon` command that runs from anywhere, passes its
# arguments on and shows Earth, a manual page that renders, a menu entry; Escape gives status 0.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"

prefix=$x_session_dir/prefix
"$CMAKE_COMMAND" --install "$KRATEON_BINARY_DIR" --prefix "$prefix" >"$shot_dir/install.log" ||
  { cat "$shot_dir/install.log"; fail "cmake --install"; finish; }
images=$(ls "$prefix"/share/krateon/*.bmp | wc -l)
sounds=$(ls "$prefix"/share/krateon/*.wav | wc -l)
expect "$images images and $sounds sounds in share/krateon" "$images == 12 && $sounds == 2"
[[ -x $prefix/bin/krateon && -x $prefix/libexec/krateon/krateon ]] ||
  fail "bin/krateon and libexec/krateon/krateon are programs"
grep -qx 'Exec=krateon' "$prefix/share/applications/krateon.desktop" ||
  fail "the menu entry starts krateon"
warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man6/krateon.6" 2>&1)
expect "the manual page renders without warnings ($warnings)" "\"$warnings\" == \"\""

# The display comes as an argument that the launcher must pass on: DISPLAY leads nowhere.
x_session_start 800x600x24
mkdir "$x_session_dir/elsewhere"
program_start "$x_session_dir/elsewhere" env DISPLAY=:4242 "$prefix/bin/krateon" -display "$DISPLAY"
wait_until 5.5
planet=$(planet_box "$(shot installed)")
blue=$(share_where "$shot_dir/installed.png" 'b > 0.3 && b > 1.3 * r' "$planet")
expect "the installed program shows Earth ($planet, $blue of it blue)" "$blue > 0.1"
key Escape
program_wait 30
expect "Escape ends it with status 0 ($program_status)" "\"$program_status\" == \"0\""
finish
