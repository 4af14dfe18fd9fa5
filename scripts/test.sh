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

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export SDL_AUDIODRIVER=dummy

run_tests() {  # run_tests DIR
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    ctest --test-dir "$1" --output-on-failure -j "$jobs"
}
echo "== Release build tests"
run_tests build
echo "== Sanitizer build tests"
run_tests build-asan
