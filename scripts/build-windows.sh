#!/usr/bin/env bash
# Cross-compiles the Windows builds with mingw-w64:
#   build/windows-i686/Lumitick.scr     the release (PE32, GUI subsystem)
#   build/windows-x86_64/Lumitick.scr   a second build for the tests
#   build/windows/Lumitick-VERSION-windows.zip
#                                       both, with install steps
#   build/windows/Lumitick-VERSION-setup.exe
#                                       the setup program (NSIS), which
#                                       installs the build that fits the
#                                       machine
#   (the zip and the setup program are made when one run builds both, from
#   the builds without their debugging information, kept as
#   build/windows/ARCH/Lumitick.scr)
#
#   scripts/build-windows.sh [--arch i686|x86_64] [--tests] [-j N]
#
# --tests also builds the test programs (the unit tests, tests/windows/).
# GLFW's sources: $LUMITICK_GLFW_SOURCE_DIR (an unpacked GLFW 3.3.8) when set,
# else Debian's glfw3 source package, fetched once with apt-get source into
# build/windows-deps through a deb-src list of its own (the machine's apt
# configuration is left alone).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

arches=(i686 x86_64)
tests=0
jobs=2
while [ $# -gt 0 ]; do
  case $1 in
    --arch) arches=("$2"); shift 2 ;;
    --tests) tests=1; shift ;;
    -j) jobs=$2; shift 2 ;;
    *) echo "usage: $0 [--arch i686|x86_64] [--tests] [-j N]" >&2; exit 2 ;;
  esac
done

# 1. The generated files (GL name list, pictures) come from a native build:
#    a cross build cannot run its own generators. With --tests, also the
#    native clock_compare, and the cases under Wine registered with ctest
#    there (tests/windows/cases.cmake).
host=build/windows-host
cmake -S . -B $host -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMITICK_TESTS=ON -DLUMITICK_WINE_TESTS=ON >/dev/null
host_targets=(lumitick_generated)
[ $tests -eq 1 ] && host_targets+=(clock_compare)
cmake --build $host -j"$jobs" --target "${host_targets[@]}" >/dev/null

# 2. GLFW's sources.
glfw_args=()
if [ -n "${LUMITICK_GLFW_SOURCE_DIR:-}" ]; then
  glfw_args=(-DLUMITICK_GLFW_SOURCE_DIR="$LUMITICK_GLFW_SOURCE_DIR" -DLUMITICK_GLFW_ARCHIVE=)
else
  archive=$(bash scripts/debian-source.sh glfw3 "$root/build/windows-deps" "glfw3_3.3.8.orig.tar.*")
  glfw_args=(-DLUMITICK_GLFW_ARCHIVE="$archive" -DLUMITICK_GLFW_SOURCE_DIR=)
fi

# 3. The cross builds.
for arch in "${arches[@]}"; do
  dir=build/windows-$arch
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DLUMITICK_HOST_GENERATED_DIR="$root/$host/generated" \
    -DLUMITICK_TESTS=$([ $tests -eq 1 ] && echo ON || echo OFF) "${glfw_args[@]}" >/dev/null
  targets=(lumitick)
  [ $tests -eq 1 ] && targets+=(lumitick_unit_tests lumitick_windows_tests)
  cmake --build "$dir" -j"$jobs" --target "${targets[@]}"
  echo "built $dir/Lumitick.scr"
done

# 4. The zip and the setup program, when this run built both: the builds
#    without their debugging information (the i686 release at the top of
#    the zip, the x86_64 build in x64/), and the install steps.
if [ ${#arches[@]} -eq 2 ]; then
  for arch in i686 x86_64; do
    mkdir -p build/windows/$arch
    $arch-w64-mingw32-strip --strip-debug -o build/windows/$arch/Lumitick.scr build/windows-$arch/Lumitick.scr
  done
  version=$(sed -nE 's/^project\(Lumitick VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
  [ -n "$version" ] || { echo "build-windows.sh: no version in CMakeLists.txt" >&2; exit 1; }
  zip=build/windows/Lumitick-$version-windows.zip
  python3 - "$zip" <<'PY'
import sys, time, zipfile
out = sys.argv[1]
members = [
    ("build/windows/i686/Lumitick.scr", "Lumitick.scr"),
    ("build/windows/x86_64/Lumitick.scr", "x64/Lumitick.scr"),
    ("resources/windows/INSTALL.txt", "INSTALL.txt"),
]
stamp = time.localtime()[:6]
with zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_DEFLATED) as z:
    for path, name in members:
        info = zipfile.ZipInfo(name, stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(path, "rb") as f:
            z.writestr(info, f.read())
PY
  mv "$zip.part" "$zip"
  echo "made $zip"

  setup=build/windows/Lumitick-$version-setup.exe
  makensis -V2 -DVERSION="$version" -DOUTFILE="$root/$setup.part" \
    -DSCR32="$root/build/windows/i686/Lumitick.scr" -DSCR64="$root/build/windows/x86_64/Lumitick.scr" \
    -DICON="$root/$host/generated/pictures/lumitick.ico" resources/windows/setup.nsi
  mv "$setup.part" "$setup"
  echo "made $setup"
fi
