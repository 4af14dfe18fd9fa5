#!/usr/bin/env bash
# Builds Krateon when needed and starts it full screen in its asset folder.
# Arguments go to the program (freeglut's -display and -geometry work).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
if [[ ! -f "$root/build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$root/build" -j "$(nproc)" >/dev/null
mkdir -p "$root/build/assets"
cd "$root/build/assets"
exec ../krateon "$@"
