#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit, GL and
# end-to-end tests of the normal build, then the unit and GL tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

screen="-screen 0 1920x1080x24"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
xvfb-run -a -s "$screen" ctest --test-dir build --output-on-failure -j2

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMITICK_SANITIZE=ON >/dev/null
cmake --build build-asan -j2 --target lumitick_unit_tests lumitick_gl_tests
# Mesa keeps a few allocations for the life of the process; leak checking of
# the GL suite is left to the dedicated LeakSanitizer run (scripts/ci-extra.sh).
# LLVM inside llvmpipe frees some memory from new with free().
ASAN_OPTIONS=detect_leaks=0:alloc_dealloc_mismatch=0 UBSAN_OPTIONS=print_stacktrace=1 \
  xvfb-run -a -s "$screen" ctest --test-dir build-asan --output-on-failure -j2 -L 'unit|gl'

# Every libFuzzer target for 30 seconds (clang, ASan and UBSan).
bash scripts/fuzz.sh 30
