#!/usr/bin/env bash
# Builds every libFuzzer target with clang (fuzzer + AddressSanitizer + UBSan) and runs each
# for a bounded time from a copy of its committed seed corpus, so new inputs stay out of the
# repository. Crashing inputs are kept in BUILD_DIR/artifacts. Non-zero when a target fails.
# Usage: bench/fuzz.sh [SECONDS_PER_TARGET (300)] [BUILD_DIR (build-fuzz)] [TARGET...]
#   With TARGET names (e.g. fuzz_text_layout) only those run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
build=$(realpath -m "${2:-$root/build-fuzz}")
selected=("${@:3}")
cxx=${FUZZ_CXX:-clang++}

# target | scene sources it needs | seed corpus folder | longest input tried (bytes) | libraries
targets=(
  "fuzz_bmp_decode|image/bmp_decode.cpp|bmp|200000|"
  "fuzz_picture_header|image/picture_header.cpp image/picture_scale.cpp|picture|100000|"
  "fuzz_text_layout|text/glyph_layout.cpp text/text_display.cpp core/frame_clock.cpp|text|1024|-lGL -lGLU"
)

mkdir -p "$build/artifacts"
failed=0
summary=()
for entry in "${targets[@]}"; do
  IFS="|" read -r name sources corpus max_len libraries <<<"$entry"
  if ((${#selected[@]})) && [[ " ${selected[*]} " != *" $name "* ]]; then continue; fi
  source_list=("$root/bench/fuzz/$name.cpp")
  for source in $sources; do source_list+=("$root/$source"); done
  missing=0
  for source in "${source_list[@]}"; do [[ -f $source ]] || missing=1; done
  if ((missing)); then
    summary+=("$name: not built (its sources are not there yet)")
    continue
  fi

  echo "== $name: building"
  "$cxx" -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "${source_list[@]}" $libraries -o "$build/$name"

  work=$(mktemp -d "${TMPDIR:-/tmp}/krateon-fuzz.XXXXXX")
  cp -r "$root/bench/fuzz/corpus/$corpus/." "$work/"
  echo "== $name: fuzzing for ${seconds}s"
  status=0
  "$build/$name" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
    "$work" >"$build/$name.log" 2>&1 || status=$?
  rm -rf "$work"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log" | tail -1)
  if ((status != 0)); then
    failed=1
    summary+=("$name: FAILED (status $status) after ${runs:-?} executions; see $build/$name.log")
    tail -60 "$build/$name.log"
  else
    summary+=("$name: ${runs:-?} executions in ${seconds}s, no failure")
  fi
done

echo "== fuzzing summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
