#!/usr/bin/env bash
# Builds the Debian package of the Linux program and prints its path:
#   scripts/package.sh [--build-dir DIR] [-j N]
#
# DIR (default build/) is configured if needed; only the program is built,
# then CPack packs the install rules (cmake/Install.cmake) into
# DIR/package/lumitick_<version>_<arch>.deb. Install it with
#   sudo apt install ./DIR/package/lumitick_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
jobs=2
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build=$2; shift 2 ;;
    -j) jobs=$2; shift 2 ;;
    *) echo "usage: $0 [--build-dir DIR] [-j N]" >&2; exit 2 ;;
  esac
done

bash scripts/install-deps.sh
if ! command -v dpkg-shlibdeps >/dev/null; then
  echo "package.sh: dpkg-shlibdeps is missing; install Debian's dpkg-dev" >&2
  exit 1
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "package.sh: $build has no CPack configuration (is cmake/Install.cmake included?)" >&2
  exit 1
fi
cmake --build "$build" -j"$jobs" --target lumitick >/dev/null

# CPack takes the modes of the package's folders from its staging folder,
# which a umask such as 077 would make 0700.
umask 022
out="$build/package"
rm -f "$out"/lumitick_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$(cd "$build" && pwd)/package" >"$build/cpack.log" 2>&1 || {
  cat "$build/cpack.log" >&2
  exit 1
}
deb=$(ls "$out"/lumitick_*.deb)
dpkg-deb -f "$deb" Package Version Depends
echo "$deb"
