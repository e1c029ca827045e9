#!/usr/bin/env bash
# xscreensaver's conventions: "-window-id ID" and "-root" draw into the given
# window at its size, leave input to the daemon, end by SIGTERM or SIGINT
# when sent one, and end with status 0 when the window goes away; xsecurelock
# runs it, and its SIGUSR1 when the password prompt closes (a reset) leaves
# the same saver drawing.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
unset XSCREENSAVER_WINDOW
lt_start_xvfb 1024x768 -wr  # a white root: what the saver draws shows
xset s 123 456; LT_XSET=$(lt_xset)

lt_case "-window-id draws into the window and ignores input"
lt_start_host -size 400x300 -at 200,100 -resize 500x400
lt_start_saver -window-id "$LT_HOST"
lt_wait_child_covering "$LT_HOST" 400 300 20 >/dev/null || lt_fail "no child of the window's size"
lt_wait_for 10 lt_none_of ff00ff 200 100 400 300 || lt_fail "window not covered"
lt_all_of ffffff 0 0 200 768 || lt_fail "drawn outside the window"
xdotool mousemove 400 250 sleep 0.1 mousemove 420 260 click 1 click 3 key a key Escape
lt_expect_running "$LT_PID" 0.5 "after input"
kill -USR1 "$LT_HOST_PID"
lt_wait_child_covering "$LT_HOST" 500 400 10 >/dev/null || lt_fail "did not follow the resize"
kill -USR1 "$LT_PID"  # xsecurelock's reset
lt_expect_running "$LT_PID" 0.5 "after SIGUSR1"
kill -TERM "$LT_PID"
lt_expect_stopped "$LT_PID" 5 TERM "SIGTERM"
grep -q . "$LT_TMP/saver.err" && lt_fail "unexpected messages: $(cat "$LT_TMP/saver.err")"

lt_case "-window-id in hex; SIGINT ends it"
lt_start_saver -window-id "$(printf '0x%x' "$LT_HOST")"
lt_wait_child_covering "$LT_HOST" 500 400 20 >/dev/null || lt_fail "no child of the window's size"
kill -INT "$LT_PID"
lt_expect_stopped "$LT_PID" 5 INT "SIGINT"

lt_case "-root takes \$XSCREENSAVER_WINDOW; ends when the window goes away"
XSCREENSAVER_WINDOW="$LT_HOST" lt_start_saver -root
lt_wait_child_covering "$LT_HOST" 500 400 20 >/dev/null || lt_fail "not drawn into \$XSCREENSAVER_WINDOW"
lt_wait_for 20 lt_none_of ff00ff 200 100 500 400 || lt_fail "window not covered"
kill -USR2 "$LT_HOST_PID"
lt_expect_exit "$LT_PID" 1 "after the window was destroyed"
kill "$LT_HOST_PID"; wait "$LT_HOST_PID"

lt_case "-root alone draws over the whole screen"
root="$(xwininfo -root | awk '/Window id:/ { print $4; exit }')"
lt_probe paint-root ff00ff
lt_start_saver -root
lt_wait_child_covering "$root" 1024 768 20 >/dev/null || lt_fail "no child of the root's size"
lt_wait_for 10 lt_none_of ff00ff 0 0 1024 768 || lt_fail "screen not covered"
kill -TERM "$LT_PID"
lt_expect_stopped "$LT_PID" 5 TERM "-root, on SIGTERM"

lt_case "xsecurelock runs it; its reset signal after the password prompt leaves it drawing"
command -v xsecurelock >/dev/null || lt_fail "xsecurelock is not installed (scripts/install-deps.sh)"
saver="$(readlink -f "$LT_SAVER")"
# The prompt gives up after 1 s without input; then xsecurelock sends its
# saver SIGUSR1.
XSECURELOCK_SAVER="$saver" XSECURELOCK_SAVER_RESET_ON_AUTH_CLOSE=1 XSECURELOCK_AUTH_TIMEOUT=1 \
  XSECURELOCK_BLANK_TIMEOUT=-1 xsecurelock >"$LT_TMP/xsecurelock.out" 2>"$LT_TMP/xsecurelock.err" &
locker=$!
lt_track "$locker"
# The saver runs under xsecurelock's multiplexer, with -root.
parent_of() { ps -o ppid= -p "$1" | tr -d ' '; }
saver_of_locker() {
  local pid
  for pid in $(pgrep -x -f "$saver -root"); do
    [ "$(parent_of "$(parent_of "$pid")")" = "$locker" ] && { echo "$pid"; return 0; }
  done
  return 1
}
locker_tree() { ps -eo pid=,ppid=,stat=,args= | awk -v p="$locker" '$1 == p || $2 == p || k[$2] { k[$1] = 1; print }'; }
lt_wait_for 20 saver_of_locker || lt_fail "xsecurelock started no saver: $(locker_tree)"
hack=$(saver_of_locker)
lt_wait_for 20 eval '[ "$(lt_probe colour 0 0 1024 768)" = mixed ]' || lt_fail "nothing drawn under xsecurelock"
xdotool key space
lt_wait_for 5 pgrep -P "$locker" -x auth_x11 || lt_fail "no password prompt"
lt_wait_for 10 eval '! pgrep -P "$locker" -x auth_x11' || lt_fail "the password prompt did not give up"
lt_expect_running "$hack" 0.5 "after xsecurelock's reset"
[ "$(saver_of_locker)" = "$hack" ] || lt_fail "xsecurelock started another saver"
[ "$(lt_probe colour 0 0 1024 768)" = mixed ] || lt_fail "the screen went blank after the prompt"
kill -TERM "$locker"
lt_wait_exit "$locker" 10 || lt_fail "xsecurelock did not end"
lt_wait_for 10 eval '! lt_alive "$hack"' || lt_fail "the saver outlived xsecurelock"

lt_case "a window id that names no window"
lt_start_saver -window-id 0x7ffffff
lt_expect_exit "$LT_PID" 20 "bogus -window-id"
grep -qx "Failed to open window" "$LT_TMP/saver.err" || lt_fail "no 'Failed to open window'"

lt_xset_kept "after its runs"
lt_log "PASS"
