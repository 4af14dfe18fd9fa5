#!/usr/bin/env bash
# Builds Krateon and runs every test with CTest under a private X server: first the release
# build, then the AddressSanitizer + UndefinedBehaviorSanitizer build. Non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh

jobs=$(nproc)
build() {  # build DIR CMAKE-ARGS...
  local dir=$1
  shift
  cmake -S . -B "$dir" -DKRATEON_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}
build build -DCMAKE_BUILD_TYPE=Release
build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRATEON_SANITIZE=ON

export SDL_AUDIODRIVER=dummy  # the sanitizer settings come with each test (tests/CMakeLists.txt)

run_tests() {  # run_tests DIR
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    ctest --test-dir "$1" --output-on-failure -j "$jobs"
}
echo "== Release build tests"
run_tests build
echo "== Sanitizer build tests"
run_tests build-asan
