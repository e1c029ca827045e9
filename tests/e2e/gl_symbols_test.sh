#!/usr/bin/env bash
# The loader's pointers carry the GL functions' names; none of them may be
# exported by the executable, or they would stand in for the GL library's
# own functions. The program must not link a GL library either.
set -euo pipefail
bin="$1"
exported=$(nm -D --defined-only "$bin" | awk '{print $3}' | grep -E '^gl[A-Z]' || true)
if [ -n "$exported" ]; then
  echo "exported GL-named symbols:"; echo "$exported" | head
  exit 1
fi
if readelf -d "$bin" | grep -E 'NEEDED.*lib(GL|OpenGL|GLX|EGL)\.so'; then
  echo "the executable links a GL library"
  exit 1
fi
echo "no GL-named exports, no GL library linked"
