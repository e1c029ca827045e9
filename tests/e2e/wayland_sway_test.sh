#!/usr/bin/env bash
# The full-screen saver on a Wayland compositor: a headless sway with two
# outputs of different sizes, the second at scale 2. On its own road the
# saver puts a clock on each output (layer surfaces, compared with the CPU
# reference), over another program's full-screen window; an output added
# while it runs gets a clock; it holds the session awake in no way (a
# swayidle step armed while it runs fires on time); a key ends it with 0.
# Then the X11 road through sway's Xwayland, which puts every X11 window
# on the focused output: a clock there, a key ends it. A headless sway
# cannot take an output away (its outputs refuse to be disabled), a sway
# nested in it can: an output removed ends nothing, the one left keeps a
# clock at its new size, SIGUSR1 is ignored and SIGTERM ends it. (Without
# input devices the seat has no pointer: motion cannot be tried here.)
# And --wayland where no compositor answers fails with a reason.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_start_sway 2 "output HEADLESS-1 mode 1280x720 position 0 0
output HEADLESS-2 mode 1024x768 position 1280 0 scale 2
output HEADLESS-3 mode 640x480 position 0 720"
views_are() { [ "$(lt_sway_views | sort)" = "$1" ]; }

lt_case "layer surfaces over a full-screen window; an idle step on time; an output added; a key"
swaymsg focus output HEADLESS-1 >/dev/null
xmessage -name lumitick-other "another program" >/dev/null 2>&1 &
other=$!
lt_track $other
lt_wait_for 10 eval 'lt_sway_views | grep -q lumitick-other' || lt_fail "xmessage did not appear"
swaymsg '[instance="lumitick-other"] fullscreen enable' >/dev/null
lt_wait_for 5 views_are "HEADLESS-1 1 lumitick-other" || lt_fail "views: $(lt_sway_views)"
start=$(lt_now)
lt_start_saver /s
sleep 1
swayidle timeout 2 "touch $LT_TMP/idle" >/dev/null 2>&1 &
lt_track $!
swaymsg create_output >/dev/null
lt_wait_for 5 test -e "$LT_TMP/idle" || lt_fail "the idle step armed 2 s ago has not come after 5 s"
lt_alive "$LT_PID" || lt_fail "the saver ended"
views_are "HEADLESS-1 1 lumitick-other" || lt_fail "the saver took an X11 window: $(lt_sway_views)"
sleep "$(awk -v s="$start" -v n="$(lt_now)" 'BEGIN { d = s + 6.5 - n; print (d > 0 ? d : 0) }')"  # the fade-in
lt_compare_monitors "$LT_PID" @HEADLESS-1 @HEADLESS-2 @HEADLESS-3
wtype -s 800 -k a
lt_expect_exit "$LT_PID" 5 "a key"
kill "$other"

lt_case "--x11 through Xwayland: a clock on the focused output; a key ends it"
swaymsg focus output HEADLESS-3 >/dev/null
LT_SAVER_TAG=x11 lt_start_saver --x11 /s
lt_wait_for 20 eval 'lt_sway_views | grep -q "^HEADLESS-3 1 Lumitick Screensaver$"' || lt_fail "views: $(lt_sway_views)"
lt_log "X11 windows: $(lt_sway_views | tr '\n' ';')"
sleep 6
lt_compare_monitors "$LT_PID" @HEADLESS-3
wtype -s 800 -k a
lt_expect_exit "$LT_PID" 5 "a key through Xwayland"

lt_case "nested sway: an output removed, the other resized; SIGUSR1, SIGTERM"
lt_start_sway 2 "" nested
LT_SAVER_TAG=nested lt_start_saver /s
sleep 2
SWAYSOCK=$LT_SWAY_OUTER swaymsg '[title="wlroots - WL-2"] kill' >/dev/null
lt_wait_for 5 eval '! swaymsg -t get_outputs | grep -q WL-2' || lt_fail "WL-2 was not removed"
kill -USR1 "$LT_PID"
lt_expect_running "$LT_PID" 1 "after an output was removed and SIGUSR1"
sleep 3
lt_compare_monitors "$LT_PID" @WL-1
kill -TERM "$LT_PID"
lt_expect_stopped "$LT_PID" 5 TERM "on SIGTERM"

lt_case "--wayland without a compositor"
WAYLAND_DISPLAY=lumitick-none "$LT_SAVER" --wayland /s >/dev/null 2>"$LT_TMP/none.err"
[ $? = 1 ] && grep -q "^lumitick: --wayland: no Wayland compositor" "$LT_TMP/none.err" ||
  lt_fail "--wayland without a compositor: $(cat "$LT_TMP/none.err")"

for f in saver x11 nested; do
  grep -v '^- Plane001' "$LT_TMP/$f.out" | grep -q . && lt_fail "unexpected output: $(cat "$LT_TMP/$f.out")"
  grep -q . "$LT_TMP/$f.err" && lt_fail "unexpected messages: $(cat "$LT_TMP/$f.err")"
done
lt_log "PASS"
