#!/usr/bin/env bash
# Krateon installed with `cmake --install` into a fresh prefix (data, programs, menu entry, manual
# page) under the real screensaver daemon (as a user the test creates when run as root): listed
# alone, its launcher run from elsewhere with --root fills the screen with Earth from the data
# folder it finds; deactivated it is gone.
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"
command -v xscreensaver >/dev/null ||
  { fail "no xscreensaver (scripts/setup.sh installs it)"; finish; }
x_session_start 1280x720x24
chmod 755 "$x_session_dir" # the daemon's user reads the installed program from here

# 1. Install, with the daemon's hack description.
prefix=$x_session_dir/prefix
"$CMAKE_COMMAND" --install "$KRATEON_BINARY_DIR" --prefix "$prefix" >"$x_session_dir/install.log" ||
  { cat "$x_session_dir/install.log"; fail "cmake --install failed"; finish; }
images=$(ls "$prefix"/share/krateon/*.bmp | wc -l)
sounds=$(ls "$prefix"/share/krateon/*.wav | wc -l)
expect "$images images and $sounds sounds in share/krateon" "$images == 12 && $sounds == 2"
[[ -x $prefix/bin/krateon && -x $prefix/libexec/krateon/krateon ]] ||
  fail "bin/krateon and libexec/krateon/krateon are programs"
grep -qx 'Exec=krateon' "$prefix/share/applications/krateon.desktop" ||
  fail "the menu entry starts krateon"
warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man6/krateon.6" 2>&1)
expect "the manual page renders without warnings ($warnings)" "\"$warnings\" == \"\""
description=$prefix/share/xscreensaver/config/krateon.xml
for wanted in '<screensaver name="krateon"' 'arg="--max-fps %"' 'arg-set="--sound"' \
  '<_description>'; do
  grep -qF -- "$wanted" "$description" 2>/dev/null || fail "$description lacks $wanted"
done

# 2. The daemon's user, its home and its settings: only Krateon, no fading, no locking.
user=$(id -un)
if ((EUID == 0)); then
  user=krateon-saver-$$
  useradd --no-create-home --home-dir "$x_session_dir/home" --shell /bin/sh "$user" ||
    { fail "cannot create the user $user"; finish; }
  # Its processes are ended by id, then the user is removed, before the session is stopped.
  trap 'for pid in $(pgrep -u "$user"); do kill "$pid"; done; sleep 1
        for pid in $(pgrep -u "$user"); do kill -9 "$pid"; done
        userdel "$user"; x_session_stop' EXIT
fi
home=$x_session_dir/home
mkdir -p "$home"
cat >"$home/.xscreensaver" <<EOF
mode: one
selected: 0
timeout: 1:00:00
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
programs: GL: $prefix/bin/krateon --root \\n
EOF
chown -R "$user:" "$home"
as_user() {
  local command=(env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@")
  if ((EUID == 0)); then runuser -u "$user" -- "${command[@]}"; else "${command[@]}"; fi
}

# 3. The daemon, then the screensaver at once.
as_user xscreensaver -no-splash -verbose >"$shot_dir/xscreensaver.log" 2>&1 &
x_session_pids+=($!)
wait_for 30 as_user xscreensaver-command -time >/dev/null 2>&1 ||
  { fail "the daemon did not start"; cat "$shot_dir/xscreensaver.log"; finish; }
saver_pid() { pgrep -u "$user" -x krateon; }
as_user xscreensaver-command -activate >/dev/null
wait_for 60 saver_pid >/dev/null || { fail "the daemon started no krateon"; finish; }
pid=$(saver_pid)
arguments=$(ps -o args= -p "$pid")
echo "ok: the daemon started krateon, pid $pid: $arguments"
[[ $arguments == *' --root' ]] || fail "not started with --root: $arguments"
tr '\0' '\n' <"/proc/$pid/environ" | grep -q '^XSCREENSAVER_WINDOW=' ||
  fail "no XSCREENSAVER_WINDOW given"

# Full screen: the planet, and stars in every corner of the screen.
full_screen() {
  shot=$(shot saver)
  local corner
  for corner in 320x180+0+0 320x180+960+0 320x180+0+540 320x180+960+540; do
    awk "BEGIN { exit !($(bright_share "$shot" 60 "$corner") > 0.0005) }" || return 1
  done
  awk "BEGIN { exit !($(largest_shape "$shot" 1280x720+0+0) > 0.008) }"
}
wait_for 60 full_screen || fail "no planet and stars over the whole screen (see $shot)"
echo "ok: the picture fills the screen ($shot)"
earth_blue() {
  local box
  box=$(planet_box "$1") && [[ -n $box ]] && share_where "$1" 'b > 0.3 && b > 1.3 * r' "$box"
}
see "the planet is Earth, from the installed data folder" earth 'v > 0.1' earth_blue

# 4. Deactivated: the process ends and nothing of the picture stays.
as_user xscreensaver-command -deactivate >/dev/null
wait_for 30 eval '! kill -0 "$pid" 2>/dev/null' ||
  fail "krateon ($pid) still runs after deactivation"
echo "ok: krateon ended after deactivation"
cleared() { awk "BEGIN { exit !($(bright_share "$(shot after)" 60) < 0.0001) }"; }
wait_for 30 cleared || fail "the screen still shows a picture after deactivation"
as_user xscreensaver-command -exit >/dev/null
finish
