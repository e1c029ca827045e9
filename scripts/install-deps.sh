#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Idempotent and quiet when everything is there. Needs root (or sudo).
#   scripts/install-deps.sh            Linux build and tests
#   scripts/install-deps.sh --windows  also the Windows cross build and Wine
# The 32-bit Wine is not installed: scripts/wine32-sysroot.sh unpacks it
# into build/ (the machine keeps one architecture).
set -euo pipefail

packages=(
  cmake g++ make python3 pkg-config
  libglfw3-dev libxrandr-dev libx11-dev libxss-dev libxft-dev libfreetype-dev fontconfig fonts-liberation
  libpng-dev libopenal-dev libgtest-dev
  libgl1-mesa-dri libglx-mesa0
  xvfb xauth xdotool x11-utils imagemagick openbox
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  clang libfuzzer-14-dev libclang-rt-14-dev faketime strace time
  xscreensaver xscreensaver-data dpkg-dev file groff-base
  mate-screensaver xsecurelock dbus-daemon desktop-file-utils lintian
)
windows=0
if [ "${1:-}" = "--windows" ]; then
  windows=1
  packages+=(mingw-w64 wine64 patchelf nsis)
fi

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

# A mirror caught mid-sync fails an index for a while: try again, and go on
# with the indexes there are; the install says whether they were enough.
updated=0
update() {
  local attempt
  updated=1
  for attempt in 1 2 3; do
    $sudo apt-get update -qq && return 0
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    [ $attempt -lt 3 ] && sleep $((attempt * 15))
  done
  return 0
}
install() {
  local attempt
  [ $updated = 1 ] || update
  for attempt in 1 2; do
    $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null && return 0
    echo "apt-get install failed (attempt $attempt of 2)" >&2
    [ $attempt -lt 2 ] && { sleep 20; update; }
  done
  return 1
}

echo "Installing: ${missing[*]}"
install "${missing[@]}" || exit 1
exit 0
