#!/bin/bash
# Start-up and memory of the real program under a 1920 x 1080 Xvfb of its own:
#   bash bench/startup.sh LUMITICK PROBE.so [RUNS]
# (LUMITICK: the built program; PROBE.so: lumitick_startup_probe.so from the
# same build.) Each run starts "lumitick /s" with the probe preloaded; the
# probe prints where the time went up to the first presented frame and ends
# the program there. Each run then starts the bare full-screen window beside
# the probe (lumitick_bare_window, same folder), the yardstick: its first
# presented frame is printed beside lumitick's, with the ratio of the
# medians. Then one "--snapshot" run is measured for its peak resident
# memory with /usr/bin/time. Figures only: nothing here fails on time.
set -u
lumitick=${1:?usage: startup.sh LUMITICK PROBE.so [RUNS]}
probe=${2:?usage: startup.sh LUMITICK PROBE.so [RUNS]}
runs=${3:-5}
lumitick=$(readlink -f "$lumitick")
probe=$(readlink -f "$probe")
[ -x "$lumitick" ] || { echo "startup.sh: no program at $lumitick" >&2; exit 2; }
[ -f "$probe" ] || { echo "startup.sh: no probe at $probe" >&2; exit 2; }
bare=$(dirname "$probe")/lumitick_bare_window

# Runs "PROGRAM ARGS..." with the probe, prints its timeline and leaves
# its first presented frame (ms) in $first.
first_frame() {
  local out
  out=$( (export LUMITICK_PROBE_T0=$EPOCHREALTIME LD_PRELOAD="$probe"; exec "$@") 2>&1 >/dev/null)
  echo "$out" | grep '^startup:'
  first=$(echo "$out" | sed -n 's/^startup: first presented frame at \([0-9.]*\) ms$/\1/p')
}
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {if (NR) print v[int((NR+1)/2)]}'; }

inner() {
  local firsts=() bares=() first m b
  for i in $(seq 1 "$runs"); do
    echo "--- run $i"
    first_frame "$lumitick" /s
    firsts+=("$first")
    if [ -x "$bare" ]; then
      first_frame "$bare" >/dev/null
      echo "startup: the bare window's first presented frame at $first ms"
      bares+=("$first")
    fi
  done
  m=$(median "${firsts[@]}")
  echo "startup: median of $runs runs: first presented frame at $m ms"
  if [ ${#bares[@]} -gt 0 ]; then
    b=$(median "${bares[@]}")
    echo "startup: bare full-screen window, median of ${#bares[@]} runs: first presented frame at $b ms ($(awk -v m="$m" -v b="$b" 'BEGIN { printf "%.2f", m / b }')x for lumitick)"
  fi
  local tmp
  tmp=$(mktemp -d)
  /usr/bin/time -f '%M' -o "$tmp/rss" "$lumitick" --snapshot "$tmp/shot.png" --size 1920x1080 --time 10:08:30 >/dev/null 2>&1
  echo "snapshot 1920x1080: peak resident memory $(awk '{printf "%.1f", $1/1024}' "$tmp/rss") MiB"
  rm -rf "$tmp"
}
if [ "${LUMITICK_STARTUP_INNER:-}" = 1 ]; then
  inner
else
  LUMITICK_STARTUP_INNER=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$lumitick" "$probe" "$runs"
fi
