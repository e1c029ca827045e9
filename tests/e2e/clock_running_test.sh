#!/usr/bin/env bash
# The running saver: "/s" is black in its first frames, then shows the clock
# of the moment (compared with the CPU reference; the sectors the second and
# minute hands sweep while the screenshot is taken are left out), and still
# ends on a key; "/p"
# draws the clock into a host window.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_start_xvfb 1280x720
compare="$LT_TOOLS/clock_compare"
now() { date +%s.%N; }
clock_of() { date -d "@$1" +%H:%M:%S.%N | cut -c1-12; }
# The picture on screen may be a frame or two behind the wall clock (frames
# are slow on a loaded machine with software rendering).
earlier() { awk -v t="$1" 'BEGIN { printf "%.3f", t - 2.0 }'; }

lt_case "/s: black at first, the clock after the fade-in"
t0=$(now)
lt_start_saver /s
win=$(lt_wait_window_of_pid "$LT_PID") || lt_fail "no window"
lt_screenshot "$LT_TMP/early.png"
t1=$(now)
early=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print (b - a < 2.5) ? 1 : 0 }')
if [ "$early" = 1 ]; then
  [ "$(/usr/bin/convert "$LT_TMP/early.png" -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)" = "0" ] ||
    lt_fail "a frame before 3 s of the timer is not black"
else
  lt_log "start-up took over 2.5 s on this machine: early frame not checked for black"
fi
sleep 6
before=$(now)
lt_screenshot "$LT_TMP/lit.png"
after=$(now)
"$compare" "$LT_TMP/lit.png" --time "$(clock_of "$(earlier "$before")")" --until "$(clock_of "$after")" ||
  lt_fail "the running clock differs from the reference"
xdotool key --window "$win" a
lt_expect_exit "$LT_PID" 5 "/s after a key"

lt_case "/p draws the clock into the host window"
lt_lock_instance
lt_start_host -size 400x300
LT_SAVER_TAG=preview lt_start_saver /p "$LT_HOST"
child=$(lt_wait_child_covering "$LT_HOST" 400 300 15) || lt_fail "no saver window inside the host"
sleep 6
read -r hx hy hw hh < <(lt_geometry "$LT_HOST")
before=$(now)
lt_screenshot "$LT_TMP/preview.png"
after=$(now)
"$compare" "$LT_TMP/preview.png" --rect "$hx,$hy,$hw,$hh" --time "$(clock_of "$(earlier "$before")")" \
  --until "$(clock_of "$after")" || lt_fail "the preview differs from the reference"
kill "$LT_HOST_PID"
lt_expect_exit "$LT_PID" 5 "/p after its host went away"
lt_log "PASS"
