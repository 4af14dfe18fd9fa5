#!/usr/bin/env bash
# Krateon as a Debian package built by CPack: control fields, files in the games layout, icons,
# lintian, the MIT licence; installed by apt (as root), it validates and shows the planet; removed
# again at the end, also when the test fails.
set -euo pipefail
source "$KRATEON_SOURCE_DIR/tests/support/x_session.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/krateon-package.XXXXXX")
installed=""
package_remove() {
  [[ -n $installed ]] || return 0
  installed=""
  apt-get remove -y -q -o DPkg::Lock::Timeout=300 krateon >"$work/remove.log" 2>&1 ||
    { fail "apt-get remove krateon"; cat "$work/remove.log"; }
}
trap 'x_session_stop; package_remove; rm -rf "$work"' EXIT
[[ $(id -u) == 0 ]] || { fail "installing a package needs root"; finish; }
# One such test at a time on a machine: they all install and remove the same package.
exec 9>/tmp/krateon-package-test.lock
flock -w 900 9 || { fail "another package test holds /tmp/krateon-package-test.lock"; finish; }

# The version is set once, in the project line of CMakeLists.txt.
version=$(sed -n 's/^project(Krateon VERSION \([0-9.]*\) .*/\1/p' \
  "$KRATEON_SOURCE_DIR/CMakeLists.txt")
arch=$(dpkg --print-architecture)
cpack=$(dirname "${CMAKE_COMMAND:-cmake}")/cpack
command -v "$cpack" >/dev/null || cpack=cpack
(cd "$KRATEON_BINARY_DIR" && "$cpack" -G DEB -B "$work") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G DEB"; finish; }
deb=$work/krateon_${version}_$arch.deb
[[ -f $deb ]] || { fail "no $deb: $(ls "$work")"; finish; }

# Control fields: exact values, and Depends computed from the program's libraries.
while read -r field pattern; do
  value=$(dpkg-deb -f "$deb" "$field")
  [[ $value =~ $pattern ]] && echo "ok: $field: $value" ||
    fail "$field is '$value', expected /$pattern/"
done <<EOF
Package ^krateon$
Version ^${version//./\\.}$
Architecture ^$arch$
Section ^games$
Priority ^optional$
Maintainer ^[^<]+<[^@>]+@[^>]+>$
Description ^3-D\ animation\ .*
Depends (^|\ )libc6\ .*libglut.*libsdl2-image.*libsdl2-mixer
EOF
lines=$(dpkg-deb -f "$deb" Description | wc -l)
expect "a long description under the synopsis ($lines lines)" "$lines >= 5"

# Files: Debian's places, and everything a plain install puts under its prefix at the place the
# games layout gives it (so new install rules reach the package by themselves).
dpkg-deb -c "$deb" | awk '{ sub(/^\.\//, "", $6); print $6 }' | grep -v '/$' | sort >"$work/files"
"${CMAKE_COMMAND:-cmake}" --install "$KRATEON_BINARY_DIR" --prefix "$work/plain" >/dev/null
(cd "$work/plain" && find . -type f -printf '%P\n') | sed -E \
  -e 's|^bin/|games/|' -e 's|^libexec/krateon/|lib/games/krateon/|' \
  -e 's|^share/krateon/|share/games/krateon/|' -e 's|^(share/man/.*)|\1.gz|' -e 's|^|usr/|' \
  | sort >"$work/expected"
printf '%s\n' usr/share/doc/krateon/{copyright,changelog.gz} usr/share/man/man6/krateon.6.gz \
  usr/games/krateon usr/lib/games/krateon/krateon usr/share/applications/krateon.desktop \
  usr/share/metainfo/io.github.krateon.metainfo.xml usr/share/games/krateon/{boom,thunder}.wav \
  usr/share/games/krateon/{font,smoke128,earthCraterBW_256,earthCloudsBW_256,venus_256}.bmp \
  usr/share/games/krateon/{earth,mars,jupiter,saturn,neptune,neptune3,pluto}_256.bmp \
  usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/krateon.png \
  >>"$work/expected"
missing=$(sort -u "$work/expected" | comm -23 - "$work/files" | tr '\n' ' ')
extra=$(sort -u "$work/expected" | comm -13 - "$work/files" | tr '\n' ' ')
expect "every file in its place (missing: ${missing:-none})" "\"$missing\" == \"\""
expect "no file elsewhere (extra: ${extra:-none})" "\"$extra\" == \"\""

# Debian's checker: no error and no warning (informational notes are printed, not counted).
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian.log" 2>&1 || fail "lintian:"
grep -v 'running with root privileges' "$work/lintian.log" || true

apt-get install -y -q -o DPkg::Lock::Timeout=300 "$deb" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "apt-get install $deb"; finish; }
installed=1
menu=/usr/share/applications/krateon.desktop meta=/usr/share/metainfo/io.github.krateon.metainfo.xml
desktop-file-validate "$menu" && echo "ok: the menu entry" || fail "desktop-file-validate"
grep -qx 'Icon=krateon' "$menu" || fail "the menu entry's icon"
appstreamcli validate --no-net --pedantic "$meta" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$meta" || fail "the metainfo names release $version"
zcat /usr/share/doc/krateon/changelog.gz | head -1 | grep -q "^krateon ($version)" ||
  fail "the changelog starts with $version"

# The licence: the package's copyright names the MIT licence, and gives every file Debian's name
# for it, Expat, with the words of LICENSE; the software centre's entry says MIT.
copyright=/usr/share/doc/krateon/copyright
every_file=$(awk '/^Files: \*$/ { p = 1; next } p && /^$/ { exit } p && /^License: / {
  print $2; l = 1; next } p && l { sub(/^ /, ""); print ($0 == "." ? "" : $0) }' "$copyright")
grep -q 'MIT licence' "$copyright" || fail "the copyright does not name the MIT licence"
[[ $every_file == "Expat"$'\n'"$(sed 1,4d "$KRATEON_SOURCE_DIR/LICENSE")" ]] &&
  echo "ok: the copyright gives every file the MIT licence" ||
  fail "the copyright's licence for every file is not Expat with the words of LICENSE"
grep -q '<project_license>MIT</project_license>' "$meta" || fail "the metainfo's licence is not MIT"

# The icons: each size square with an alpha channel, transparent corners (the top right one has
# the flash), an opaque blue planet centred at 45 %, 56 %, and a white-hot flash in the top-right
# quarter only.
white='r > 0.95 && g > 0.95 && b > 0.8 && a > 0.9'
centre='p{int(0.45*w),int(0.56*h)}'
white_count() { convert "$@" -fx "$white" -alpha off -format '%[fx:mean*w*h]' info:; }
for size in 16 32 48 64 128 256; do
  png=/usr/share/icons/hicolor/${size}x$size/apps/krateon.png
  read -r w h channels corners blue < <(convert "$png" -format "%w %h %[channels] \
%[fx:p{0,0}.a+p{0,h-1}.a+p{w-1,h-1}.a] %[fx:$centre.a==1&&$centre.b>$centre.r+0.2]\n" info:)
  flash=$(white_count "$png" -crop "50%x50%+$((size / 2))+0" +repage)
  all=$(white_count "$png")
  expect "icon $size: ${w}x$h $channels, corners $corners, blue centre $blue, flash $flash/$all" \
    "$w == $size && $h == $size && \"$channels\" == \"srgba\" && $corners == 0 && $blue == 1 \
     && $flash > 0 && $flash == $all"
done

x_session_start 800x600x24
program_start "$work" /usr/games/krateon
# Earth, lit from behind the viewer five seconds in: its blue comes from the installed data folder.
wait_until 5.5
planet=$(planet_box "$(shot installed)")
blue=$(share_where "$shot_dir/installed.png" 'b > 0.3 && b > 1.3 * r' "$planet")
expect "the installed program shows Earth (${planet:-no planet}, $blue of it blue)" \
  "\"$planet\" != \"\" && $blue > 0.2"
key Escape
program_wait 30
expect "Escape ends the program with status 0 ($program_status)" "\"$program_status\" == \"0\""

package_remove
expect "apt-get remove takes the program away" "$([[ -e /usr/games/krateon ]] && echo 0 || echo 1)"
finish
