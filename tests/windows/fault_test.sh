#!/usr/bin/env bash
# Failures under Wine, each said in a box (read and closed through the
# preview host) and ended with status 0, no process left: "/p" with a handle
# that names no window ("Failed to open window"); "/s" on an OpenGL without
# texture storage (Mesa behind Wine's opengl32, told to report 3.3 without
# the extension): the box names glTexStorage2D; on one without float
# textures (2.1 without GL_ARB_texture_float): the box names them.
#   fault_test.sh ARCH NATIVE_BUILD
source "$(dirname "$0")/../e2e/lib.sh"
lt_wine_init "$@"
lt_start_xvfb "$LT_WINE_SCREEN"
lt_wine_host 320 240

# boxes_of TAG ARGS...: runs the saver to its end (its status through a
# file: bash has been seen to lose it to its reaping while the host is
# being asked); LT_BOXES, and LT_STATUS.
boxes_of() {
  local tag=$1
  shift
  ( "$LT_WINE_RUN" "$LT_SAVER" "$@" >"$LT_TMP/$tag.out" 2>&1; echo $? >"$LT_TMP/$tag.rc" ) &
  lt_track $!
  lt_wine_boxes $! 60
  LT_STATUS=$(cat "$LT_TMP/$tag.rc" 2>/dev/null || echo none)
  lt_log "$tag: boxes '$LT_BOXES', status $LT_STATUS"
}
no_saver_left() { ! pgrep -f "$(sed 's/[^A-Za-z0-9_-]/./g' <<<"$LT_SAVER")" >/dev/null; }

lt_case "/p with a bogus handle: \"Failed to open window\", status 0"
boxes_of bogus /p 305419896
[ "$LT_BOXES" = "box Debug|Failed to open window" ] && [ "$LT_STATUS" = 0 ] || lt_fail "boxes '$LT_BOXES', status $LT_STATUS"

lt_case "/s without texture storage: a box names glTexStorage2D, status 0, no process left"
MESA_GL_VERSION_OVERRIDE=3.3COMPAT MESA_EXTENSION_OVERRIDE=-GL_ARB_texture_storage boxes_of nostorage /s
grep -q '^box Debug|.*glTexStorage2D' <<<"$LT_BOXES" && [ "$LT_STATUS" = 0 ] || lt_fail "boxes '$LT_BOXES', status $LT_STATUS"
lt_wait_for 5 no_saver_left || lt_fail "processes left: $(pgrep -af Lumitick)"

lt_case "/s without float textures: a box names them, status 0, no process left"
MESA_GL_VERSION_OVERRIDE=2.1 MESA_EXTENSION_OVERRIDE=-GL_ARB_texture_float boxes_of nofloat /s
grep -q '^box Debug|.*float textures (GL_RGBA32F)' <<<"$LT_BOXES" && [ "$LT_STATUS" = 0 ] ||
  lt_fail "boxes '$LT_BOXES', status $LT_STATUS"
lt_wait_for 5 no_saver_left || lt_fail "processes left: $(pgrep -af Lumitick)"
lt_log "PASS"
