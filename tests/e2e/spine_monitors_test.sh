#!/usr/bin/env bash
# The full-screen saver on several monitors (Xorg with the dummy driver):
# a clock on each monitor at its own size, compared with the CPU reference;
# mouse motion keeps it, a key ends it with every window gone; a monitor
# connected at run time gets a clock, and its window goes when the monitor
# does. With a window manager, another program's window taking the focus
# ends the saver within a second, on two monitors and on one; moving the
# focus between the saver's own windows does not.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
lt_start_xorg_dummy
xset s 123 456; LT_XSET=$(lt_xset)
two="0 0 1920 1080
1920 0 1280 1024"

# windows_are LIST: the saver's windows are at exactly these places.
windows_are() { [ "$(lt_windows_at "$LT_PID")" = "$1" ]; }
window_count_is() { [ "$(lt_windows_at "$LT_PID" | wc -l)" = "$1" ]; }

lt_case "no window manager: a clock on each monitor; motion keeps it, a key ends it"
lt_start_saver /s
lt_wait_for 20 windows_are "$two" || lt_fail "windows: $(lt_windows_at "$LT_PID")"
sleep 6  # past the fade-in
lt_compare_monitors "$LT_PID" 0,0,1920,1080 1920,0,1280,1024
xdotool mousemove 100 100 mousemove 2500 500 mousemove 900 500
lt_expect_running "$LT_PID" 0.5 "after mouse motion across the monitors"
xdotool key a
lt_expect_exit "$LT_PID" 5 "a key"

lt_case "openbox: a monitor added and removed at run time"
lt_start_openbox
lt_start_saver /s
lt_wait_for 20 windows_are "$two" || lt_fail "windows: $(lt_windows_at "$LT_PID")"
# (The dummy driver tells its clients of an output's new state once the
# outputs are probed, as a real driver does on a hotplug: xrandr's query.)
xrandr --addmode DUMMY2 1024x768 && xrandr --output DUMMY2 --mode 1024x768 --pos 3200x0 && xrandr >/dev/null ||
  lt_fail "xrandr could not add a monitor"
lt_wait_for 10 window_count_is 3 || lt_fail "no window on the added monitor: $(lt_windows_at "$LT_PID")"
lt_windows_at "$LT_PID" | grep -qx "3200 0 1024 768" || lt_fail "windows: $(lt_windows_at "$LT_PID")"
lt_xset_kept "after a monitor was added"
sleep 6
lt_compare_monitors "$LT_PID" 0,0,1920,1080 1920,0,1280,1024 3200,0,1024,768
xrandr --output DUMMY2 --off && xrandr >/dev/null
lt_wait_for 10 windows_are "$two" || lt_fail "after the removal: $(lt_windows_at "$LT_PID")"
lt_expect_running "$LT_PID" 1.5 "after a monitor was removed"

lt_case "openbox: focus moves between the saver's windows keep it"
for w in $(lt_windows_of_pid "$LT_PID") $(lt_windows_of_pid "$LT_PID"); do
  xdotool windowactivate --sync "$w" 2>/dev/null
done
lt_expect_running "$LT_PID" 1 "after focus moves between its windows"

lt_case "openbox: another program's window takes the focus, two monitors"
xmessage -center "focus" >/dev/null 2>&1 &
lt_track $!
lt_expect_exit "$LT_PID" 1.5 "focus taken by xmessage"
kill $! 2>/dev/null

lt_case "openbox: the same on one monitor"
xrandr --output DUMMY1 --off && xrandr >/dev/null
lt_start_saver /s
lt_wait_for 20 windows_are "0 0 1920 1080" || lt_fail "windows: $(lt_windows_at "$LT_PID")"
lt_expect_running "$LT_PID" 1 "one monitor, before the focus moves"
xmessage -center "focus" >/dev/null 2>&1 &
lt_track $!
lt_expect_exit "$LT_PID" 1.5 "focus taken by xmessage"

lt_xset_kept "after the focus was lost"
grep -v '^- Plane001' "$LT_TMP"/saver.out | grep -q . && lt_fail "unexpected output: $(cat "$LT_TMP"/saver.out)"
grep -q . "$LT_TMP/saver.err" && lt_fail "unexpected messages: $(cat "$LT_TMP/saver.err")"
lt_log "PASS"
