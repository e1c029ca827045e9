#!/usr/bin/env bash
# Faults while the saver runs: its host window destroyed (preview and
# -window-id), a second instance, SIGTERM and SIGINT (also during set-up),
# a host shrunk to a single pixel and a full-screen window iconified by the
# window manager (a saver nobody sees ends). Each ends with status 0 (by the
# signal it was sent) and nothing left behind, or the saver keeps drawing
# where it should.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_lock_instance
lt_start_xvfb 640x480
unset XSCREENSAVER_WINDOW
lt_wait_for 30 eval '! lt_marker_held' || lt_fail "another process holds the instance marker"

# run_in_session ARGS...: the saver in a session of its own (LT_PID is also
# the session id), so that whatever it might start can be found afterwards.
run_in_session() {
  setsid "$LT_SAVER" "$@" >"$LT_TMP/saver.out" 2>"$LT_TMP/saver.err" &
  LT_PID=$!
  lt_track "$LT_PID"
}
# ended_cleanly WHAT [SECONDS [SIGNAL]]: the saver has ended with status 0
# (or by SIGNAL, the one it was sent) and left no process.
ended_cleanly() {
  if [ -n "${3:-}" ]; then
    lt_expect_stopped "$LT_PID" "$2" "$3" "$1"
  else
    lt_expect_exit "$LT_PID" "${2:-5}" "$1"
  fi
  pgrep -s "$LT_PID" >/dev/null && lt_fail "$1: processes left behind"
  return 0
}
# screen_changes X Y W H: two screenshots of the rectangle a second apart differ.
region_sum() { /usr/bin/import -window root -crop "$3x$4+$1+$2" rgb:- | md5sum; }
screen_changes() {
  local a
  a=$(region_sum "$@")
  sleep 1.2
  [ "$a" != "$(region_sum "$@")" ]
}

lt_case "the preview host destroyed while running"
lt_start_host -size 240x180
run_in_session /p "$LT_HOST"
lt_wait_child_covering "$LT_HOST" 240 180 20 >/dev/null || lt_fail "preview not in the host"
lt_marker_held || lt_fail "preview holds no marker"

lt_case "a second instance beside a running preview"
"$LT_SAVER" /p "$LT_HOST" >"$LT_TMP/second.out" 2>"$LT_TMP/second.err"
[ $? -eq 0 ] || lt_fail "second instance: status not 0"
[ -s "$LT_TMP/second.err" ] && lt_fail "second instance printed: $(cat "$LT_TMP/second.err")"
[ "$(lt_probe children "$LT_HOST" | wc -l)" = 1 ] || lt_fail "second instance drew into the host"

lt_case "the preview host destroyed while running (continued)"
kill -USR2 "$LT_HOST_PID"
ended_cleanly "after the host was destroyed"
lt_marker_held && lt_fail "marker outlived the preview"
kill "$LT_HOST_PID"; wait "$LT_HOST_PID"

lt_case "SIGTERM and SIGINT in -window-id mode leave the host empty"
lt_start_host -size 300x200 -resize 1x1
for sig in TERM INT; do
  run_in_session -window-id "$LT_HOST"
  lt_wait_child_covering "$LT_HOST" 300 200 20 >/dev/null || lt_fail "not drawn into the host"
  kill -"$sig" "$LT_PID"
  ended_cleanly "SIG$sig" 5 "$sig"
  [ -z "$(lt_probe children "$LT_HOST")" ] || lt_fail "SIG$sig: a window is left in the host"
  [ -s "$LT_TMP/saver.err" ] && lt_fail "SIG$sig: unexpected messages: $(cat "$LT_TMP/saver.err")"
done

lt_case "SIGTERM during set-up, before the first frame"
run_in_session -window-id "$LT_HOST"
sleep 0.2
kill -TERM "$LT_PID"
ended_cleanly "SIGTERM during set-up" 20 TERM

lt_case "a host shrunk to one pixel"
run_in_session -window-id "$LT_HOST"
lt_wait_child_covering "$LT_HOST" 300 200 20 >/dev/null || lt_fail "not drawn into the host"
kill -USR1 "$LT_HOST_PID"
lt_wait_child_covering "$LT_HOST" 1 1 10 >/dev/null || lt_fail "did not follow the host to 1x1"
lt_expect_running "$LT_PID" 1 "at 1x1"
kill -TERM "$LT_PID"
ended_cleanly "SIGTERM at 1x1" 5 TERM
kill "$LT_HOST_PID"; wait "$LT_HOST_PID"

lt_case "the full-screen window iconified under a window manager ends the saver"
lt_start_openbox
run_in_session /s
win=$(lt_wait_window_of_pid "$LT_PID" 20) || lt_fail "no window"
lt_wait_for 20 screen_changes 0 0 640 480 || lt_fail "no frames before iconifying"
xdotool windowminimize "$win" || lt_fail "could not iconify"
ended_cleanly "iconified" 5
lt_log "PASS"
