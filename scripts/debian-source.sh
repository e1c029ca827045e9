#!/usr/bin/env bash
# Fetches a Debian source package's files into a folder through a deb-src
# list of its own (the machine's apt configuration is left alone), once:
#   scripts/debian-source.sh PACKAGE DIR GLOB
# prints the path of the first file of DIR matching GLOB (e.g.
# "glfw3_3.3.8.orig.tar.*"), fetching the package first when none does.
set -euo pipefail
package=${1:?package} dir=${2:?folder} glob=${3:?file name pattern}

mkdir -p "$dir"
dir=$(cd "$dir" && pwd)  # apt takes its folders as absolute paths
found() { ls "$dir"/$glob 2>/dev/null | head -n1 || true; }
file=$(found)
if [ -z "$file" ]; then
  apt_dir=$dir/apt
  mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$apt_dir/parts/src.sources"
  else
    grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > "$apt_dir/parts/src.list"
  fi
  A=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/parts" -o Dir::State::Lists="$apt_dir/lists")
  apt-get "${A[@]}" update -qq >&2
  (cd "$dir" && apt-get "${A[@]}" source --download-only "$package" >/dev/null)
  file=$(found)
  if [ -z "$file" ]; then
    echo "debian-source.sh: apt-get source $package gave no $glob" >&2
    exit 1
  fi
fi
echo "$file"
