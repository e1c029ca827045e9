#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/) and runs each for SECONDS
# (default 30) on a copy of its seed corpus.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"; shift || true

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMITICK_FUZZ=ON -DLUMITICK_SANITIZE=ON -DLUMITICK_TESTS=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in tests/fuzz/*_fuzz.cpp; do [ -e "$f" ] && targets+=("$(basename "$f" .cpp)"); done
fi
[ ${#targets[@]} -eq 0 ] && { echo "no fuzz targets"; exit 0; }
cmake --build build-fuzz -j2 --target "${targets[@]}"
for t in "${targets[@]}"; do
  work="build-fuzz/corpus/$t"
  mkdir -p "$work"
  [ -d "tests/fuzz/corpus/$t" ] && cp -n tests/fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
  echo "== $t: ${seconds}s"
  log="build-fuzz/$t.log"
  if ! build-fuzz/tests/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 "$work" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz target $t found a failure (log: $log)"
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" || true
done
