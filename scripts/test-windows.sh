#!/usr/bin/env bash
# Builds the Windows builds with their tests and runs the tests under Wine:
# one ctest case per script of tests/windows and build, registered in
# build/windows-host (tests/windows/cases.cmake), each on a display of its
# own:
#   unit       the unit tests and the in-process adoption tests;
#   saver      /s: full screen, the clock after the fade-in (the CPU
#              reference), mouse motion ignored, a key ends it;
#   instance   a second no-switch instance exits at once, /s runs beside;
#   about      /c: the About window, centred, in its colours;
#   preview    /p HANDLE with a host window of another process: inside it,
#              following its size, ending when it is disabled or destroyed;
#   fault      a bogus handle, an OpenGL without texture storage: a box,
#              status 0;
#   monitors   /s on two monitors of an Xorg with the dummy driver (x86_64:
#              the pictures, and the focus rule under openbox);
#   installer  the setup program on a 64-bit (x86_64) or 32-bit (i686)
#              Windows: install, /s, install and uninstall while the
#              installed file runs;
# and /s, /p and /c hold no execution state (Wine's log).
# The i686 cases and the installer's use the 32-bit Wine that
# scripts/wine32-sysroot.sh unpacks into build/windows-wine32 (through its
# qemu-i386 where the kernel runs no 32-bit programs); when the archive
# cannot give it they are skipped, saying so (LUMITICK_REQUIRE_WIN32=1 makes
# that a failure).
#
#   scripts/test-windows.sh [--arch i686|x86_64] [--no-build] [CTEST OPTIONS]
# One case alone, once built:
#   ctest --test-dir build/windows-host -L wine -R wine.x86_64.saver --output-on-failure
set -uo pipefail
cd "$(dirname "$0")/.."

arch=""
build=1
while [ $# -gt 0 ]; do
  case $1 in
    --arch) arch=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    *) break ;;
  esac
done

if [ $build -eq 1 ]; then
  bash scripts/install-deps.sh --windows || exit 1
  bash scripts/build-windows.sh ${arch:+--arch "$arch"} --tests || exit 1
fi
# The 32-bit Wine, fetched once (the cases that need it say why they skip).
bash scripts/wine32-sysroot.sh >/dev/null
# (A build made before the cases were registered.)
if [ ! -x build/windows-host/tests/clock_compare ] || ! ctest --test-dir build/windows-host -N -L wine | grep -q 'wine\.'; then
  cmake -S . -B build/windows-host -DLUMITICK_TESTS=ON -DLUMITICK_WINE_TESTS=ON >/dev/null &&
    cmake --build build/windows-host -j2 --target clock_compare >/dev/null || exit 1
fi
ctest --test-dir build/windows-host -L wine ${arch:+-L "^$arch\$"} --output-on-failure "$@"
