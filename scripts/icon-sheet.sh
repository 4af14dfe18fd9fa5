#!/usr/bin/env bash
# Makes docs/icon.png: the icon at 256, 48 and 16 pixels, on a dark and on a light ground, each
# small size once enlarged pixel for pixel and once as it is. Usage: scripts/icon-sheet.sh
# [BUILD_DIR] (default build; build the krateon_assets target first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icons=${1:-$root/build}/icons
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for size in 16 48 256; do
  [[ -f $icons/${size}x$size/apps/krateon.png ]] ||
    { echo "missing icons in $icons: build the krateon_assets target first" >&2; exit 1; }
done
icon() { echo "$icons/$1x$1/apps/krateon.png"; }
rows=()
for ground in '#303030' '#f0f0f0'; do
  row=$work/row${#rows[@]}.png
  convert -background "$ground" "$(icon 256)" \
    \( "$(icon 48)" -filter point -resize 400% \) \( "$(icon 16)" -filter point -resize 800% \) \
    "$(icon 48)" "$(icon 16)" -gravity center -bordercolor "$ground" -border 16 \
    -alpha remove -alpha off +append "$row"
  rows+=("$row")
done
convert "${rows[@]}" -append -strip "$root/docs/icon.png"
echo "wrote $root/docs/icon.png"
