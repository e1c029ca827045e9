#!/usr/bin/env bash
# The hands of the running scene across changes of the wall clock: the
# daylight-saving changes of Europe/Berlin, a backward jump of the system
# clock, midnight, noon and 15:00 (where the hour angle turns negative).
# libfaketime moves the wall clock while the monotonic timer runs on;
# reliability_clock draws frame after frame with the saver's own set-up and
# frame step and checks every frame's hands against the local time.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_start_xvfb 640x480

libfaketime=""
for f in /usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 /usr/lib/*/faketime/libfaketime.so.1; do
  [ -e "$f" ] && { libfaketime="$f"; break; }
done
[ -n "$libfaketime" ] || lt_fail "libfaketime is not installed (Debian package faketime)"
export TZ=Europe/Berlin

# run_clock SECONDS START_EPOCH [--jump AFTER TO]...: output in $LT_TMP/clock.out
run_clock() {
  local stamp="$LT_TMP/faketime"
  echo "+0" >"$stamp"
  env LD_PRELOAD="$libfaketime" FAKETIME_TIMESTAMP_FILE="$stamp" FAKETIME_NO_CACHE=1 \
    FAKETIME_DONT_FAKE_MONOTONIC=1 "$LT_TOOLS/reliability_clock" "$@" >"$LT_TMP/clock.out" 2>"$LT_TMP/clock.err"
  local status=$?
  grep -v '^-\|^$' "$LT_TMP/clock.out" >&2
  [ "$status" -eq 0 ] || lt_fail "hands wrong or no frames (status $status)"
  grep -q '^frames [1-9][0-9]* wrong 0$' "$LT_TMP/clock.out" || lt_fail "no summary line"
}
said() { grep -qx "$1" "$LT_TMP/clock.out" || lt_fail "expected the line: $1"; }
epoch() { date -d "$1" +%s; }

lt_case "spring forward: 01:59:59 is followed by 03:00:00"
run_clock 4 "$(epoch '2026-03-29 01:59:58')"
said "local 2026-03-29 01:59:59 -> 2026-03-29 03:00:00 DST at frame $(awk '/^local/ { print $NF }' "$LT_TMP/clock.out")"

lt_case "fall back: 02:59:59 summer time is followed by 02:00:00 winter time"
run_clock 4 "$(date -u -d '2026-10-25 00:59:58' +%s)"
said "local 2026-10-25 02:59:59 DST -> 2026-10-25 02:00:00 at frame $(awk '/^local/ { print $NF }' "$LT_TMP/clock.out")"

lt_case "the system clock set back by 2.5 minutes while running"
start=$(epoch '2026-06-10 10:30:40')
run_clock 4 "$start" --jump 2 $(( start - 150 ))
grep -Eq '^local 2026-06-10 10:30:4[0-3] DST -> 2026-06-10 10:28:(0[89]|1[0-3]) DST at frame' "$LT_TMP/clock.out" || lt_fail "no backward jump seen"

lt_case "midnight"
run_clock 4 "$(epoch '2026-12-31 23:59:58')"
grep -q '^last 2027-01-01 00:00:0[1-4]$' "$LT_TMP/clock.out" || lt_fail "did not run past midnight"

lt_case "noon"
run_clock 4 "$(epoch '2026-07-15 11:59:58')"
grep -q '^last 2026-07-15 12:00:0[1-4] DST$' "$LT_TMP/clock.out" || lt_fail "did not run past noon"

lt_case "15:00: the hour angle turns negative and the hands stay right"
run_clock 4 "$(epoch '2026-07-15 14:59:58')"
grep -Eqx 'hour angle turns negative at 2026-07-15 (14:59:59|15:00:00) DST' "$LT_TMP/clock.out" ||
  lt_fail "the hour angle did not turn negative at 15:00:00 (nor in 14:59:59, as the second count passing 60 may)"
lt_log "all cases passed"
