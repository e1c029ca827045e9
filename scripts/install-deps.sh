#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Idempotent and quiet when everything is there. Needs root (or sudo).
#   scripts/install-deps.sh            Linux build and tests
#   scripts/install-deps.sh --windows  also the Windows cross build and Wine
# The 32-bit Wine is not installed: scripts/wine32-sysroot.sh unpacks it
# into build/ (the machine keeps one architecture).
# The Wayland back end's layer-shell protocol description is in no binary
# package: it is taken from Debian's wlroots source package into
# build/deps/ (see layer_shell_xml below).
set -euo pipefail
cd "$(dirname "$0")/.."

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
  libwayland-dev libegl-dev wayland-protocols
  sway grim wtype swayidle xwayland
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

# wlr-layer-shell-unstable-v1.xml, out of the wlroots source archive, once.
layer_shell_xml() {
  local xml=build/deps/wlr-layer-shell-unstable-v1.xml archive
  [ -s "$xml" ] && return 0
  archive=$(bash scripts/debian-source.sh wlroots build/deps/wlroots "wlroots_*.orig.tar.*") || return 1
  tar -xOf "$archive" --wildcards '*/protocol/wlr-layer-shell-unstable-v1.xml' > "$xml.part" && mv "$xml.part" "$xml"
  rm -rf build/deps/wlroots
}

mapfile -t missing < <(missing_of "${packages[@]}")
if [ ${#missing[@]} -eq 0 ]; then
  layer_shell_xml
  exit 0
fi

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
layer_shell_xml
