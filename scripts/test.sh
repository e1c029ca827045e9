#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit, GL and
# end-to-end tests of the normal build, then the unit and GL tests again
# under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, then
# every fuzz target for a short while, then the Windows builds and their
# tests under Wine (scripts/ci-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

screen="-screen 0 1920x1080x24"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
xvfb-run -a -s "$screen" ctest --test-dir build --output-on-failure -j2

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMITICK_SANITIZE=ON >/dev/null
cmake --build build-asan -j2 --target lumitick_unit_tests lumitick_gl_tests
# Leaks are checked too; what Mesa, X11 and GLFW keep for the life of the
# process is suppressed (tests/lsan.supp). LLVM inside llvmpipe frees some
# memory from new with free(). The unit tests' death tests fork; each child
# reports its own leaks.
ASAN_OPTIONS=detect_leaks=1:alloc_dealloc_mismatch=0:detect_stack_use_after_return=1 \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  xvfb-run -a -s "$screen" ctest --test-dir build-asan --output-on-failure -j2 -L 'unit|gl'

# Every libFuzzer target for 30 seconds (clang, ASan and UBSan).
bash scripts/fuzz.sh 30

# The Windows builds (mingw-w64) and their tests under Wine.
bash scripts/ci-windows.sh
