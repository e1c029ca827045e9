#!/bin/bash
# Start-up and memory of the real program under a 1920 x 1080 Xvfb of its own:
#   bash bench/startup.sh LUMITICK PROBE.so [RUNS]
# (LUMITICK: the built program; PROBE.so: lumitick_startup_probe.so from the
# same build.) Each run starts "lumitick /s" with the probe preloaded; the
# probe prints where the time went up to the first presented frame and ends
# the program there. Then one "--snapshot" run is measured for its peak
# resident memory with /usr/bin/time. Figures only: nothing here fails on time.
set -u
lumitick=${1:?usage: startup.sh LUMITICK PROBE.so [RUNS]}
probe=${2:?usage: startup.sh LUMITICK PROBE.so [RUNS]}
runs=${3:-5}
lumitick=$(readlink -f "$lumitick")
probe=$(readlink -f "$probe")
[ -x "$lumitick" ] || { echo "startup.sh: no program at $lumitick" >&2; exit 2; }
[ -f "$probe" ] || { echo "startup.sh: no probe at $probe" >&2; exit 2; }

inner() {
  local out firsts=()
  for i in $(seq 1 "$runs"); do
    out=$( (export LUMITICK_PROBE_T0=$EPOCHREALTIME LD_PRELOAD="$probe"; exec "$lumitick" /s) 2>&1 >/dev/null)
    echo "--- run $i"
    echo "$out" | grep '^startup:'
    firsts+=("$(echo "$out" | sed -n 's/^startup: first presented frame at \([0-9.]*\) ms$/\1/p')")
  done
  printf '%s\n' "${firsts[@]}" | sort -n | awk '{v[NR]=$1} END {if (NR) printf "startup: median of %d runs: first presented frame at %s ms\n", NR, v[int((NR+1)/2)]}'
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
