#!/usr/bin/env bash
# Builds Krateon and runs its tests with CTest under private X servers: every test in the
# release build and, beside them, the memory and undefined-behaviour tests in the AddressSanitizer
# + UndefinedBehaviorSanitizer build. Ends with both summaries; non-zero on any failure.
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

# run_tests NAME DIR DESKTOPS: the tests of a build, the scripts that drive the real program on X
# servers of their own at most DESKTOPS at a time, each beside the test programs; the output is
# kept in $logs/NAME. The scripts mostly wait on the real-time animation of a program paced like
# a display, so two of them and a test program share the processors well.
run_tests() {
  echo "== $1 tests"
  local desktops=$logs/$1-desktops.json slots
  slots=$(seq -s, -f '{"id": "%g", "slots": 1}' 0 $(($3 - 1)))
  echo "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"x_desktop\": [$slots]}]}" >"$desktops"
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    ctest --test-dir "$2" --output-on-failure -j $(($3 + 1)) --resource-spec-file "$desktops" |
    tee "$logs/$1"
}

# sanitizer_tests: builds the sanitizer build's tests and runs them.
sanitizer_tests() {
  echo "== Sanitizer build"
  if ! cmake --build build-asan --target krateon_tests -j "$jobs"; then
    echo "tests passed: none, the sanitizer build failed" >"$logs/Sanitizer"
    return 1
  fi
  run_tests Sanitizer build-asan 1
}

echo "== Release build"
configure build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
# The sanitizer build and its tests run beside the release tests: much of their time is the real
# program animating on screen in real time, which leaves the processors half idle. The program
# runs ahead of other work (see tests/support/x_session.sh), so its frames still come first.
# At -O1, as the sanitizers' makers advise: quicker to compile than -O2, and as thorough.
configure build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRATEON_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG"
sanitizer_tests >"$logs/sanitizer-output" 2>&1 &
sanitizer=$!
run_tests Release build 2 || failed=1
wait "$sanitizer" || failed=1
cat "$logs/sanitizer-output"

for name in Release Sanitizer; do
  echo "== $name: $(sed -n '/tests passed/,$p' "$logs/$name")"
done
exit "$failed"
