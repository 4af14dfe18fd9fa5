#!/usr/bin/env bash
# Checks that the code's folders stand in layers: reads the order from the krateon_layer lines of
# the top-level CMakeLists.txt and every #include "FOLDER/..." of the program's sources, and fails
# with each include that points to a folder its own folder may not use, and with any line that
# names a folder not defined on an earlier line (which is what keeps the order free of circles).
# Usage: check_includes.sh [SOURCE_DIR]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root"

declare -A allowed # folder -> " itself and the folders below it "
order=()
while read -r folder below; do
  for lower in $below; do
    if [[ -z ${allowed[$lower]+set} ]]; then
      echo "CMakeLists.txt: layer $folder names $lower, which is not on an earlier line"
      exit 1
    fi
  done
  allowed[$folder]=" $folder $below "
  order+=("$folder")
done < <(sed -n 's/^krateon_layer(\([^)]*\)).*/\1/p' CMakeLists.txt)
((${#order[@]} > 1)) || { echo "CMakeLists.txt: no krateon_layer lines"; exit 1; }
echo "layers from the bottom: ${order[*]}"

offences=0
checked=0
for folder in "${order[@]}"; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [[ -e $file ]] || continue
    while IFS=: read -r line target; do
      checked=$((checked + 1))
      used=${target%%/*}
      [[ -n ${allowed[$used]+set} ]] || continue # not one of the layers (tests, tools)
      if [[ ${allowed[$folder]} != *" $used "* ]]; then
        echo "$file:$line: #include \"$target\": $folder may use only${allowed[$folder]% }"
        offences=$((offences + 1))
      fi
    done < <(awk -F'"' '/^[ \t]*#[ \t]*include[ \t]*"/ { print FNR ":" $2 }' "$file")
  done
done
echo "$checked includes checked, $offences pointing upwards or sideways"
((offences == 0))
