#!/usr/bin/env bash
# "/p HANDLE" under Wine with a host window of another process
# (preview_host): the saver's window over the host's client area, following
# its size, kept by keys and clicks (the settings dialog's), ended when the
# host is disabled; a host whose client area is empty, later grown, then
# destroyed while the saver runs (the dialog closing): no box, the saver
# follows and ends with status 0, no process left; no execution state held.
#   preview_test.sh ARCH NATIVE_BUILD
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/power_state.sh"
lt_wine_init "$@"
lt_start_xvfb "$LT_WINE_SCREEN"

# child_is PATTERN: the host has a child window whose line matches.
child_is() { lt_wine_ask children | grep -Eq "^child LumitickPreviewChild $1"; }
no_box() { ! lt_wine_ask boxes | grep -q '^box '; }

lt_case "/p makes its own window over the host's client area, no box"
lt_wine_host 320 240
LT_SAVER_TAG=p WINEDEBUG=$LT_POWER_DEBUG lt_wine_start /p "$LT_HOST"
# (Wine reports no pixel format for another process's window; a context
# that could not be made would have shown "Failed to open window".)
lt_wait_for 30 child_is '320x240 other .*visible' || lt_fail "children: $(lt_wine_ask children)"
no_box || lt_fail "a box: $(lt_wine_ask boxes)"
lt_alive "$LT_PID" || lt_fail "/p ended"

lt_case "/p follows the host's size"
lt_wine_ask "resize 400 300" >/dev/null
lt_wait_for 10 child_is '400x300 ' || lt_fail "children: $(lt_wine_ask children)"
lt_expect_running "$LT_PID" 1 "/p after the resize"

lt_case "/p keeps running after a key and a click in its window"
lt_wine_ask input | grep -q '^input LumitickPreviewChild$' || lt_fail "no input sent to the preview"
lt_expect_running "$LT_PID" 1.5 "/p after a key and a click"

lt_case "/p ends with status 0 when the host is disabled"
lt_wine_ask disable >/dev/null
lt_expect_exit "$LT_PID" 5 "/p with its host disabled"
lt_wine_ask quit >/dev/null
lt_no_power_hold "$LT_TMP/p.err" "/p"

lt_case "/p with an empty host area keeps running, no box"
lt_wine_host 0 0 popup
LT_SAVER_TAG=empty lt_wine_start /p "$LT_HOST"
lt_wait_for 30 child_is '0x0 ' || lt_fail "children: $(lt_wine_ask children)"
lt_expect_running "$LT_PID" 2 "/p with an empty host"
no_box || lt_fail "a box: $(lt_wine_ask boxes)"

lt_case "/p follows the host from an empty area to 200x150"
lt_wine_ask "resize 200 150" >/dev/null
lt_wait_for 10 child_is '200x150 ' || lt_fail "children: $(lt_wine_ask children)"
sleep 1

lt_case "/p ends with status 0 when its host is destroyed: no box, no process left"
lt_wine_ask destroy | grep -qx destroyed || lt_fail "the host could not destroy its window"
lt_expect_exit "$LT_PID" 10 "/p after its host was destroyed"
no_box || lt_fail "a box: $(lt_wine_ask boxes)"
left=$(pgrep -f "$(sed 's/[^A-Za-z0-9_-]/./g' <<<"$LT_SAVER")" || true)
[ -z "$left" ] || lt_fail "processes left: $left"
lt_log "PASS"
