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

# check NAME DIR TARGET CMAKE-ARGS...: configures DIR and builds TARGET, then runs the tests
# (the scripts that drive the real program start X servers of their own).
check() {
  local name=$1 dir=$2 target=$3
  shift 3
  echo "== $name build"
  cmake -S . -B "$dir" -DKRATEON_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" --target "$target" -j "$jobs"
  echo "== $name tests"
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" | tee "$logs/$name" || failed=1
}
check Release build all -DCMAKE_BUILD_TYPE=Release
check Sanitizer build-asan krateon_tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRATEON_SANITIZE=ON

for name in Release Sanitizer; do
  echo "== $name: $(sed -n '/tests passed/,$p' "$logs/$name")"
done
exit "$failed"
