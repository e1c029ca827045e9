#!/usr/bin/env bash
# The saver as an xscreensaver hack, with Debian's own xscreensaver, in a HOME
# of the test's own. "lumitick --add-to-xscreensaver" adds the hack to a real
# ~/.xscreensaver (tests/data/xscreensaver-settings-6.06.txt: written by
# xscreensaver-settings 6.06 under Xvfb after one setting was changed, its
# programs list cut to eight entries): one line at the end of the list,
# nothing else changed, the file as it was kept beside it, nothing done a
# second time; without a file it makes one from xscreensaver's defaults.
# The daemon, started with -no-splash and told to run the new entry with
# xscreensaver-command -select, must show the clock after its fade-in; run
# again, and unblanked, the hack must end, and the daemon's log must call
# its end normal. Then xscreensaver-settings shows its preview: it runs the
# hack with --window-id, which must draw the clock into that window. When
# xscreensaver cannot run here the script ends with status 77 (ctest's
# SKIP_RETURN_CODE, if set; a failure otherwise).
source "$(dirname "$0")/lib.sh"
lt_init "$@"

skip() { lt_log "skipped: $*"; echo "skipped: $*"; exit 77; }

command -v xscreensaver >/dev/null && command -v xscreensaver-command >/dev/null ||
  skip "xscreensaver is not installed (Debian: apt-get install xscreensaver)"

# xscreensaver launches no hacks for root: run it, and what it starts, as an
# unprivileged user then.
XS_HOME="$LT_TMP/home"
mkdir -p "$XS_HOME" "$XS_HOME/run"
chmod 700 "$XS_HOME/run"
# A session of its own: the system's PATH (the caller's may hold folders the
# unprivileged user cannot search), and a D-Bus address that fails at once, so
# that GLib neither autolaunches a bus nor spawns dbus-launch.
XS_RUN=(env -u XAUTHORITY HOME="$XS_HOME" XDG_RUNTIME_DIR="$XS_HOME/run"
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
  DBUS_SESSION_BUS_ADDRESS="unix:path=$XS_HOME/run/no-bus" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory)
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

fixture="$(dirname "$0")/../data/xscreensaver-settings-6.06.txt"
entry_of() { grep -c -F -- "$saver --root" "$1"; }

lt_case "--add-to-xscreensaver adds one entry to a real ~/.xscreensaver"
xs_file="$XS_HOME/.xscreensaver"
cp "$fixture" "$xs_file"
[ "$(id -u)" = 0 ] && chown nobody "$xs_file"
xs "$saver" --add-to-xscreensaver >"$LT_TMP/add.out" 2>"$LT_TMP/add.err" || lt_fail "status $?"
[ -s "$LT_TMP/add.err" ] && lt_fail "messages on stderr"
grep -q '^Added ' "$LT_TMP/add.out" || lt_fail "no report of the addition"
cmp -s "$fixture" "$xs_file.before-lumitick" || lt_fail "the file as it was is not kept"
[ "$(entry_of "$xs_file")" = 1 ] || lt_fail "not one entry of the hack"
# Without the new line the file is the old one; the line follows the list's
# last entry and continues, as the others do, onto the blank line that ends it.
grep -v -F -- "$saver --root" "$xs_file" | cmp -s - "$fixture" || lt_fail "more changed: $(diff "$fixture" "$xs_file")"
grep -B1 -A1 -F -- "$saver --root" "$xs_file" >"$LT_TMP/around"
[ "$(sed -n 1p "$LT_TMP/around" | grep -c squirtorus)" = 1 ] && grep -q '\\n\\$' <(sed -n 2p "$LT_TMP/around") &&
  [ -z "$(sed -n 3p "$LT_TMP/around")" ] || lt_fail "not at the end of the list: $(cat "$LT_TMP/around")"
cp "$xs_file" "$LT_TMP/added"
xs "$saver" --add-to-xscreensaver >"$LT_TMP/add.out" 2>&1 || lt_fail "a second run: status $?"
grep -q 'already lists Lumitick; nothing changed' "$LT_TMP/add.out" || lt_fail "a second run: $(cat "$LT_TMP/add.out")"
cmp -s "$xs_file" "$LT_TMP/added" || lt_fail "a second run changed the file"
# The hack's place in the list, for -select (counted from 1).
place=$(awk '/^programs:/ { on = 1; next } on && /\\n/ { n++ } on && !/\\$/ { on = 0 } END { print n }' "$xs_file")

lt_case "--add-to-xscreensaver without a ~/.xscreensaver: xscreensaver's list and the hack"
mkdir -p "$LT_TMP/fresh"
defaults=/etc/X11/app-defaults/XScreenSaver
HOME="$LT_TMP/fresh" "$saver" --add-to-xscreensaver >"$LT_TMP/fresh.out" 2>&1 || lt_fail "status $?: $(cat "$LT_TMP/fresh.out")"
fresh="$LT_TMP/fresh/.xscreensaver"
[ "$(entry_of "$fresh")" = 1 ] || lt_fail "not one entry of the hack"
[ "$(grep -c '\\n' "$fresh")" = "$(( $(sed -n '/^\*programs:/,/[^\\]$/p' "$defaults" | grep -c '\\n') + 1 ))" ] ||
  lt_fail "not the defaults' list and one entry: $(grep -c '\\n' "$fresh") entries"
[ ! -e "$fresh.before-lumitick" ] || lt_fail "a copy of a file that was not there"

# drawing X Y W H: that screen rectangle is no longer of one colour (the
# saver's picture has begun to fade in; until then its window is blank).
drawing() { [ "$(lt_probe colour "$@")" = mixed ]; }
# wait_clock SECONDS PID NAME X Y W H: once the saver PID draws into that
# rectangle (within SECONDS) and its fade-in (2 s) is over, screenshots for
# up to a minute until one shows the clock there. A loaded machine may start
# drawing late, or leave a frame on screen longer than the lag allowed; a
# saver that draws no clock fails every one.
wait_clock() {
  local limit="$1" pid="$2" name="$3" x="$4" y="$5" w="$6" h="$7" tries=0
  lt_wait_for "$limit" drawing "$x" "$y" "$w" "$h" || {
    echo "$name: nothing drawn after $limit s: $(lt_probe colour "$x" "$y" "$w" "$h")" >"$LT_TMP/$name.compare"
    return 1
  }
  sleep 2.5
  local deadline=$(( $(date +%s) + $(lt_tenths 60) / 10 ))
  while :; do
    tries=$((tries + 1))
    lt_shows_clock "$name" --rect "$x,$y,$w,$h" && { lt_log "$name: the clock shows (screenshot $tries)"; return 0; }
    lt_log "$name, screenshot $tries: $(head -n 1 "$LT_TMP/$name.compare")"
    lt_alive "$pid" && [ "$(date +%s)" -lt "$deadline" ] || return 1
  done
}

# Processes of xscreensaver's, ended when the script ends (before lt_cleanup
# stops the X server). Each is noted with its start time, so that a pid the
# system has handed on to another process is left alone.
XS_DAEMON=""
XS_PIDS=()
started() { awk '{ sub(/.*\) /, ""); print $20 }' "/proc/$1/stat" 2>/dev/null; }
xs_note() {
  local pid t
  for pid in "$@"; do
    t=$(started "$pid") && [ -n "$t" ] && XS_PIDS+=("$pid:$t")
  done
  return 0
}
ours() { [ "$(started "${1%%:*}")" = "${1#*:}" ]; }
running_ours() { ours "$1" && ! gone "${1%%:*}"; }
none_running() {
  local e
  for e in "${XS_PIDS[@]}"; do running_ours "$e" && return 1; done
  return 0
}
xs_stop() {
  if [ -n "$XS_DAEMON" ] && lt_alive "$XS_DAEMON"; then
    timeout 5 "${XS_RUN[@]}" xscreensaver-command -exit >/dev/null 2>&1
    lt_wait_exit "$XS_DAEMON" 5 || kill -TERM "$XS_DAEMON" 2>/dev/null
  fi
  local e
  for e in "${XS_PIDS[@]}"; do
    running_ours "$e" && kill -TERM "${e%%:*}" 2>/dev/null
  done
  lt_wait_for 3 none_running
  for e in "${XS_PIDS[@]}"; do
    running_ours "$e" && kill -KILL "${e%%:*}" 2>/dev/null
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
forked_line() { grep -a -F "forked \"$saver --root\" in pid" "$LT_TMP/xscreensaver.err" | tail -n 1; }

lt_start_xvfb 1024x768
read -r sw sh < <(lt_screen_size)

lt_case "xscreensaver runs the added entry full-screen on -select; the clock shows"
"${XS_RUN[@]}" xscreensaver -no-splash -verbose >"$LT_TMP/xscreensaver.out" 2>"$LT_TMP/xscreensaver.err" &
XS_DAEMON=$!
lt_track "$XS_DAEMON"
if ! lt_wait_for 20 xs xscreensaver-command -time; then
  lt_alive "$XS_DAEMON" && lt_fail "the daemon runs but does not answer xscreensaver-command"
  skip "xscreensaver does not start here: $(tail -n 3 "$LT_TMP/xscreensaver.err" | tr '\n' ' ')"
fi
# The daemon's helpers (xscreensaver-gfx and the like) are its children.
xs_note $(ps -o pid= --ppid "$XS_DAEMON")
xs xscreensaver-command -select "$place" >/dev/null || lt_fail "xscreensaver-command -select $place failed"
lt_wait_for 20 forked_line || lt_fail "xscreensaver did not start the hack"
line=$(forked_line)
hack=$(sed -E 's/.* in pid ([0-9]+).*/\1/' <<<"$line")
win=$(sed -E 's/.* on window (0x[0-9a-fA-F]+).*/\1/' <<<"$line")
xs_note "$hack"
xs_note $(ps -o pid= --ppid "$XS_DAEMON")
lt_log "hack pid $hack on window $win"
lt_wait_child_covering "$((win))" "$sw" "$sh" 30 >/dev/null || lt_fail "the hack drew no window over xscreensaver's"
wait_clock 90 "$hack" blanked 0 0 "$sw" "$sh" || {
  cat "$LT_TMP/blanked.compare" >&2
  lt_fail "the blanked screen does not show the clock"
}
lt_alive "$hack" || lt_fail "the hack ended while the screen was blanked"

lt_case "run again, and unblanked, the hack ends normally in the daemon's eyes"
# -select while blanked ends the running hack and starts it anew; the
# daemon logs how the first one ended.
xs xscreensaver-command -select "$place" >/dev/null || lt_fail "xscreensaver-command -select $place failed"
ended_line() { grep -a -E "child pid $1 \\(.*\\) (exited|crashed|unexpectedly|terminated|died)" "$LT_TMP/xscreensaver.err"; }
lt_wait_for 10 ended_line "$hack" || lt_fail "the daemon logged no end of the hack"
ended_line "$hack" | grep -q 'exited normally with SIGTERM' || lt_fail "the daemon says: $(ended_line "$hack")"
lt_wait_for 20 eval '[ "$(forked_line | sed -E "s/.* in pid ([0-9]+).*/\\1/")" != "$hack" ]' ||
  lt_fail "the daemon did not start the hack again"
hack=$(forked_line | sed -E 's/.* in pid ([0-9]+).*/\1/')
xs_note "$hack"
lt_wait_for 20 eval 'ps -o stat= -p "$hack" >/dev/null' || lt_fail "the second hack did not start"
xs xscreensaver-command -deactivate >/dev/null || lt_fail "xscreensaver-command -deactivate failed"
lt_wait_for 10 gone "$hack" || lt_fail "the hack still runs after unblanking"
grep -a -E "pid [0-9]+ \\(.*lumitick\\).*(crashed|abnormally|core dumped|unexpectedly)" "$LT_TMP/xscreensaver.err" &&
  lt_fail "xscreensaver reports a hack that ended badly"

lt_case "xscreensaver-settings' preview: --window-id draws the clock into its window"
# GDK_GL=disable keeps Mesa and LLVM out of the settings process. When an
# exec of theirs fails (xscreensaver-gl-visual comes with xscreensaver-gl,
# which need not be installed), the forked child calls exit(), which runs the
# exit handlers of every library loaded; Mesa's and LLVM's, in a copy of a
# threaded process, can block for good, and the settings, waiting for that
# child's output, then never start the preview.
"${XS_RUN[@]}" GDK_GL=disable xscreensaver-settings >"$LT_TMP/settings.out" 2>"$LT_TMP/settings.err" &
settings=$!
lt_track "$settings"
xs_note "$settings"
preview_of() { ps -o pid=,args= --ppid "$settings" | grep -a -F -- "--window-id" | grep -a -F "$saver" | head -n 1; }
lt_wait_for 60 preview_of ||
  lt_fail "xscreensaver-settings started no preview of the hack; its children:$(echo; ps -o pid=,stat=,etimes=,wchan:24=,args= --ppid "$settings")"
# The settings may restart their preview while the dialog settles: the
# clock must show in the window of a preview that is still the same one
# after the screenshot.
shown=0
restarts=0
why="no preview window"
deadline=$(( $(date +%s) + $(lt_tenths 90) / 10 ))
while [ "$shown" = 0 ] && [ "$(date +%s)" -lt "$deadline" ]; do
  read -r preview args < <(preview_of) || { sleep 0.2; continue; }
  xs_note "$preview"
  wid=$(sed -E 's/.*--window-id (0x[0-9a-fA-F]+|[0-9]+).*/\1/' <<<"$args")
  if read -r px py pw ph < <(lt_geometry "$wid"); then
    [ $((px + pw)) -le "$sw" ] && [ $((py + ph)) -le "$sh" ] || lt_fail "the preview window is not wholly on screen"
    if ! lt_wait_child_covering "$((wid))" "$pw" "$ph" 30 >/dev/null; then
      why="the preview drew no window into $wid"
    elif wait_clock 90 "$preview" preview "$px" "$py" "$pw" "$ph"; then
      why="" shown=1
    else
      why="the preview does not show the clock"
    fi
  fi
  # A picture of a preview that was ending (the settings may restart it while
  # the dialog settles) does not count.
  [ "$(preview_of | awk '{ print $1 }')" = "$preview" ] || { shown=0 restarts=$((restarts + 1)); continue; }
  [ "$shown" = 1 ] || break
done
lt_log "preview: $args ($restarts restarts)"
if [ "$shown" = 0 ]; then
  [ -f "$LT_TMP/preview.compare" ] && cat "$LT_TMP/preview.compare" >&2
  lt_fail "$why"
fi
kill -TERM "$settings"
lt_wait_exit "$settings" 10 || lt_fail "xscreensaver-settings did not end"
lt_wait_for 10 gone "$preview" || lt_fail "the preview still runs after the settings closed"

xs_stop
lt_log "PASS"
