#!/usr/bin/env bash
# The reliability steps of CI, after scripts/test.sh's own:
#  1. every libFuzzer target for 30 seconds (scripts/fuzz.sh 30);
#  2. the unit and GL tests with AddressSanitizer, UndefinedBehaviorSanitizer
#     and LeakSanitizer, leaks of Mesa, X11 and GLFW internals suppressed
#     (tests/lsan.supp). The sanitizer tree is build-asan, as test.sh makes it
#     (LUMITICK_SAN_BUILD names another); it is configured and built here when
#     missing or stale.
#   scripts/ci-extra.sh [FUZZ_SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds="${1:-30}"
san="${LUMITICK_SAN_BUILD:-build-asan}"
screen="-screen 0 1920x1080x24"

echo "== fuzz targets, ${fuzz_seconds}s each"
bash scripts/fuzz.sh "$fuzz_seconds"

echo "== unit and GL tests under ASan, UBSan and LSan ($san)"
cmake -S . -B "$san" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMITICK_SANITIZE=ON >/dev/null
cmake --build "$san" -j2 --target lumitick_unit_tests lumitick_gl_tests
# alloc_dealloc_mismatch=0: Mesa's LLVM frees with free() what it allocated with new.
export ASAN_OPTIONS="detect_leaks=1:alloc_dealloc_mismatch=0:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The unit tests' death tests fork; each child reports its own leaks.
"$san/tests/lumitick_unit_tests" --gtest_brief=1
xvfb-run -a -s "$screen" "$san/tests/lumitick_gl_tests" --gtest_brief=1
echo "== reliability steps passed"
