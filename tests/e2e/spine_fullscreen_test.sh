#!/usr/bin/env bash
# The full-screen saver ("/s"): a window the size of the screen with the
# cursor hidden; mouse motion and the wheel leave it running; a key, a mouse
# button, Escape and a close request end it with status 0. Without a display
# it says so in one line and still ends with status 0.
# The X screen saver settings stay the user's; its timer still comes on,
# and ends the saver then covered.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_start_xvfb 1152x864
lt_probe paint-root ff00ff  # shows wherever the saver does not draw
xset s 123 456; LT_XSET=$(lt_xset)

# lt_saver_up ARGS...: starts the saver, waits for its window (LT_WIN) and
# parks the pointer in the middle of the screen.
lt_saver_up() {
  xdotool mousemove 576 432
  lt_start_saver "$@"
  LT_WIN="$(lt_wait_window_of_pid "$LT_PID" 20)" || lt_fail "no saver window"
  # The first frames are drawn once the window is mapped; input sent before
  # GLFW selected it would be lost, so wait until the picture is there.
  lt_wait_for 10 lt_none_of ff00ff 0 0 1152 864 || lt_fail "screen not covered"
  lt_xset_kept "while /s runs, or left so by the run before"
}

lt_case "/s fills the screen, hides the cursor, ignores motion and the wheel"
[ "$(lt_probe cursor)" != hidden ] || lt_fail "the bare screen's cursor is already hidden"
lt_saver_up /s
[ "$(lt_geometry "$LT_WIN")" = "0 0 1152 864" ] || lt_fail "geometry $(lt_geometry "$LT_WIN")"
[ "$(xdotool getwindowname "$LT_WIN")" = "Lumitick Screensaver" ] || lt_fail "title $(xdotool getwindowname "$LT_WIN")"
lt_wait_for 5 test "$(lt_probe cursor)" = hidden || lt_fail "cursor over the saver: $(lt_probe cursor)"
xdotool mousemove 10 10 mousemove 1100 800 mousemove_relative 5 5 mousemove 576 432
xdotool click 4 click 5 click 4  # wheel up, down, up
xdotool click 6 click 7          # horizontal wheel
lt_expect_running "$LT_PID" 0.5 "after motion and the wheel"

lt_case "a key press ends it"
xdotool key a
lt_expect_exit "$LT_PID" 5 "key press"

lt_case "a mouse click ends it"
lt_saver_up /s
xdotool click 3
lt_expect_exit "$LT_PID" 5 "right click"

lt_case "Escape ends it"
lt_saver_up /s
xdotool key Escape
lt_expect_exit "$LT_PID" 5 "Escape"

lt_case "a close request ends it"
lt_saver_up /s
lt_probe close "$LT_WIN" || lt_fail "close request not sent"
lt_expect_exit "$LT_PID" 5 "WM_DELETE_WINDOW"

lt_case "SIGTERM, SIGINT, SIGKILL and a fatal box end it"
for s in TERM INT KILL; do lt_saver_up /s; kill -$s "$LT_PID"; lt_wait_exit "$LT_PID" 5 || lt_fail "SIG$s: runs"; done
MESA_GL_VERSION_OVERRIDE=2.1 MESA_EXTENSION_OVERRIDE=-GL_ARB_texture_float "$LT_SAVER" /s 2>/dev/null; lt_xset_kept "after a fatal box"

lt_case "with xset s 2 the X screen saver comes on while /s runs, and /s then ends"
xset s 2; LT_XSET=$(lt_xset)
lt_saver_up /s
xdotool mousemove 570 430  # the idle time counts from here
lt_wait_for 10 eval '[ "$(lt_probe screen-saver)" = on ]' || lt_fail "the X screen saver is $(lt_probe screen-saver)"
lt_wait_exit "$LT_PID" 5 || lt_fail "still runs under the session's screen saver"
[ "$LT_STATUS" -eq 0 ] || lt_fail "status $LT_STATUS"

grep -q . "$LT_TMP/saver.err" && lt_fail "unexpected messages: $(cat "$LT_TMP/saver.err")"

lt_case "no display: one line, then status 0"
(unset DISPLAY; "$LT_SAVER" /s >"$LT_TMP/nodisplay.out" 2>"$LT_TMP/nodisplay.err")
status=$?
[ "$status" -eq 0 ] || lt_fail "status $status"
[ "$(cat "$LT_TMP/nodisplay.err")" = "lumitick: no display could be opened (DISPLAY is not set)" ] ||
  lt_fail "unexpected messages: $(cat "$LT_TMP/nodisplay.err")"

lt_log "PASS"
