#!/bin/bash
# CPU use of the running saver: "lumitick /s" at 1920 x 1080 under an Xvfb
# of its own, in CPU seconds per wall second (all its threads, from
# /proc/PID/stat) over its black first seconds and over SECONDS seconds
# after the fade-in (from 6 s on). The black seconds are printed in two
# spans: from the window's first appearance to 1.5 s after the start, which
# holds the scene's one-off set-up (the pictures and programs, built once
# the first black frame is presented: on a 2-core llvmpipe machine about
# half a second of CPU, most of it the driver zeroing the pictures' texture
# storage), and the black frames alone from 1.5 to 2.9 s. The saver's CPU
# time from its start to 2.9 s (start-up, set-up and black frames) follows.
# The X server's share, which takes the frames the presents hand it, is
# printed beside each span; the saver's peak resident memory last.
# With --two-monitors it runs on an Xorg with the dummy driver instead,
# two monitors (1920 x 1080 and 1280 x 1024; tests/e2e/xorg_dummy.sh, as
# root), a clock on each. With --wayland it runs on a headless sway of its
# own instead (one 1920 x 1080 output, software renderer; tests/e2e/lib.sh,
# as root), on the layer-shell road; the compositor's share is printed in
# the server's place, and the first span starts when the saver does (a
# layer surface is not seen as a window is).
#   bash bench/saver_cpu.sh [--two-monitors | --wayland] LUMITICK [SECONDS]
# Figures only: nothing here fails on time.
set -u
two=0 wayland=0
[ "${1:-}" = --two-monitors ] && { two=1; shift; }
[ "${1:-}" = --wayland ] && { wayland=1; shift; }
lumitick=${1:?usage: saver_cpu.sh [--two-monitors | --wayland] LUMITICK [SECONDS]}
seconds=${2:-10}
lumitick=$(readlink -f "$lumitick")
[ -x "$lumitick" ] || { echo "saver_cpu.sh: no program at $lumitick" >&2; exit 2; }

# CPU seconds of process PID so far (user and system, every thread).
cpu_of() { awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%.3f", ($12 + $13) / hz }' "/proc/$1/stat"; }
now() { echo "$EPOCHREALTIME"; }
# Sleeps until START + OFFSET seconds (epoch seconds).
sleep_until() { local d; d=$(awk -v s="$1" -v o="$2" -v n="$(now)" 'BEGIN { d = s + o - n; print (d > 0 ? d : 0) }'); sleep "$d"; }
# Prints "LABEL: saver X.XXX cores, X server Y.YYY cores over S s" for the
# readings (time cpu xcpu) taken at the start and end of a span.
span() {
  awk -v l="$1" -v t0="$2" -v c0="$3" -v x0="$4" -v t1="$5" -v c1="$6" -v x1="$7" \
    -v server="${SERVER_NAME:-X server}" 'BEGIN { w = t1 - t0; printf "%s: saver %.3f cores, %s %.3f cores, over %.1f s\n", l, (c1 - c0) / w, server, (x1 - x0) / w, w }'
}

inner() {
  local xpid pid start win a b
  xpid=${XSERVER_PID:-$(pgrep -f "^Xvfb $DISPLAY( |$)" | head -n 1)}
  [ -n "$xpid" ] || { echo "saver_cpu.sh: cannot find the Xvfb of $DISPLAY" >&2; return 1; }
  start=$(now)
  "$lumitick" /s >/dev/null 2>&1 &
  pid=$!
  # The window: the first frames are being drawn.
  win=""
  [ $wayland = 1 ] && win=layer
  for _ in $(seq 1 100); do
    [ -n "$win" ] && break
    win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    sleep 0.05
  done
  [ -n "$win" ] || { echo "saver_cpu.sh: the saver showed no window" >&2; kill "$pid"; return 1; }
  a="$(now) $(cpu_of "$pid") $(cpu_of "$xpid")"
  sleep_until "$start" 1.5
  b="$(now) $(cpu_of "$pid") $(cpu_of "$xpid")"
  # shellcheck disable=SC2086
  span "set-up and the first black frames" $a $b
  a=$b
  sleep_until "$start" 2.9
  b="$(now) $(cpu_of "$pid") $(cpu_of "$xpid")"
  # shellcheck disable=SC2086
  span "black frames (1.5 to 2.9 s)" $a $b
  echo "start to 2.9 s: saver $(cpu_of "$pid") s of CPU in all"
  sleep_until "$start" 6
  a="$(now) $(cpu_of "$pid") $(cpu_of "$xpid")"
  sleep "$seconds"
  b="$(now) $(cpu_of "$pid") $(cpu_of "$xpid")"
  # shellcheck disable=SC2086
  span "after the fade-in" $a $b
  echo "peak resident memory: saver $(awk '/^VmHWM:/ { printf "%.0f", $2 / 1024 }' "/proc/$pid/status") MiB"
  kill -TERM "$pid"
  wait "$pid"
}

if [ "${LUMITICK_SAVER_CPU_INNER:-}" = 1 ]; then
  inner
elif [ $wayland = 1 ]; then
  source "$(dirname "$0")/../tests/e2e/lib.sh"
  lt_init "$lumitick"
  lt_start_sway 1 "output HEADLESS-1 mode 1920x1080"
  XSERVER_PID=$LT_SWAY_PID SERVER_NAME=compositor inner
elif [ $two = 1 ]; then
  source "$(dirname "$0")/../tests/e2e/xorg_dummy.sh"
  dir=$(mktemp -d /tmp/lumitick-saver-cpu.XXXXXX)
  trap 'kill "$XORG_DUMMY_PID" 2>/dev/null; wait "$XORG_DUMMY_PID" 2>/dev/null; rm -rf "$dir"' EXIT
  xorg_dummy_start "$dir" || { echo "saver_cpu.sh: Xorg with the dummy driver did not start" >&2; exit 1; }
  for _ in $(seq 1 100); do DISPLAY=$XORG_DUMMY_DISPLAY xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  DISPLAY=$XORG_DUMMY_DISPLAY XSERVER_PID=$XORG_DUMMY_PID inner
else
  # -noreset: the server would reset when the window search's connection
  # closes before the saver's opens, and refuse the saver meanwhile.
  LUMITICK_SAVER_CPU_INNER=1 exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash "$0" "$lumitick" "$seconds"
fi
