#!/usr/bin/env bash
# One instance at a time in the no-switch and "/p" modes: a second such
# instance ends at once with status 0 without ever talking to the X server;
# "/s" and "-window-id" make no such test; the marker of a holder killed with
# SIGKILL does not outlive it.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_lock_instance
lt_start_xvfb 800x600
command -v strace >/dev/null || lt_fail "strace is needed"

# lt_second_instance_refused ARGS...: runs the saver under strace; it must end
# with status 0 within a few seconds, print nothing and never connect to the
# X server (so it opened no window).
lt_second_instance_refused() {
  local trace="$LT_TMP/second.trace"
  timeout 20 strace -f -qq -e trace=connect -o "$trace" "$LT_SAVER" "$@" >"$LT_TMP/second.out" 2>"$LT_TMP/second.err"
  local status=$?
  [ "$status" -eq 0 ] || lt_fail "second instance '$*': status $status"
  grep -q X11-unix "$trace" && lt_fail "second instance '$*' connected to the X server"
  [ -s "$LT_TMP/second.out" ] || [ -s "$LT_TMP/second.err" ] && lt_fail "second instance '$*' printed something"
  return 0
}

# The marker is per user: wait for any left by a run outside the lock.
lt_wait_for 30 eval '! lt_marker_held' || lt_fail "another process holds the instance marker"

lt_case "a no-switch holder keeps out a second no-switch and a second /p"
lt_start_saver
holder=$LT_PID
lt_wait_window_of_pid "$holder" 20 >/dev/null || lt_fail "holder has no window"
lt_marker_held || lt_fail "holder holds no marker"
lt_second_instance_refused
lt_second_instance_refused /S  # upper case is no switch
lt_start_host -size 160x120
lt_second_instance_refused /p "$LT_HOST"
[ -z "$(lt_probe children "$LT_HOST")" ] || lt_fail "refused preview drew into the host"

lt_case "/s and -window-id run beside the holder"
lt_start_saver /s
beside=$LT_PID
lt_wait_for 20 eval '[ "$(lt_windows_of_pid "$beside" | wc -l)" -ge 1 ]' || lt_fail "/s beside the holder has no window"
lt_expect_running "$beside" 0.3 "/s beside the holder"
kill -TERM "$beside"
lt_expect_stopped "$beside" 5 TERM "/s beside the holder, on SIGTERM"
LT_SAVER_TAG=hosted lt_start_saver -window-id "$LT_HOST"
lt_wait_child_covering "$LT_HOST" 160 120 20 >/dev/null || lt_fail "-window-id beside the holder drew nothing"
kill -TERM "$LT_PID"
lt_expect_stopped "$LT_PID" 5 TERM "-window-id beside the holder, on SIGTERM"

lt_case "after SIGKILL of the holder a new instance starts"
kill -KILL "$holder"
wait "$holder" 2>/dev/null
lt_marker_held && lt_fail "the killed holder's marker is still there"
lt_start_saver
lt_wait_window_of_pid "$LT_PID" 20 >/dev/null || lt_fail "no window after the holder was killed"
lt_marker_held || lt_fail "the new instance holds no marker"

lt_case "a preview holder keeps out a no-switch instance"
kill -KILL "$LT_PID"
wait "$LT_PID" 2>/dev/null
lt_start_saver /p "$LT_HOST"
lt_wait_child_covering "$LT_HOST" 160 120 20 >/dev/null || lt_fail "preview holder drew nothing"
lt_second_instance_refused
lt_second_instance_refused "/p:$LT_HOST"
kill -TERM "$LT_PID"
lt_expect_stopped "$LT_PID" 5 TERM "preview holder, on SIGTERM"
lt_marker_held && lt_fail "the marker outlived its holder"

lt_log "PASS"
