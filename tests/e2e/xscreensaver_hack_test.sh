#!/usr/bin/env bash
# The saver as an xscreensaver hack, with Debian's own xscreensaver: a HOME of
# the test's own whose ~/.xscreensaver lists only Lumitick (mode one), the
# daemon started with -no-splash and blanked with xscreensaver-command
# -activate; the clock must show on screen after its fade-in, and the hack
# must end when the daemon unblanks. Then xscreensaver-settings shows its
# preview: it runs the hack with --window-id, which must draw the clock into
# that window. Skips (status 0) only when xscreensaver cannot run here.
source "$(dirname "$0")/lib.sh"
lt_init "$@"

skip() { lt_log "skipped: $*"; echo "skipped: $*"; exit 0; }

command -v xscreensaver >/dev/null && command -v xscreensaver-command >/dev/null ||
  skip "xscreensaver is not installed (Debian: apt-get install xscreensaver)"

# xscreensaver launches no hacks for root: run it, and what it starts, as an
# unprivileged user then.
XS_HOME="$LT_TMP/home"
mkdir -p "$XS_HOME" "$XS_HOME/run"
chmod 700 "$XS_HOME/run"
XS_RUN=(env -u XAUTHORITY -u DBUS_SESSION_BUS_ADDRESS HOME="$XS_HOME" XDG_RUNTIME_DIR="$XS_HOME/run")
saver="$(readlink -f "$LT_SAVER")"
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null && getent passwd nobody >/dev/null ||
    skip "running as root, and no unprivileged user (nobody) or setpriv to run xscreensaver as"
  group=$(id -gn nobody)
  XS_RUN=(setpriv --reuid=nobody --regid="$group" --clear-groups "${XS_RUN[@]}")
  chmod 755 "$LT_TMP"
  chown -R nobody:"$group" "$XS_HOME"
  if ! "${XS_RUN[@]}" test -x "$saver"; then  # a build folder that user cannot reach
    mkdir -p "$LT_TMP/bin" && cp "$saver" "$LT_TMP/bin/lumitick" && chmod 755 "$LT_TMP/bin" "$LT_TMP/bin/lumitick"
    saver="$LT_TMP/bin/lumitick"
  fi
fi
xs() { "${XS_RUN[@]}" "$@"; }

cat >"$XS_HOME/.xscreensaver" <<EOF
mode:		one
selected:	0
timeout:	0:30:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
grabDesktopImages: False
programs:	$saver --root \\n
EOF
[ "$(id -u)" = 0 ] && chown nobody "$XS_HOME/.xscreensaver"

compare="$LT_TOOLS/clock_compare"
now() { date +%s.%N; }
clock_of() { date -d "@$1" +%H:%M:%S.%N | cut -c1-12; }
earlier() { awk -v t="$1" 'BEGIN { printf "%.3f", t - 2.0 }'; }

# Processes of xscreensaver's, ended by their pids when the script ends
# (before lt_cleanup stops the X server).
XS_DAEMON=""
XS_PIDS=()
xs_stop() {
  if [ -n "$XS_DAEMON" ] && lt_alive "$XS_DAEMON"; then
    timeout 5 "${XS_RUN[@]}" xscreensaver-command -exit >/dev/null 2>&1
    lt_wait_exit "$XS_DAEMON" 5 || kill -TERM "$XS_DAEMON" 2>/dev/null
  fi
  local pid
  for pid in "${XS_PIDS[@]}"; do
    lt_alive "$pid" && kill -TERM "$pid" 2>/dev/null
  done
  sleep 0.2
  for pid in "${XS_PIDS[@]}"; do
    lt_alive "$pid" && kill -KILL "$pid" 2>/dev/null
  done
  return 0
}
trap 'xs_stop; lt_cleanup' EXIT

# Ended, or a zombie nobody has reaped yet (an orphan's parent may not reap).
gone() {
  local stat
  stat=$(ps -o stat= -p "$1" 2>/dev/null)
  [ -z "$stat" ] || [[ $stat == Z* ]]
}

# The "forked" line of the verbose log names the hack's pid and its window.
forked_line() { grep -a "forked \"$saver --root\" in pid" "$LT_TMP/xscreensaver.err" | tail -n 1; }

lt_start_xvfb 1280x1024
read -r sw sh < <(lt_screen_size)

lt_case "xscreensaver runs the hack full-screen on -activate; the clock shows"
xs xscreensaver -no-splash -verbose >"$LT_TMP/xscreensaver.out" 2>"$LT_TMP/xscreensaver.err" &
XS_DAEMON=$!
lt_track "$XS_DAEMON"
if ! lt_wait_for 20 xs xscreensaver-command -time; then
  lt_alive "$XS_DAEMON" && lt_fail "the daemon runs but does not answer xscreensaver-command"
  skip "xscreensaver does not start here: $(tail -n 3 "$LT_TMP/xscreensaver.err" | tr '\n' ' ')"
fi
# The daemon's helpers (xscreensaver-gfx and the like) are its children.
for pid in $(ps -o pid= --ppid "$XS_DAEMON"); do XS_PIDS+=("$pid"); done
xs xscreensaver-command -activate >/dev/null || lt_fail "xscreensaver-command -activate failed"
lt_wait_for 20 forked_line || lt_fail "xscreensaver did not start the hack"
line=$(forked_line)
hack=$(sed -E 's/.* in pid ([0-9]+).*/\1/' <<<"$line")
win=$(sed -E 's/.* on window (0x[0-9a-fA-F]+).*/\1/' <<<"$line")
XS_PIDS+=("$hack")
for pid in $(ps -o pid= --ppid "$XS_DAEMON"); do XS_PIDS+=("$pid"); done
lt_log "hack pid $hack on window $win"
lt_wait_child_covering "$((win))" "$sw" "$sh" 20 >/dev/null || lt_fail "the hack drew no window over xscreensaver's"
sleep 6
before=$(now)
lt_screenshot "$LT_TMP/blanked.png"
after=$(now)
"$compare" "$LT_TMP/blanked.png" --time "$(clock_of "$(earlier "$before")")" --until "$(clock_of "$after")" ||
  lt_fail "the blanked screen does not show the clock"
lt_alive "$hack" || lt_fail "the hack ended while the screen was blanked"

lt_case "unblanking ends the hack"
xs xscreensaver-command -deactivate >/dev/null || lt_fail "xscreensaver-command -deactivate failed"
lt_wait_for 10 gone "$hack" || lt_fail "the hack still runs after unblanking"
grep -a -E "pid $hack.*(crashed|abnormally|core dumped|signal)" "$LT_TMP/xscreensaver.err" &&
  lt_fail "xscreensaver reports the hack ended badly"

lt_case "xscreensaver-settings' preview: --window-id draws the clock into its window"
xs xscreensaver-settings >"$LT_TMP/settings.out" 2>"$LT_TMP/settings.err" &
settings=$!
lt_track "$settings"
XS_PIDS+=("$settings")
preview_of() { ps -o pid=,args= --ppid "$settings" | grep -a -- "--window-id" | grep -a -F "$saver" | head -n 1; }
lt_wait_for 30 preview_of || lt_fail "xscreensaver-settings started no preview of the hack: $(ps -o pid=,args= --ppid "$settings")"
read -r preview args < <(preview_of)
XS_PIDS+=("$preview")
lt_log "preview: $args"
wid=$(sed -E 's/.*--window-id (0x[0-9a-fA-F]+|[0-9]+).*/\1/' <<<"$args")
read -r px py pw ph < <(lt_geometry "$wid") || lt_fail "no preview window $wid"
[ $((px + pw)) -le "$sw" ] && [ $((py + ph)) -le "$sh" ] || lt_fail "the preview window is not wholly on screen"
lt_wait_child_covering "$((wid))" "$pw" "$ph" 20 >/dev/null || lt_fail "the preview drew no window into $wid"
sleep 6
before=$(now)
lt_screenshot "$LT_TMP/preview.png"
after=$(now)
"$compare" "$LT_TMP/preview.png" --rect "$px,$py,$pw,$ph" --time "$(clock_of "$(earlier "$before")")" \
  --until "$(clock_of "$after")" || lt_fail "the preview does not show the clock"
kill -TERM "$settings"
lt_wait_exit "$settings" 10 || lt_fail "xscreensaver-settings did not end"
lt_wait_for 10 gone "$preview" || lt_fail "the preview still runs after the settings closed"

xs_stop
lt_log "PASS"
