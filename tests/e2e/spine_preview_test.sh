#!/usr/bin/env bash
# Preview ("/p ID"): the saver draws inside the host window and nowhere else,
# follows the host's size, leaves keys and buttons to the host, and ends with
# status 0 soon after the host is destroyed; an id that names no window ends
# it with "Failed to open window".
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_lock_instance  # "/p" takes the per-user instance marker
lt_start_xvfb 1024x768 -wr  # a white root: what the saver draws shows
xset s 123 456; LT_XSET=$(lt_xset)

lt_case "preview draws inside the host and follows its size"
lt_start_host -size 320x240 -at 100,50 -resize 400x300
lt_all_of ff00ff 100 50 320 240 || lt_fail "host not shown before the saver starts"
lt_start_saver /p "$LT_HOST"
child="$(lt_wait_child_covering "$LT_HOST" 320 240 20)" || lt_fail "no child of the host's size"
# The saver's picture covers every pixel of the host; the rest of the
# screen stays white.
lt_wait_for 10 lt_none_of ff00ff 100 50 320 240 || lt_fail "host area not covered: $(lt_probe count ff00ff 100 50 320 240) host pixels left"
lt_all_of ffffff 0 0 100 768 || lt_fail "the saver drew left of the host"
lt_all_of ffffff 420 0 604 768 || lt_fail "the saver drew right of the host"
[ -z "$(lt_windows_of_pid "$LT_PID" | grep -vx "$child")" ] || lt_fail "the saver showed a window of its own"

lt_case "keys and buttons in the preview leave it running"
xdotool mousemove 200 150 click 1 click 3 key a key Escape
lt_expect_running "$LT_PID" 0.5 "after a click and keys in the preview"

lt_case "preview follows the host's size"
kill -USR1 "$LT_HOST_PID"
lt_wait_for 10 lt_host_said "resized 400x300" || lt_fail "host did not resize"
lt_wait_child_covering "$LT_HOST" 400 300 10 >/dev/null || lt_fail "saver did not follow the resize: $(lt_probe children "$LT_HOST")"
lt_wait_for 10 lt_none_of ff00ff 100 50 400 300 || lt_fail "grown host area not covered"
lt_alive "$LT_PID" || lt_fail "saver ended"

lt_case "preview ends soon after the host is destroyed"
kill -USR2 "$LT_HOST_PID"
lt_wait_for 5 lt_host_said destroyed || lt_fail "host not destroyed"
lt_expect_exit "$LT_PID" 1 "after the host went away"
grep -q . "$LT_TMP/saver.err" && lt_fail "unexpected messages: $(cat "$LT_TMP/saver.err")"
kill "$LT_HOST_PID"; wait "$LT_HOST_PID"

lt_case "preview ends when the host's client dies with it"
lt_start_host -size 200x150
lt_start_saver /p "$LT_HOST"
lt_wait_child_covering "$LT_HOST" 200 150 20 >/dev/null || lt_fail "no child of the host's size"
# The time limit counts from a running loop, not from the scene's set-up.
lt_wait_for 20 lt_none_of ff00ff 0 0 200 150 || lt_fail "host not covered"
kill -KILL "$LT_HOST_PID"; wait "$LT_HOST_PID" 2>/dev/null
lt_expect_exit "$LT_PID" 1 "after the host's client was killed"

lt_case "an id that names no window"
for id in " 123456789" " 0" ":-5"; do
  lt_start_saver "/p$id"
  lt_expect_exit "$LT_PID" 20 "/p $id"
  grep -qx "Failed to open window" "$LT_TMP/saver.err" || lt_fail "/p $id: no 'Failed to open window'"
  grep -qx "=== Debug ===" "$LT_TMP/saver.err" || lt_fail "/p $id: not a Debug box"
done
lt_all_of ffffff 0 0 1024 768 || lt_fail "something was drawn on the screen"

lt_xset_kept "after its runs"
lt_log "PASS"
