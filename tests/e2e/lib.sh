# Helpers for the end-to-end scripts. Source it from a script that ctest runs
# as `bash script <path of lumitick> <build dir>`:
#
#   source "$(dirname "$0")/lib.sh"
#   lt_init "$@"                  # LT_SAVER, LT_BUILD, LT_TOOLS, LT_TMP; cleanup on exit
#   lt_start_xvfb 1280x720        # an Xvfb of our own on a free display; sets DISPLAY
#   lt_start_saver /s             # sets LT_PID; stdout/stderr in $LT_TMP/saver.{out,err}
#   win=$(lt_wait_window_of_pid "$LT_PID")
#   lt_wait_exit "$LT_PID" 5 || lt_fail "saver still running"; [ "$LT_STATUS" = 0 ]
#   kill -TERM "$LT_PID"; lt_expect_stopped "$LT_PID" 5 TERM "on SIGTERM"
#
# Every wait polls a condition until a timeout instead of sleeping for a fixed
# time, so the scripts stay quick on an idle machine and hold on a loaded one.
# The timeouts scale with LT_TIMEOUT_SCALE (default 1).

set -uo pipefail

LT_PIDS=()
LT_CASE="(setup)"

lt_log() { echo "[$(date +%T.%N | cut -c1-12)] $*" >&2; }

lt_fail() {
  lt_log "FAIL in $LT_CASE: $*"
  if [ -n "${LT_TMP:-}" ]; then
    for f in "$LT_TMP"/*.err "$LT_TMP"/*.out; do
      [ -s "$f" ] && { echo "--- $f" >&2; tail -n 20 "$f" >&2; }
    done
  fi
  exit 1
}

# Names the case that follows in log and failure lines.
lt_case() {
  LT_CASE="$*"
  lt_log "case: $*"
}

lt_cleanup() {
  local pid
  for pid in "${LT_PIDS[@]}"; do
    kill -KILL "$pid" 2>/dev/null
  done
  for pid in "${LT_PIDS[@]}"; do
    wait "$pid" 2>/dev/null
  done
  [ -n "${LT_TMP:-}" ] && [ -z "${LT_KEEP_TMP:-}" ] && rm -rf "$LT_TMP"
  return 0
}

# lt_init SAVER BUILD_DIR
lt_init() {
  LT_SAVER="${1:?path of lumitick}"
  LT_BUILD="${2:-${LUMITICK_TEST_BIN_DIR:-$(dirname "$LT_SAVER")}}"
  LT_TOOLS="$LT_BUILD/tests"
  LT_TMP="$(mktemp -d "${TMPDIR:-/tmp}/lumitick-e2e.XXXXXX")"
  LT_SCALE="${LT_TIMEOUT_SCALE:-1}"
  [ -f "$LT_SAVER" ] || lt_fail "no saver at $LT_SAVER"
  # Caches (Mesa's compiled shaders among them) go to the test's own folder,
  # not to the home of whoever runs the tests.
  export XDG_CACHE_HOME="$LT_TMP/cache"
  # The X11 cases run on displays of their own, also from a Wayland
  # session (lt_start_sway sets its own).
  unset WAYLAND_DISPLAY
  trap lt_cleanup EXIT
  trap 'exit 130' INT TERM
}

# lt_start_openbox: a window manager on the test's display, with a home of
# the test's own; returns once it manages the screen.
lt_start_openbox() {
  export HOME="$LT_TMP/home"
  mkdir -p "$HOME"
  openbox --sm-disable >"$LT_TMP/openbox.out" 2>"$LT_TMP/openbox.err" &
  lt_track $!
  lt_wait_for 15 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || lt_fail "openbox did not start"
}

# Remembers a background process so that it is killed when the script ends.
lt_track() { LT_PIDS+=("$1"); }

# Seconds scaled by LT_TIMEOUT_SCALE, as a whole number of tenths of a second.
lt_tenths() { awk -v s="$1" -v k="$LT_SCALE" 'BEGIN { printf "%d", s * k * 10 + 0.5 }'; }

# lt_wait_for SECONDS CMD...: runs CMD every 50 ms until it succeeds; fails
# (status 1) when SECONDS have passed.
lt_wait_for() {
  local limit
  limit=$(( $(lt_tenths "$1") * 2 )); shift
  local i
  for (( i = 0; i < limit; ++i )); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  "$@" >/dev/null 2>&1
}

# lt_start_xvfb WIDTHxHEIGHT [Xvfb options]: starts an Xvfb of our own on a
# free display (the server picks it: -displayfd) and exports DISPLAY. The
# root window is black unless an option says otherwise (-wr: white). With
# LT_XVFB_NORESET set empty the server resets whenever its last client
# leaves, as xvfb-run's does.
lt_start_xvfb() {
  local size="${1:-1280x720}"
  shift
  local fifo="$LT_TMP/displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp ${LT_XVFB_NORESET--noreset} "$@" 3>"$fifo" >"$LT_TMP/xvfb.log" 2>&1 &
  LT_XVFB_PID=$!
  lt_track "$LT_XVFB_PID"
  local number=""
  # The read ends when Xvfb writes the number, or with EOF when it dies.
  read -r -t "$(( $(lt_tenths 20) / 10 + 1 ))" number <"$fifo"
  [ -n "$number" ] || lt_fail "Xvfb did not start: $(cat "$LT_TMP/xvfb.log")"
  export DISPLAY=":$number"
  unset XAUTHORITY
  lt_wait_for 10 xdpyinfo || lt_fail "display $DISPLAY does not answer"
  lt_log "Xvfb $size on $DISPLAY"
}

# lt_start_saver ARGS...: starts the saver in the background; LT_PID is its
# pid, its output goes to $LT_TMP/saver.out and saver.err (or to the files
# named by LT_SAVER_TAG: $LT_TMP/$LT_SAVER_TAG.{out,err}).
lt_start_saver() {
  local tag="${LT_SAVER_TAG:-saver}"
  "$LT_SAVER" "$@" >"$LT_TMP/$tag.out" 2>"$LT_TMP/$tag.err" &
  LT_PID=$!
  lt_track "$LT_PID"
}

# lt_alive PID: true while PID runs (and has not been reaped).
lt_alive() { kill -0 "$1" 2>/dev/null; }

# lt_wait_exit PID SECONDS: waits for PID to end; LT_STATUS is then its exit
# status. Status 1 when it is still running after SECONDS.
lt_wait_exit() {
  local pid="$1"
  local limit
  limit=$(( $(lt_tenths "$2") * 2 ))
  local i
  for (( i = 0; i < limit; ++i )); do
    if ! lt_alive "$pid"; then
      wait "$pid" 2>/dev/null
      LT_STATUS=$?
      return 0
    fi
    sleep 0.05
  done
  lt_alive "$pid" && return 1
  wait "$pid" 2>/dev/null
  LT_STATUS=$?
  return 0
}

# lt_expect_exit PID SECONDS WHAT: the process must end within SECONDS with
# status 0.
lt_expect_exit() {
  lt_wait_exit "$1" "$2" || lt_fail "$3: still running after $2 s"
  [ "$LT_STATUS" -eq 0 ] || lt_fail "$3: exit status $LT_STATUS, expected 0"
}

# lt_expect_stopped PID SECONDS SIGNAL WHAT: the process, sent SIGNAL (TERM
# or INT), must end within SECONDS by that signal, as a saver stopped from
# outside does (xscreensaver counts that as a hack's normal end).
lt_expect_stopped() {
  lt_wait_exit "$1" "$2" || lt_fail "$4: still running after $2 s"
  local want=$((128 + $(kill -l "$3")))
  [ "$LT_STATUS" -eq "$want" ] || lt_fail "$4: status $LT_STATUS, expected $want (ended by SIG$3)"
}

# lt_expect_running PID SECONDS WHAT: the process must still run after
# SECONDS (the one place where waiting out a time is the test itself).
lt_expect_running() {
  sleep "$(awk -v s="$2" -v k="$LT_SCALE" 'BEGIN { print s * k }')"
  lt_alive "$1" || { wait "$1" 2>/dev/null; lt_fail "$3: ended with status $?"; }
}

# The ids of the viewable windows whose _NET_WM_PID is PID (GLFW sets it).
lt_windows_of_pid() { xdotool search --onlyvisible --pid "$1" 2>/dev/null; }

# lt_wait_window_of_pid PID [SECONDS]: prints the id of PID's first viewable
# window once there is one.
lt_wait_window_of_pid() {
  lt_wait_for "${2:-15}" lt_windows_of_pid "$1" || return 1
  lt_windows_of_pid "$1" | head -n 1
}

# lt_geometry WINDOW: prints "X Y W H" (absolute position and size).
lt_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
    END { if (w == "") exit 1; print x, y, w, h }'
}

# lt_screen_size: prints "W H" of the display.
lt_screen_size() { xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2]; exit }'; }

# lt_screenshot FILE: the whole screen as PNG.
lt_screenshot() { /usr/bin/import -window root "$1"; }

# lt_start_host [host_window options]: starts the test host window; LT_HOST_PID
# and LT_HOST (its window id) are set once it is mapped.
lt_start_host() {
  local out="$LT_TMP/host.out"
  : >"$out"
  "$LT_TOOLS/host_window" "$@" >"$out" 2>"$LT_TMP/host.err" &
  LT_HOST_PID=$!
  lt_track "$LT_HOST_PID"
  lt_wait_for 10 test -s "$out" || lt_fail "host window did not appear"
  LT_HOST="$(head -n 1 "$out")"
}

# lt_host_said TEXT: true when the host window printed a line TEXT.
lt_host_said() { grep -qx "$1" "$LT_TMP/host.out"; }

# x11_probe, the scripts' little X11 helper (tests/tools/x11_probe.cpp).
lt_probe() { "$LT_TOOLS/x11_probe" "$@"; }

# lt_wait_child_covering WINDOW W H [SECONDS]: waits until WINDOW has a
# viewable child at 0,0 of size W x H; prints its id.
lt_child_covering() {
  lt_probe children "$1" | awk -v w="$2" -v h="$3" '$2 == 0 && $3 == 0 && $4 == w && $5 == h && $6 == "viewable" { print $1; found = 1 } END { exit !found }'
}
lt_wait_child_covering() {
  lt_wait_for "${4:-10}" lt_child_covering "$1" "$2" "$3" || return 1
  lt_child_covering "$1" "$2" "$3" | head -n 1
}

# lt_colour_is RRGGBB X Y W H: true when that screen rectangle is uniformly
# of that colour.
lt_colour_is() {
  local want="$1"; shift
  [ "$(lt_probe colour "$@")" = "$want" ]
}

# lt_all_of RRGGBB X Y W H: true when every pixel of that screen rectangle
# has that colour; lt_none_of: when none has.
lt_all_of() { [ "$(lt_probe count "$@")" = "$(( $4 * $5 ))" ]; }
lt_none_of() { [ "$(lt_probe count "$@")" = 0 ]; }

# The single-instance marker is per user, so scripts that start the saver in
# the modes that take it (no switch, "/p") must not overlap. lt_lock_instance
# holds a per-user lock for the rest of the script.
lt_lock_instance() {
  local lock="${XDG_RUNTIME_DIR:-/tmp}/lumitick-e2e-instance.$(id -u).lock"
  exec 9>"$lock"
  flock -w "$(( $(lt_tenths 240) / 10 ))" 9 || lt_fail "could not get $lock"
}

# lt_marker_held: true while some process holds the saver's instance marker.
lt_marker_held() { grep -q "@K_OPENGL_SCREENSAVER\.$(id -u)\$" /proc/net/unix; }

# lt_start_xorg_dummy: an Xorg of our own with two monitors (DUMMY0 1920 x
# 1080 at 0,0, primary; DUMMY1 1280 x 1024 at 1920,0; see xorg_dummy.sh);
# exports DISPLAY.
lt_start_xorg_dummy() {
  source "$(dirname "${BASH_SOURCE[0]}")/xorg_dummy.sh"
  xorg_dummy_start "$LT_TMP/xorg" || lt_fail "Xorg with the dummy driver did not start: $(tail -n 5 "$LT_TMP/xorg/xorg.log" 2>/dev/null)"
  lt_track "$XORG_DUMMY_PID"
  export DISPLAY=$XORG_DUMMY_DISPLAY
  unset XAUTHORITY
  lt_wait_for 10 xdpyinfo || lt_fail "display $DISPLAY does not answer"
  lt_log "Xorg (dummy, two monitors) on $DISPLAY"
}

# lt_windows_at PID: "X Y W H" of each of PID's viewable windows, sorted.
lt_windows_at() {
  local w
  for w in $(lt_windows_of_pid "$1"); do lt_geometry "$w"; done | sort
}

# The clock of a moment, as clock_compare takes it: lt_clock_of EPOCH_SECONDS.
lt_now() { date +%s.%N; }
lt_clock_of() { date -d "@$1" +%H:%M:%S.%N | cut -c1-12; }

# lt_shows_clock NAME [clock_compare options]: a screenshot $LT_TMP/NAME.png
# shows the clock of the moment, compared with the CPU reference; the picture
# may lag 2 s behind the wall clock. clock_compare's report in NAME.compare.
lt_shows_clock() {
  local name="$1" before after
  shift
  before=$(lt_now)
  lt_screenshot "$LT_TMP/$name.png"
  after=$(lt_now)
  "$LT_TOOLS/clock_compare" "$LT_TMP/$name.png" "$@" \
    --time "$(lt_clock_of "$(awk -v t="$before" 'BEGIN { printf "%.3f", t - 2.0 }')")" \
    --until "$(lt_clock_of "$after")" >"$LT_TMP/$name.compare" 2>&1
}

# lt_compare_monitors PID RECT...: a screenshot, each rectangle "X,Y,W,H"
# compared with the reference of the moment at its own size; a RECT
# "@OUTPUT" is a Wayland compositor's output, taken whole (grim -o). PID is
# stopped meanwhile: a capture of several monitors takes a while, and
# frames drawn during it would tear it. A loaded machine may leave a frame
# on screen longer than the lag allowed: up to three screenshots; a saver
# that draws no clock fails every one.
lt_compare_monitors() {
  local pid="$1" at rect try ok
  shift
  for try in 1 2 3; do
    kill -STOP "$pid"
    at=$(lt_now)
    case "$*" in *[0-9],*) lt_screenshot "$LT_TMP/monitors.png" ;; esac
    for rect in "$@"; do
      [ "${rect#@}" = "$rect" ] || grim -o "${rect#@}" "$LT_TMP/${rect#@}.png"
    done
    kill -CONT "$pid"
    ok=1
    for rect in "$@"; do
      local shot=(--rect "$rect") file=$LT_TMP/monitors.png
      [ "${rect#@}" = "$rect" ] || { shot=(); file=$LT_TMP/${rect#@}.png; }
      "$LT_TOOLS/clock_compare" "$file" "${shot[@]}" \
        --time "$(lt_clock_of "$(awk -v t="$at" 'BEGIN { printf "%.3f", t - 2.0 }')")" \
        --until "$(lt_clock_of "$at")" >"$LT_TMP/monitors.compare" 2>&1 || { ok=0; break; }
      lt_log "the clock at $rect: $(head -n 1 "$LT_TMP/monitors.compare" | sed 's/.*pixels: //')"
    done
    [ $ok = 1 ] && return 0
    lt_log "screenshot $try: the clock at $rect: $(tail -n 1 "$LT_TMP/monitors.compare")"
    sleep 1
  done
  lt_fail "the clock at $rect differs from the reference: $(head -n 3 "$LT_TMP/monitors.compare")"
}

# lt_start_sway COUNT CONFIG [nested]: a sway of our own (software
# renderer, no input devices) with COUNT outputs, configured by the text
# CONFIG: headless, or with "nested" its outputs are windows of the sway
# running now (whose SWAYSOCK is then LT_SWAY_OUTER). Sway refuses to run as
# root: it runs as nobody, in a runtime folder of its own ($LT_TMP/wl),
# which its clients here (root) reach as well. Exports XDG_RUNTIME_DIR,
# WAYLAND_DISPLAY and SWAYSOCK; a headless one also DISPLAY, its Xwayland,
# which lets root in. LT_SWAY_PID is its process.
lt_start_sway() {
  local run="$LT_TMP/wl" env=(WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS="$1") before pid
  [ "${3:-}" = nested ] && env=(WLR_BACKENDS=wayland WLR_WL_OUTPUTS="$1" WAYLAND_DISPLAY="$WAYLAND_DISPLAY") &&
    LT_SWAY_OUTER=$SWAYSOCK
  chmod o+x "$LT_TMP"
  mkdir -p "$run" && chown nobody:nogroup "$run" && chmod 700 "$run"
  printf '%s\n' "$2" >"$run/config.${3:-headless}"
  before=$(cd "$run" && ls -d wayland-? wayland-?? 2>/dev/null)
  setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$run" HOME="$run" \
    "${env[@]}" WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$run/config.${3:-headless}" >"$LT_TMP/sway.out" 2>>"$LT_TMP/sway.err" &
  pid=$!
  lt_track $pid
  LT_SWAY_PID=$pid
  export XDG_RUNTIME_DIR="$run"
  SWAYSOCK=$run/sway-ipc.$(id -u nobody).$pid.sock
  lt_wait_for 20 test -S "$SWAYSOCK" || lt_fail "sway did not start"
  WAYLAND_DISPLAY=$(cd "$run" && ls -d wayland-? wayland-?? 2>/dev/null | grep -vxF "$before" | head -n 1)
  export SWAYSOCK WAYLAND_DISPLAY
  lt_log "sway ${3:-headless} on $WAYLAND_DISPLAY"
  [ "${3:-}" = nested ] && return 0
  swaymsg exec "xhost +si:localuser:root >$run/xhost 2>&1 && env >$run/env" >/dev/null || lt_fail "swaymsg does not reach sway"
  lt_wait_for 20 grep -q '^DISPLAY=' "$run/env" || lt_fail "no Xwayland: $(cat "$run/xhost" 2>/dev/null)"
  export DISPLAY=$(sed -n 's/^DISPLAY=//p' "$run/env")
  unset XAUTHORITY
  lt_log "its Xwayland on $DISPLAY"
}

# lt_sway_views: "OUTPUT FULLSCREEN NAME" of each of sway's windows.
lt_sway_views() {
  swaymsg -t get_tree | python3 -c '
import json, sys
def walk(n, out):
    out = n["name"] if n.get("type") == "output" else out
    if n.get("pid"): print(out, n.get("fullscreen_mode", 0), n.get("name"))
    for c in n.get("nodes", []) + n.get("floating_nodes", []): walk(c, out)
walk(json.load(sys.stdin), None)'
}

# The X screen saver settings in one line; lt_xset_kept WHEN: still $LT_XSET.
lt_xset() { xset q | grep -A2 '^Screen Saver' | tr -s ' \n' ' '; }
lt_xset_kept() { [ "$(lt_xset)" = "$LT_XSET" ] || lt_fail "$1: the X screen saver settings read $(lt_xset)"; }

# lt_pixel X Y: "R G B" of that screen pixel.
lt_pixel() {
  /usr/bin/import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | tail -n 1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}
# lt_near "R G B" "R G B" TOLERANCE: no channel differs by more.
lt_near() {
  local a=($1) b=($2) i d
  for i in 0 1 2; do
    d=$((a[i] - b[i]))
    [ ${d#-} -le "$3" ] || return 1
  done
}

# ---- The Windows builds under Wine (tests/windows/*_test.sh) ----
#
#   source "$(dirname "$0")/../e2e/lib.sh"
#   lt_wine_init ARCH NATIVE_BUILD  # LT_SAVER = build/windows-ARCH/Lumitick.scr,
#                                   # its prefix, the 32-bit Wine for i686
#   lt_start_xvfb "$LT_WINE_SCREEN"
#   lt_wine_start /s                # LT_PID
#   lt_wait_for 60 lt_wine_window "Lumitick Screensaver"
#
# The i686 build runs with the 32-bit Wine of scripts/wine32-sysroot.sh;
# where the kernel runs no 32-bit programs (or LUMITICK_WIN32_EMULATE=1),
# through its qemu-i386, registered with binfmt_misc for the length of the
# case under a name of its own. Emulated, the screen is smaller and the
# time limits three times as long. A case that cannot have the 32-bit Wine
# is skipped (status 77), or fails with LUMITICK_REQUIRE_WIN32=1.

LT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
LT_WINE_RUN=$LT_ROOT/tests/windows/wine-run.sh
LT_WINESERVER=/usr/lib/wine/wineserver
LT_BINFMT=/proc/sys/fs/binfmt_misc
LT_BINFMT_ENTRY=""
# A Wine program run directly, as wine-run.sh runs them (no address
# randomization: see there).
lt_wine_direct() { setarch "$(uname -m)" -R "$@"; }

lt_skip() {
  [ "${LUMITICK_REQUIRE_WIN32:-0}" = 1 ] && lt_fail "$*"
  lt_log "SKIP: $*"
  exit 77
}

lt_sudo() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi; }
lt_i386_runs() { LD_LIBRARY_PATH=$LUMITICK_WINE32_LIBS "$LUMITICK_WINE32" --version >/dev/null 2>&1; }

# lt_wine32: the 32-bit Wine in this case's environment; sets LT_SCALE to 3
# where it runs emulated.
lt_wine32() {
  local env
  env=$(bash "$LT_ROOT/scripts/wine32-sysroot.sh" 2>"$LT_TMP/wine32.err")
  case $? in
    0) ;;
    3) lt_skip "the archive could not give the 32-bit Wine: $(tail -n 1 "$LT_TMP/wine32.err")" ;;
    *) lt_fail "the 32-bit Wine could not be prepared: $(tail -n 3 "$LT_TMP/wine32.err")" ;;
  esac
  set -a; . "$env"; set +a
  # Wine's 64-bit processes start 32-bit ones; programs of either class
  # pass over libraries and drivers of the other.
  export LD_LIBRARY_PATH=$LUMITICK_WINE32_LIBS${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
  export LIBGL_DRIVERS_PATH=$LUMITICK_WINE32_DRI:/usr/lib/x86_64-linux-gnu/dri
  # An i386 entry of someone else's (a qemu-user-binfmt's) hides whether
  # the kernel runs 32-bit programs itself.
  if [ "${LUMITICK_WIN32_EMULATE:-0}" != 1 ] && lt_i386_runs &&
     ! grep -lsx 'magic 7f454c4601010100000000000000000002000300' "$LT_BINFMT"/* | grep -q .; then
    return 0
  fi
  # ELF, 32-bit, little-endian, executable or shared object, Intel 80386;
  # the F flag: the kernel opens the emulator now. Newer entries are tried
  # first, so ours wins over older ones meanwhile.
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  [ -e "$LT_BINFMT/register" ] || lt_sudo mount -t binfmt_misc binfmt_misc "$LT_BINFMT" 2>/dev/null ||
    lt_skip "this machine runs no 32-bit programs and binfmt_misc cannot be mounted"
  LT_BINFMT_ENTRY=lumitick-i386-$$-$(date +%s)
  printf '%s' ":$LT_BINFMT_ENTRY:M::$magic:$mask:$LUMITICK_QEMU_I386:F" | lt_sudo tee "$LT_BINFMT/register" >/dev/null 2>&1 ||
    { LT_BINFMT_ENTRY=""; lt_skip "this machine runs no 32-bit programs and no binfmt_misc entry could be made for qemu-i386"; }
  # One reserved block for the guest's address space, which Wine's fixed
  # mappings need; llvmpipe on one thread.
  export QEMU_RESERVED_VA=0xf0000000 QEMU_SET_ENV=LP_NUM_THREADS=1
  lt_i386_runs || lt_fail "the 32-bit Wine does not run through qemu-i386"
  LT_SCALE=$(awk -v k="$LT_SCALE" 'BEGIN { print k * 3 }')
  lt_log "the 32-bit Wine runs through qemu-i386 ($LT_BINFMT_ENTRY)"
}

lt_wine_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$LT_WINESERVER" -k 2>/dev/null
  lt_cleanup
  [ -z "$LT_BINFMT_ENTRY" ] || echo -1 | lt_sudo tee "$LT_BINFMT/$LT_BINFMT_ENTRY" >/dev/null 2>&1
  return 0
}

# lt_wine_prefix DIR [wow64]: the prefix of this case's Wine, made when missing (for
# the 32-bit Wine by the sysroot's 64-bit one, so that it holds the 32-bit
# system too); the cases of a build share it, one at a time.
lt_wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  unset LUMITICK_WINEPREFIX
  mkdir -p "$(dirname "$1")"
  exec 8>"$1.lock"
  flock -w 600 8 || lt_fail "could not get $1.lock"
  if [ "${2:-}" = wow64 ] && [ ! -e "$1/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -rf "$1"
    lt_wine_direct "$LUMITICK_WINE32_WINE64" wineboot -i >"$LT_TMP/wineboot.out" 2>&1
    "$LT_WINESERVER" -w
    [ -e "$1/drive_c/windows/syswow64/kernel32.dll" ] || lt_fail "wineboot made no 32-bit system in $1"
  fi
}

# lt_wine_init ARCH NATIVE_BUILD: a case of the ARCH build (i686 or
# x86_64); NATIVE_BUILD holds the native tools (tests/clock_compare).
# LT_WINE_SCREEN is the size of its screen, LT_WINE_SETTLE the seconds /s
# is given before its picture is read.
lt_wine_init() {
  LT_WINE_ARCH=${1:?i686 or x86_64}
  LT_WINE_BUILD=$LT_ROOT/build/windows-$LT_WINE_ARCH
  lt_init "$LT_WINE_BUILD/Lumitick.scr" "${2:?native build}"
  trap lt_wine_cleanup EXIT
  LT_WINE_SCREEN=1920x1080 LT_WINE_SETTLE=6
  local prefix=$LT_ROOT/build/windows-wine
  if [ "$LT_WINE_ARCH" = i686 ]; then
    lt_wine32
    prefix=$prefix-i686
    # Emulated, llvmpipe draws a 480 x 360 clock in about a second, the
    # first frames (its shaders compiled) some seconds late.
    [ -z "$LT_BINFMT_ENTRY" ] || LT_WINE_SCREEN=480x360 LT_WINE_SETTLE=10
  fi
  lt_wine_prefix "$prefix" "$([ "$LT_WINE_ARCH" = i686 ] && echo wow64)"
}

# lt_wine_start ARGS...: the saver under Wine in the background; LT_PID.
lt_wine_start() {
  local tag="${LT_SAVER_TAG:-saver}"
  "$LT_WINE_RUN" "$LT_SAVER" "$@" >"$LT_TMP/$tag.out" 2>"$LT_TMP/$tag.err" &
  LT_PID=$!
  lt_track "$LT_PID"
}

# lt_wine_window NAME: prints the id of the first viewable window titled
# NAME (Wine's windows carry no _NET_WM_PID of the program's).
lt_wine_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 | grep .; }

# lt_wine_windows_at NAME: "X Y W H" of each viewable window titled NAME.
lt_wine_windows_at() {
  local w
  for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do lt_geometry "$w"; done | sort
}

# The preview host (tests/windows/preview_host), driven through a FIFO:
# lt_wine_host W H [popup] sets LT_HOST (its HWND); lt_wine_ask COMMAND
# prints its reply; lt_wine_boxes PID SECONDS reads and closes the message
# boxes on the desktop into LT_BOXES while PID runs, then waits for PID.
lt_wine_host() {
  local in=$LT_TMP/host.in
  LT_HOST_OUT=$LT_TMP/host.out
  rm -f "$in"; mkfifo "$in"; : >"$LT_HOST_OUT"
  # (Its console output ends lines with CR LF.)
  "$LT_WINE_RUN" "$LT_WINE_BUILD/tests-windows/preview_host.exe" "$@" <"$in" 2>/dev/null |
    sed -u 's/\r$//' >"$LT_HOST_OUT" &
  lt_track $!
  exec 7>"$in"
  lt_wait_for 60 grep -q '^hwnd ' "$LT_HOST_OUT" || lt_fail "the preview host did not start"
  LT_HOST=$(awk '/^hwnd / { print $2; exit }' "$LT_HOST_OUT")
}
lt_wine_ends_above() { [ "$(grep -c '^end$' "$LT_HOST_OUT")" -gt "$1" ]; }
lt_wine_ask() {
  local before; before=$(grep -c '^end$' "$LT_HOST_OUT")
  echo "$1" >&7
  lt_wait_for 20 lt_wine_ends_above "$before"
  awk -v n="$before" '/^end$/ { e++; next } e == n' "$LT_HOST_OUT" | grep -v '^hwnd '
}
lt_wine_boxes() {
  local limit=$(( $(lt_tenths "$2") / 5 )) i
  LT_BOXES=""
  for (( i = 0; i < limit; ++i )); do
    LT_BOXES+=$(lt_wine_ask boxes | grep '^box ')
    lt_alive "$1" || break
    sleep 0.5
  done
  lt_wait_exit "$1" 10 || lt_fail "still running after its boxes were closed"
}
