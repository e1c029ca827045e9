#!/usr/bin/env bash
# The unit tests and the in-process tests of glfwCreateWindowFromHandle and
# the preview host back end, under Wine.
#   unit_test.sh ARCH NATIVE_BUILD
source "$(dirname "$0")/../e2e/lib.sh"
lt_wine_init "$@"
lt_start_xvfb 640x480

lt_case "unit tests"
# The death tests of these suites read the X11 message box from standard
# error; on Windows the box is a real one and would wait for a click.
"$LT_WINE_RUN" "$LT_WINE_BUILD/tests/lumitick_unit_tests.exe" --gtest_brief=1 \
  "--gtest_filter=-ModelBadInput.*:FrameTimesDeathTest.*" >"$LT_TMP/unit.out" 2>&1 || lt_fail "unit tests"
lt_log "$(grep -Eo '[0-9]+ tests?' "$LT_TMP/unit.out" | head -n 1) passed"

lt_case "glfwCreateWindowFromHandle in process"
"$LT_WINE_RUN" "$LT_WINE_BUILD/tests-windows/lumitick_adopt_tests.exe" --gtest_brief=1 >"$LT_TMP/adopt.out" 2>&1 ||
  lt_fail "adoption tests"
lt_log "PASS"
