#!/usr/bin/env bash
# The Windows part of CI, from a fresh Debian 12 machine: the packages
# (mingw-w64, Wine, NSIS, Xvfb, ...), both cross builds with their tests,
# the zip and the setup program, the 32-bit Wine unpacked into
# build/windows-wine32 (fetched once, scripts/wine32-sysroot.sh), then the
# tests of both builds and of the setup program under Wine.
# Prints the time of each step and in all.
#
#   scripts/ci-windows.sh
#
# When the archive cannot give the 32-bit Wine, the i686 release is still
# built and checked to be a 32-bit GUI program, and its runs are skipped
# (scripts/test-windows.sh says so; LUMITICK_REQUIRE_WIN32=1 makes that a
# failure).
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

# (Its failures are reported by the tests, which skip or fail the i686 runs.)
bash scripts/wine32-sysroot.sh >/dev/null
step_done wine32

bash scripts/test-windows.sh --no-build
rc=$?
finish tests
exit $rc
