#!/usr/bin/env bash
# Start-up faults: no X display in every mode that opens a window, an OpenGL
# without texture storage or float textures, shaders that do not compile or
# link, window ids that name no window, and a window manager that died and
# left its check window's id on the root. Each ends with its message on
# stderr (the X11 form of the boxes), status 0 (a snapshot's is 1), and
# nothing left behind: no process of its session, no window on the display,
# no instance marker; after the dead window manager every drawing mode runs.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_lock_instance
lt_start_xvfb 640x480
unset XSCREENSAVER_WINDOW
lt_wait_for 30 eval '! lt_marker_held' || lt_fail "another process holds the instance marker"

root="$(xwininfo -root | awk '/Window id:/ { print $4; exit }')"
lt_probe children "$root" >"$LT_TMP/windows.before"

# fault_run SECONDS CMD...: runs CMD in a session of its own; it must end
# within SECONDS with status 0, leaving no process of that session, no
# window and no marker. Its stderr is then in $LT_TMP/fault.err.
fault_run() {
  local seconds="$1"; shift
  setsid "$@" >"$LT_TMP/fault.out" 2>"$LT_TMP/fault.err" &
  local pid=$!
  lt_track "$pid"
  lt_expect_exit "$pid" "$seconds" "$*"
  pgrep -s "$pid" >/dev/null && lt_fail "$*: processes left behind: $(pgrep -a -s "$pid")"
  if [ -n "${DISPLAY:-}" ]; then
    lt_probe children "$root" >"$LT_TMP/windows.after"
    cmp -s "$LT_TMP/windows.before" "$LT_TMP/windows.after" || lt_fail "$*: windows left behind"
  fi
  lt_marker_held && lt_fail "$*: the instance marker outlived it"
  return 0
}

# box_then TITLE TEXT: stderr holds a box TITLE whose text is TEXT (a regex
# for the whole first line of the text).
has_box() {
  awk -v t="=== $1 ===" -v re="^$2\$" 'prev == t && $0 ~ re { found = 1 } { prev = $0 } END { exit !found }' "$LT_TMP/fault.err"
}
ends_with() { [ "$(tail -n 1 "$LT_TMP/fault.err")" = "$1" ]; }

lt_case "no display, in every mode that opens a window: one line, status 0"
for args in "" "/s" "/p 1234" "-window-id 0x200001" "-root" "/c"; do
  # shellcheck disable=SC2086
  (unset DISPLAY; fault_run 10 "$LT_SAVER" $args) || exit 1
  [ "$(cat "$LT_TMP/fault.err")" = "lumitick: no display could be opened (DISPLAY is not set)" ] ||
    lt_fail "'$args': stderr is not the one line: $(cat "$LT_TMP/fault.err")"
  [ -s "$LT_TMP/fault.out" ] && lt_fail "'$args': wrote to stdout: $(cat "$LT_TMP/fault.out")"
done
(DISPLAY=:59999; fault_run 10 "$LT_SAVER" /s) || exit 1
[ "$(cat "$LT_TMP/fault.err")" = "lumitick: no display could be opened (DISPLAY=:59999)" ] ||
  lt_fail "a display that does not answer: $(cat "$LT_TMP/fault.err")"

lt_case "an OpenGL without texture storage, or without float textures: the saver's box, the snapshot's status 1"
for gl in "3.3COMPAT -GL_ARB_texture_storage glTexStorage2D" "2.1 -GL_ARB_texture_float GL_RGBA32F"; do
  read -r version off what <<<"$gl"
  for args in "/s" ""; do
    # shellcheck disable=SC2086
    MESA_GL_VERSION_OVERRIDE=$version MESA_EXTENSION_OVERRIDE=$off fault_run 20 "$LT_SAVER" $args
    has_box Debug ".*$what.*" || lt_fail "'$args': the missing $what is not named"
  done
  status=0
  MESA_GL_VERSION_OVERRIDE=$version MESA_EXTENSION_OVERRIDE=$off \
    "$LT_SAVER" --snapshot "$LT_TMP/missing.png" --size 64x36 >/dev/null 2>"$LT_TMP/fault.err" || status=$?
  [ "$status" = 1 ] && grep -q "^lumitick: .*$what" "$LT_TMP/fault.err" ||
    lt_fail "--snapshot without $what: status $status, $(cat "$LT_TMP/fault.err")"
done

lt_case "a vertex shader that does not compile"
fault_run 20 "$LT_TOOLS/reliability_saver" vertex /s
has_box Debug ".*error.*" || lt_fail "no compiler log"
ends_with "Vertex shader compilation error" || lt_fail "does not end with 'Vertex shader compilation error'"
[ "$(grep -c '^=== Debug ===$' "$LT_TMP/fault.err")" = 2 ] || lt_fail "not exactly two boxes"

lt_case "a fragment shader that does not compile, in preview"
lt_start_host -size 200x150
lt_probe children "$root" >"$LT_TMP/windows.before"
fault_run 20 "$LT_TOOLS/reliability_saver" fragment /p "$LT_HOST"
ends_with "Fragment shader compilation error" || lt_fail "does not end with 'Fragment shader compilation error'"
[ -z "$(lt_probe children "$LT_HOST")" ] || lt_fail "a window is left in the host"

lt_case "a program that does not link, with -window-id"
fault_run 20 "$LT_TOOLS/reliability_saver" link -window-id "$LT_HOST"
has_box Debug ".*main.*" || lt_fail "no link log"
ends_with "Shader program link error" || lt_fail "does not end with 'Shader program link error'"
[ -z "$(lt_probe children "$LT_HOST")" ] || lt_fail "a window is left in the host"
kill "$LT_HOST_PID"; wait "$LT_HOST_PID"
lt_probe children "$root" >"$LT_TMP/windows.before"

lt_case "preview handles that name no window"
for args in "/p 0x12345" "/p" "/p:" "/p 99999999" "/p -5"; do
  # shellcheck disable=SC2086
  fault_run 20 "$LT_SAVER" $args
  ends_with "Failed to open window" || lt_fail "'$args': does not end with 'Failed to open window'"
done
XSCREENSAVER_WINDOW=0x7fffff fault_run 20 "$LT_SAVER" -root
ends_with "Failed to open window" || lt_fail "-root with a bogus \$XSCREENSAVER_WINDOW"

lt_case "a window manager killed without cleaning up: every drawing mode runs"
# stale_wm: openbox started and killed; its check window's id stays on the
# root window, naming a window that is gone.
stale_wm() {
  lt_start_openbox
  local wm="${LT_PIDS[-1]}"
  kill -KILL "$wm"; wait "$wm" 2>/dev/null
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || lt_fail "no stale check window after killing openbox"
}
# no_abort WHAT: the saver's stderr shows no library assertion.
no_abort() { grep -q -i 'assert' "$LT_TMP/saver.err" && lt_fail "$1: $(cat "$LT_TMP/saver.err")"; return 0; }
stale_wm
lt_start_saver /s
win=$(lt_wait_window_of_pid "$LT_PID" 20) || { no_abort /s; lt_fail "/s: no window"; }
xdotool key --window "$win" a
lt_expect_exit "$LT_PID" 10 "/s"
no_abort /s
lt_start_host -size 200x150
for args in "/p $LT_HOST" "-window-id $LT_HOST" "-root"; do
  stale_wm
  # shellcheck disable=SC2086
  lt_start_saver $args
  where="$LT_HOST 200 150"
  [ "$args" = -root ] && where="$((root)) 640 480"
  # shellcheck disable=SC2086
  lt_wait_child_covering $where 20 >/dev/null || { no_abort "$args"; lt_fail "$args: drew nothing"; }
  kill -TERM "$LT_PID"
  lt_expect_stopped "$LT_PID" 10 TERM "$args"
  no_abort "$args"
done
stale_wm
"$LT_SAVER" --snapshot "$LT_TMP/stale.png" --size 64x36 >"$LT_TMP/saver.out" 2>"$LT_TMP/saver.err" ||
  { no_abort --snapshot; lt_fail "--snapshot: status $?"; }
[ -s "$LT_TMP/stale.png" ] || lt_fail "--snapshot wrote no picture"
# A check window that exists (its id given to another window since) but
# does not name itself.
lt_probe wm-check "$LT_HOST" || lt_fail "could not name a check window"
"$LT_SAVER" --snapshot "$LT_TMP/stale.png" --size 64x36 >"$LT_TMP/saver.out" 2>"$LT_TMP/saver.err" ||
  { no_abort "--snapshot, a window that does not name itself"; lt_fail "--snapshot: status $?"; }
lt_log "PASS"
