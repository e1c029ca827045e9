#!/usr/bin/env bash
# Soak run (not part of CI): the full-screen saver ("/s") under an Xvfb of its
# own for MINUTES (default 30), sampling its resident memory once a minute
# from the first frames on, and checking at each sample that frames still come (two screenshots a
# second apart differ: the second hand sweeps). Passes when the resident
# memory grew by 1 MiB or less from the first sample to the last and frames
# came to the end.
#   scripts/soak.sh [MINUTES] [SAVER]
# SOAK_SCREEN (default 1920x1080) sets the screen size; the saver's
# environment passes through (LP_NUM_THREADS=1 keeps llvmpipe on one core).
set -uo pipefail
cd "$(dirname "$0")/.."
minutes="${1:-30}"
saver="${2:-build/lumitick}"
screen="${SOAK_SCREEN:-1920x1080}"
[ -x "$saver" ] || { echo "no saver at $saver (build it first)"; exit 2; }

tmp="$(mktemp -d "${TMPDIR:-/tmp}/lumitick-soak.XXXXXX")"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkfifo "$tmp/displayfd"
# No X screen saver: its timer coming on would end the saver (as it should).
Xvfb -displayfd 3 -screen 0 "${screen}x24" -s 0 -nolisten tcp 3>"$tmp/displayfd" >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 number <"$tmp/displayfd" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$number"
"$saver" /s >"$tmp/saver.out" 2>"$tmp/saver.err" &
saver_pid=$!
pids+=("$saver_pid")

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
shot() { /usr/bin/import -window root -resize 25% rgb:- 2>/dev/null | md5sum; }
frames_coming() { local a; a=$(shot); sleep 1; [ "$a" != "$(shot)" ]; }

# Set-up and the fade-in: the first sample is taken once frames come.
for (( i = 0; i < 120; ++i )); do frames_coming && break; done
first=""
printf '%-8s %-12s %s\n' minute rss_kib frames
status=0
for (( m = 0; m <= minutes; ++m )); do
  kill -0 "$saver_pid" 2>/dev/null || { echo "the saver ended early"; cat "$tmp/saver.err"; exit 1; }
  rss=$(rss_kib "$saver_pid")
  if frames_coming; then frames=yes; else frames=no; fi
  printf '%-8s %-12s %s\n' "$m" "$rss" "$frames"
  [ -z "$first" ] && first=$rss
  last=$rss
  [ "$m" -lt "$minutes" ] && sleep 58
done
growth=$(( last - first ))
echo "resident memory: first ${first} KiB, last ${last} KiB, growth ${growth} KiB"
if [ "$growth" -gt 1024 ]; then echo "FAIL: grew by more than 1 MiB"; status=1; fi
if [ "$frames" != yes ]; then echo "FAIL: no frames at the end"; status=1; fi
[ -s "$tmp/saver.err" ] && { echo "saver's messages:"; cat "$tmp/saver.err"; }
[ "$status" -eq 0 ] && echo "PASS"
exit "$status"
