#!/usr/bin/env bash
# Makes docs/assets.png: a labelled contact sheet of the twelve generated images, each planet map
# beside a view of it on a lit sphere. Usage: scripts/contact-sheet.sh [BUILD_DIR] (default build;
# build the krateon_assets and krateon-globe targets first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
assets=$build/assets
globe=$build/tools/assetgen/krateon-globe
out=$root/docs/assets.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

planets=(earthCraterBW_256 earthCloudsBW_256 venus_256 earth_256 mars_256 jupiter_256
  saturn_256 neptune_256 neptune3_256 pluto_256)
# Longitude (degrees) turned towards the viewer, so each globe shows its planet's best side.
declare -A facing=([jupiter_256]=200 [pluto_256]=180 [neptune_256]=120 [neptune3_256]=120)
for name in font smoke128 "${planets[@]}"; do
  if [[ ! -f "$assets/$name.bmp" ]]; then
    echo "missing $assets/$name.bmp: build the krateon_assets target first" >&2
    exit 1
  fi
done
[[ -x "$globe" ]] || { echo "missing $globe: build the krateon-globe target first" >&2; exit 1; }

tiles=()
# The maps are ordinary bottom-up BMP pictures with north at the top, so a viewer shows them
# north-up as they are; the sphere view reads them the way the program does.
for name in "${planets[@]}"; do
  "$globe" "$assets/$name.bmp" "$work/$name-globe.bmp" 256 "${facing[$name]:-0}" 20
  convert "$assets/$name.bmp" "$work/$name-globe.bmp" -background black +append "$work/$name.png"
  tiles+=(-label "$name.bmp: map and on the sphere" "$work/$name.png")
done
# The font file stores its top glyph row first, so a viewer shows it upside down: flip it
# back, and enlarge both sprites so they can be read.
convert "$assets/font.bmp" -flip -filter point -resize 256x256 "$work/font.png"
convert "$assets/smoke128.bmp" -filter point -resize 256x256 "$work/smoke.png"
convert "$work/font.png" "$work/smoke.png" -background black +append "$work/sprites.png"
tiles+=(-label "font.bmp (flipped to read) and smoke128.bmp, both 2x" "$work/sprites.png")

mkdir -p "$(dirname "$out")"
montage "${tiles[@]}" -tile 2x -geometry +6+6 -background '#202020' -fill white \
  -font DejaVu-Sans -pointsize 14 "$out"
echo "wrote $out"
