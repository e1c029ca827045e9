#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Idempotent and quiet when everything is there. Needs root (or sudo).
#   scripts/install-deps.sh            Linux build and tests
#   scripts/install-deps.sh --windows  also the Windows cross build and Wine
set -euo pipefail

packages=(
  cmake g++ make python3 pkg-config
  libglfw3-dev libx11-dev libxft-dev libfreetype-dev fontconfig fonts-liberation
  libpng-dev libopenal-dev libgtest-dev
  libgl1-mesa-dri libglx-mesa0
  xvfb xauth xdotool x11-utils imagemagick openbox
  clang libfuzzer-14-dev libclang-rt-14-dev faketime strace time
  xscreensaver xscreensaver-data dpkg-dev file groff-base
)
windows=0
if [ "${1:-}" = "--windows" ]; then
  windows=1
  packages+=(mingw-w64 wine64 wine32:i386 dpkg-dev qemu-user)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
if [ $windows -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
