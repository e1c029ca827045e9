#!/usr/bin/env bash
# "/s" under Wine on two monitors of an Xorg with the dummy driver (the
# Linux suite's): a clock on each at its own size, compared with the CPU
# reference; motion keeps it, a key ends it with every window gone; no
# execution state held. Under openbox, focus moves between its own windows
# keep it, and another program's window taking the focus ends it, on two
# monitors and on one. The 32-bit build runs the first case without the
# pictures (the same code as the 64-bit build's draws them).
#   monitors_test.sh ARCH NATIVE_BUILD
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/power_state.sh"
lt_wine_init "$@"
lt_start_xorg_dummy
two="0 0 1920 1080
1920 0 1280 1024"
windows_are() { [ "$(lt_wine_windows_at "Lumitick Screensaver")" = "$1" ]; }
# focus_taken: another program's window takes the focus; the saver must end
# with status 0 within two seconds.
focus_taken() {
  xmessage -center focus >/dev/null 2>&1 &
  lt_track $!
  lt_expect_exit "$LT_PID" 2 "focus taken by xmessage"
  kill $! 2>/dev/null
}

lt_case "two monitors: a clock on each; motion keeps it, a key ends it"
WINEDEBUG=$LT_POWER_DEBUG lt_wine_start /s
lt_wait_for 60 windows_are "$two" || lt_fail "windows: $(lt_wine_windows_at "Lumitick Screensaver")"
sleep "$LT_WINE_SETTLE"
[ "$LT_WINE_ARCH" = i686 ] || lt_compare_monitors "$LT_PID" 0,0,1920,1080 1920,0,1280,1024
xdotool mousemove 300 300 mousemove 2500 500 mousemove 900 500
lt_expect_running "$LT_PID" 1.5 "after mouse motion across the monitors"
xdotool key a
lt_expect_exit "$LT_PID" 10 "a key"
windows_are "" || lt_fail "windows left: $(lt_wine_windows_at "Lumitick Screensaver")"
lt_no_power_hold "$LT_TMP/saver.err" "/s on two monitors"
[ "$LT_WINE_ARCH" = x86_64 ] || { lt_log "PASS"; exit 0; }

lt_case "openbox: focus moves between its own windows keep it; another program's end it"
lt_start_openbox
lt_wine_start /s
lt_wait_for 60 windows_are "$two" || lt_fail "windows: $(lt_wine_windows_at "Lumitick Screensaver")"
sleep 2
for w in $(xdotool search --onlyvisible --name '^Lumitick Screensaver$'); do
  xdotool windowactivate --sync "$w" 2>/dev/null; sleep 0.3
done
lt_expect_running "$LT_PID" 1 "after focus moves between its windows"
focus_taken

lt_case "openbox: the same on one monitor"
xrandr --output DUMMY1 --off && xrandr >/dev/null
lt_wine_start /s
lt_wait_for 60 windows_are "0 0 1920 1080" || lt_fail "windows: $(lt_wine_windows_at "Lumitick Screensaver")"
sleep 2
focus_taken
lt_log "PASS"
