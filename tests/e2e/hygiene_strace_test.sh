#!/usr/bin/env bash
# The running saver writes no file and opens no socket but its X connection
# and the instance marker (an abstract AF_UNIX name), in every mode it runs
# in here: no switch, "/s", "/p", "-window-id", "-root" and "/c", and writes
# nothing to standard output (a daemon's log, or the terminal). Checked
# with strace over the whole run, from start to the end on input or signal.
# And only the modes that build the textures run themselves again.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_lock_instance
command -v strace >/dev/null || lt_fail "strace is needed"
lt_start_xvfb 640x480
unset XSCREENSAVER_WINDOW
lt_wait_for 30 eval '! lt_marker_held' || lt_fail "another process holds the instance marker"
# A home of our own: whatever might be written under it would show here too.
export HOME="$LT_TMP/home"
mkdir -p "$HOME"
uid=$(id -u)
display_number="${DISPLAY#:}"

# traced_start ARGS...: the saver under strace; LT_PID is strace's pid and
# SAVER_PID the saver's.
traced_start() {
  strace -f -qq -o "$LT_TMP/trace" \
    -e trace=open,openat,openat2,creat,truncate,rename,renameat,renameat2,link,linkat,symlink,symlinkat,unlink,unlinkat,mkdir,mkdirat,socket,connect,bind,sendto,sendmsg \
    "$LT_SAVER" "$@" >"$LT_TMP/saver.out" 2>"$LT_TMP/saver.err" &
  LT_PID=$!
  lt_track "$LT_PID"
  lt_wait_for 30 saver_found || lt_fail "'$*': the saver did not start"
}
# strace forks short-lived children of its own to probe ptrace before it
# starts the saver, so the saver is the child that runs the saver's image.
saver_found() { SAVER_PID=$(pgrep -P "$LT_PID" -x "$(basename "$LT_SAVER" | cut -c1-15)" | head -n 1); [ -n "$SAVER_PID" ]; }

# check_trace WHAT: no file opened for writing or made, renamed or removed;
# sockets only of AF_UNIX, connected only to the X server, bound only to the
# marker's abstract name.
check_trace() {
  local t="$LT_TMP/trace" bad
  bad=$(grep -E '(open|openat|openat2)\(' "$t" | grep -E 'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND')
  [ -z "$bad" ] || lt_fail "$1: opened for writing: $bad"
  bad=$(grep -E '^[0-9]+ +(creat|truncate|rename|renameat2?|link|linkat|symlink|symlinkat|unlink|unlinkat|mkdir|mkdirat)\(' "$t")
  [ -z "$bad" ] || lt_fail "$1: changed the file system: $bad"
  bad=$(grep -E '^[0-9]+ +socket\(' "$t" | grep -v 'socket(AF_UNIX,')
  [ -z "$bad" ] || lt_fail "$1: a socket other than AF_UNIX: $bad"
  bad=$(grep -E '^[0-9]+ +connect\(' "$t" | grep -v "sun_path=@\?\"/tmp/.X11-unix/X$display_number\"")
  [ -z "$bad" ] || lt_fail "$1: connected elsewhere: $bad"
  bad=$(grep -E '^[0-9]+ +bind\(' "$t" | grep -v "sun_path=@\"K_OPENGL_SCREENSAVER\\.$uid\"")
  [ -z "$bad" ] || lt_fail "$1: bound elsewhere: $bad"
  bad=$(grep -E '^[0-9]+ +(sendto|sendmsg)\(' "$t" | grep -E 'sa_family=AF_(INET|INET6|NETLINK)')
  [ -z "$bad" ] || lt_fail "$1: sent to the network: $bad"
  grep -q 'connect(' "$t" || lt_fail "$1: the trace saw no X connection (is it complete?)"
  [ -z "$(find "$HOME" -mindepth 1 | head -n 1)" ] || lt_fail "$1: wrote under \$HOME: $(find "$HOME" -mindepth 1)"
  return 0
}

# run_mode WHAT ARGS...: starts the saver, lets it draw for a while and ends
# it with SIGTERM; it must end by that signal (strace ends the same way) and
# leave a clean trace.
run_mode() {
  local what="$1"; shift
  lt_case "$what"
  traced_start "$@"
  lt_expect_running "$LT_PID" 4 "$what"
  kill -TERM "$SAVER_PID"
  lt_expect_stopped "$LT_PID" 20 TERM "$what"
  check_trace "$what"
  [ -s "$LT_TMP/saver.out" ] && lt_fail "$what: wrote to stdout: $(head -c 300 "$LT_TMP/saver.out")"
  return 0
}

lt_case "only the modes that build the textures restart (glibc's huge-page tunable)"
for args in --help --version /c; do
  # shellcheck disable=SC2086
  (unset DISPLAY; strace -f -qq -e trace=execve -o "$LT_TMP/exec.trace" "$LT_SAVER" $args >/dev/null 2>&1)
  [ "$(grep -c 'execve(' "$LT_TMP/exec.trace")" = 1 ] || lt_fail "$args restarted: $(cat "$LT_TMP/exec.trace")"
done
(unset DISPLAY; strace -f -qq -e trace=execve -o "$LT_TMP/exec.trace" "$LT_SAVER" /s >/dev/null 2>&1)
[ "$(grep -c 'execve(' "$LT_TMP/exec.trace")" = 2 ] || lt_fail "/s did not restart once: $(cat "$LT_TMP/exec.trace")"

lt_start_host -size 320x240
run_mode "preview" /p "$LT_HOST"
run_mode "-window-id" -window-id "$LT_HOST"
XSCREENSAVER_WINDOW="$LT_HOST" run_mode "-root into \$XSCREENSAVER_WINDOW" -root
kill "$LT_HOST_PID"; wait "$LT_HOST_PID"
run_mode "/s" /s
run_mode "no switch" ""

lt_case "/s ended by a key"
traced_start /s
win=$(lt_wait_window_of_pid "$SAVER_PID" 60) || lt_fail "no window"
lt_expect_running "$LT_PID" 3 "/s"
xdotool key --window "$win" a
lt_expect_exit "$LT_PID" 20 "/s ended by a key"
check_trace "/s ended by a key"

lt_case "/c"
traced_start /c
about() { xdotool search --onlyvisible --name '^About$' 2>/dev/null | head -n 1 | grep .; }
lt_wait_for 20 about || lt_fail "no About window"
lt_probe close "$(about)"
lt_expect_exit "$LT_PID" 20 "/c"
check_trace "/c"
lt_log "PASS"
