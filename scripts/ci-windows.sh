#!/usr/bin/env bash
# The Windows part of CI, from a fresh Debian 12 machine: the packages
# (mingw-w64, Wine, Xvfb, ...), both cross builds with their tests and the
# zip, then the tests under Wine. Prints the time of each step and in all.
#
#   scripts/ci-windows.sh
#
# A machine that cannot run 32-bit programs builds the i686 release and
# checks it is a 32-bit GUI program, but runs only the x86_64 tests
# (scripts/test-windows.sh says so).
set -uo pipefail
cd "$(dirname "$0")/.."

start=$(date +%s)
mark=$start
times=()
step_done() {
  local now; now=$(date +%s)
  times+=("$1 $((now - mark)) s")
  mark=$now
}
finish() {
  step_done "$1"
  echo "ci-windows: ${times[*]}; total $(($(date +%s) - start)) s"
}

bash scripts/install-deps.sh --windows || { finish packages; echo "ci-windows: packages failed" >&2; exit 1; }
step_done packages

bash scripts/build-windows.sh --tests || { finish builds; echo "ci-windows: build failed" >&2; exit 1; }
# The release must be what Windows takes for a 32-bit GUI program: PE32,
# Intel 80386, GUI subsystem (objdump of mingw-w64's binutils).
headers=$(i686-w64-mingw32-objdump -p build/windows-i686/Lumitick.scr)
if grep -q 'file format pei-i386' <<<"$headers" && grep -Eq '^Magic[[:space:]]+010b' <<<"$headers" &&
   grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers"; then
  echo "build/windows-i686/Lumitick.scr: PE32, i386, Windows GUI"
else
  finish builds; echo "ci-windows: the i686 release is not a 32-bit Windows GUI program" >&2; exit 1
fi
step_done builds

bash scripts/test-windows.sh --no-build
rc=$?
finish tests
exit $rc
