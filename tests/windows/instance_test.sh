#!/usr/bin/env bash
# The single-instance rule under Wine: beside a first no-switch instance, a
# second one exits 0 at once and "/s" runs.
#   instance_test.sh ARCH NATIVE_BUILD
source "$(dirname "$0")/../e2e/lib.sh"
lt_wine_init "$@"
lt_start_xvfb "$LT_WINE_SCREEN"

lt_case "a second no-switch instance exits 0 at once"
LT_SAVER_TAG=first lt_wine_start
first=$LT_PID
lt_wait_for 60 lt_wine_window "Lumitick Screensaver" || lt_fail "the no-switch instance opened no window"
LT_SAVER_TAG=second lt_wine_start
lt_expect_exit "$LT_PID" 20 "the second no-switch instance"

lt_case "/s runs beside the first instance"
LT_SAVER_TAG=beside lt_wine_start /s
# Both windows cover the same screen: what counts is that /s passes the
# instance test and keeps running. (Wine gives the new window the focus:
# the first instance, no longer seen, may end, with status 0.)
lt_expect_running "$LT_PID" 10 "/s beside the first instance"
if ! lt_alive "$first"; then
  lt_wait_exit "$first" 1
  [ "$LT_STATUS" = 0 ] || lt_fail "the first instance ended with status $LT_STATUS"
fi
lt_log "PASS"
