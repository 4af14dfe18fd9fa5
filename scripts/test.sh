#!/usr/bin/env bash
# Builds Krateon and runs its tests with CTest under a private X server: every test in the
# release build, then the memory and undefined-behaviour tests in the AddressSanitizer +
# UndefinedBehaviorSanitizer build. Ends with both summaries; non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh

jobs=$(nproc)
logs=$(mktemp -d "${TMPDIR:-/tmp}/krateon-test.XXXXXX")
trap 'rm -rf "$logs"' EXIT
failed=0

# configure DIR CMAKE-ARGS...: a build tree with warnings as errors.
configure() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DKRATEON_WERROR=ON "$@" >/dev/null
}

# run_tests NAME DIR: the tests of a build (the scripts that drive the real program start X
# servers of their own).
run_tests() {
  echo "== $1 tests"
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    ctest --test-dir "$2" --output-on-failure -j "$jobs" | tee "$logs/$1" || failed=1
}

echo "== Release build"
configure build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
# The sanitizer build compiles while the release tests run: most of their time is the real
# program animating on screen, which leaves the processors idle. It runs at the lowest priority,
# so the timed scene still gets its frames first.
configure build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRATEON_SANITIZE=ON
nice -n 19 cmake --build build-asan --target krateon_tests -j "$jobs" >"$logs/asan-build" 2>&1 &
asan_build=$!
run_tests Release build
echo "== Sanitizer build"
if wait "$asan_build"; then
  run_tests Sanitizer build-asan
else
  cat "$logs/asan-build"
  echo "tests passed: none, the sanitizer build failed" >"$logs/Sanitizer"
  failed=1
fi

for name in Release Sanitizer; do
  echo "== $name: $(sed -n '/tests passed/,$p' "$logs/$name")"
done
exit "$failed"
