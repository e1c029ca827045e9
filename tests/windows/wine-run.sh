#!/usr/bin/env bash
# Runs a Windows program of the cross builds under Wine: the 32- or 64-bit
# loader as the program's PE header says (the 32-bit one $LUMITICK_WINE32
# when set, as scripts/test-windows.sh sets it), quiet, in a prefix of its own
# ($LUMITICK_WINEPREFIX, else $WINEPREFIX, else build/windows-wine in the
# repository). Used as the cross builds' CMAKE_CROSSCOMPILING_EMULATOR.
#   wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${LUMITICK_WINEPREFIX:-${WINEPREFIX:-$here/../../build/windows-wine}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Machine field of the PE header: 0x014c i386, 0x8664 x86-64.
pe=$(od -An -t u4 -j 60 -N 4 "$exe" | tr -d ' ')
machine=$(od -An -t x2 -j $((pe + 4)) -N 2 "$exe" | tr -d ' ')
case $machine in
  014c) loader=${LUMITICK_WINE32:-/usr/lib/wine/wine} ;;
  8664) loader=/usr/lib/wine/wine64 ;;
  *) echo "wine-run.sh: $exe is not a Windows program" >&2; exit 125 ;;
esac
if [ ! -x "$loader" ]; then
  for w in wine64 wine; do command -v $w >/dev/null && loader=$(command -v $w) && break; done
fi
# Wine's loader is linked at 0x7d000000, and this kernel starts a 64-bit
# program's heap anywhere in the GiB above it; about once in a thousand
# starts the heap lies over 0x7ffe0000, the page every Wine process maps
# first, and the process dies at once ("failed to map the shared user
# data"). Wine's processes run here without address randomization.
exec setarch "$(uname -m)" -R "$loader" "$@"
