#!/usr/bin/env bash
# Installs what is missing, builds, and runs the saver full-screen ("/s").
# With no display it runs under Xvfb instead, saves a screenshot after the
# fade-in and prints the screenshot's path.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target lumitick >/dev/null

if [ -n "${DISPLAY:-}" ]; then
  exec build/lumitick /s "$@"
fi

shot="$(pwd)/build/lumitick-screenshot.png"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  build/lumitick /s >/dev/null & pid=$!
  # Wait for the window, then for the fade-in (full brightness 5 s after start).
  for i in $(seq 100); do xdotool search --pid $pid >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 6
  /usr/bin/import -window root "$1"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
' _ "$shot"
echo "$shot"
