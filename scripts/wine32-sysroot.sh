#!/usr/bin/env bash
# Prepares the 32-bit Wine for the i686 runs in build/windows-wine32/, to
# run natively or, where the kernel runs no 32-bit programs, through
# qemu-i386, without touching the machine's dpkg database or apt
# configuration:
#   root/     Debian 12's wine32 and Mesa (i386) with their dependencies,
#             unpacked with dpkg-deb -x, beside a copy of the machine's wine64
#             (which starts the 32-bit loader found beside itself);
#   qemu/     qemu-i386 (static) from bookworm-backports, the interpreter the
#             caller registers with binfmt_misc for i386 programs (Debian 12's
#             qemu-user 7.2 turns Wine's page faults into illegal
#             instructions);
#   env       the loaders, folders and emulator, KEY=VALUE a line.
# The packages are fetched once, through apt states of its own (own sources,
# lists, cache and status) over bookworm and bookworm-updates for i386 and
# bookworm-backports for qemu, and kept in build/windows-wine32/debs: a second
# run, or one after rm -rf root, fetches nothing.
#
#   scripts/wine32-sysroot.sh      prints the env file's path
# $LUMITICK_DEBIAN_MIRROR names another Debian archive than the machine's.
# Exits 3 when the archive cannot give the packages, 1 on other failures.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)/build/windows-wine32
root=$top/root
debs=$top/debs

# The 32-bit loader must be the machine's wine64's own version.
wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || {
  echo "wine32-sysroot: wine64 is not installed" >&2; exit 1; }
# wine32 and what its loader and DLLs load at run time: OpenGL through
# libglvnd and Mesa's llvmpipe, and the X extensions winex11 uses.
packages=(wine32="$wine_version" libwine="$wine_version"
  libgl1 libglx-mesa0 libgl1-mesa-dri
  libxrandr2 libxrender1 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1)
# (The sysroot's paths are written into its loader and env file.)
key="wine $wine_version; ${packages[*]}; qemu-user-static bookworm-backports; in $top"
if [ -f "$top/ready" ] && [ "$(cat "$top/ready")" = "$key" ] && [ -f "$top/env" ]; then
  echo "$top/env"; exit 0
fi
command -v patchelf >/dev/null || { echo "wine32-sysroot: patchelf is missing" >&2; exit 1; }

# $LUMITICK_DEBIAN_MIRROR, else the machine's Debian archive (its first URI
# that is not the security archive's), else deb.debian.org.
mirror=${LUMITICK_DEBIAN_MIRROR:-}
if [ -z "$mirror" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
  mirror=$(awk '/^URIs:/ { for (i = 2; i <= NF; i++) if ($i !~ /security/) { print $i; exit } }' \
    /etc/apt/sources.list.d/debian.sources)
fi
if [ -z "$mirror" ]; then
  mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk '$1 == "deb" && !/security/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }')
fi
mirror=${mirror:-http://deb.debian.org/debian}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

# private_apt NAME ARCH SUITES: an apt state in $top/apt-NAME whose only
# configuration is its own (the machine's apt.conf.d, preferences and
# sources are not read), downloading into $debs; sets APT_CONFIG.
private_apt() {
  local d=$top/apt-$1
  mkdir -p "$d/parts" "$d/conf.d" "$d/lists/partial" "$d/state" "$d/cache" "$debs/partial"
  [ -f "$d/state/status" ] || : >"$d/state/status"
  cat >"$d/apt.conf" <<EOF
Dir::Etc::Parts "$d/conf.d";
Dir::Etc::Main "/dev/null";
Dir::Etc::SourceList "/dev/null";
Dir::Etc::SourceParts "$d/parts";
Dir::Etc::Preferences "/dev/null";
Dir::Etc::PreferencesParts "/dev/null";
Dir::State "$d/state";
Dir::State::Lists "$d/lists";
Dir::State::status "$d/state/status";
Dir::Cache "$d/cache";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
Dir::Cache::Archives "$debs";
APT::Architecture "$2";
APT::Architectures { "$2"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Acquire::Languages "none";
Acquire::Retries "3";
EOF
  cat >"$d/parts/debian.sources" <<EOF
Types: deb
URIs: $mirror
Suites: $3
Components: main
Architectures: $2
Signed-By: $keyring
EOF
  export APT_CONFIG=$d/apt.conf
}

# A mirror caught mid-sync fails an index for a while: try again.
update() {
  local attempt
  for attempt in 1 2 3; do
    apt-get -qq update >/dev/null 2>"$top/update.err" && return 0
    echo "wine32-sysroot: apt-get update failed (attempt $attempt of 3): $(tail -n1 "$top/update.err")" >&2
    [ $attempt -lt 3 ] && sleep $((attempt * 10))
  done
  return 1
}
# fetch PACKAGE...: downloads PACKAGE and its dependency closure into $debs
# (what is there already is kept) and prints the file names, one a line.
fetch() {
  local list
  # (--print-uris leaves out what the cache holds: asked with an empty one,
  # it names the whole closure.)
  mkdir -p "$top/none/partial"
  list=$(apt-get -y --print-uris -o Dir::Cache::Archives="$top/none" install "$@" 2>"$top/fetch.err") || {
    cat "$top/fetch.err" >&2; return 1; }
  apt-get -qq -y --download-only install "$@" >/dev/null 2>"$top/fetch.err" || {
    cat "$top/fetch.err" >&2; return 1; }
  awk -F"'" 'NF >= 3 { split($3, f, " "); print f[1] }' <<<"$list"
}

mkdir -p "$top"
echo "wine32-sysroot: wine32 $wine_version, Mesa and qemu-i386 from $mirror into build/windows-wine32" >&2
private_apt i386 i386 "bookworm bookworm-updates"
update || exit 3
i386_files=$(fetch "${packages[@]}") || exit 3
private_apt backports amd64 bookworm-backports
update || exit 3
qemu_files=$(fetch qemu-user-static/bookworm-backports) || exit 3
unset APT_CONFIG

# Unpacked afresh each time the package set changes.
rm -rf "$root.new" "$top/qemu.new"
mkdir -p "$root.new" "$top/qemu.new"
while read -r f; do
  [ -n "$f" ] && dpkg-deb -x "$debs/$f" "$root.new"
done <<<"$i386_files"
# Of the backports package only qemu-i386 is kept.
qemu_deb=$(head -n1 <<<"$qemu_files")
dpkg-deb --fsys-tarfile "$debs/$qemu_deb" | tar -x -C "$top/qemu.new" --strip-components=3 ./usr/bin/qemu-i386
[ -x "$top/qemu.new/qemu-i386" ] || { echo "wine32-sysroot: no qemu-i386 in $qemu_deb" >&2; exit 1; }

# What the packages' install steps and a multiarch install would give:
# 1. The 32-bit loader's interpreter is the sysroot's ld.so (no QEMU_LD_PREFIX:
#    with it, qemu would look up / inside the sysroot, and Wine's drive Z:).
ld=lib/i386-linux-gnu/ld-linux.so.2
[ -e "$root.new/$ld" ] || ld=usr/$ld
patchelf --set-interpreter "$root/$ld" "$root.new/usr/lib/wine/wine"
# 2. 64-bit Wine starts the 32-bit loader found beside itself, and finds its
#    own DLLs relative to itself.
cp /usr/lib/wine/wine64 "$root.new/usr/lib/wine/wine64"
ln -sfn /usr/lib/wine/wineserver64 "$root.new/usr/lib/wine/wineserver"
rm -rf "$root.new/usr/lib/x86_64-linux-gnu/wine"
mkdir -p "$root.new/usr/lib/x86_64-linux-gnu"
ln -s /usr/lib/x86_64-linux-gnu/wine "$root.new/usr/lib/x86_64-linux-gnu/wine"
# 3. zlib1.dll from libz-mingw-w64, marked as Wine's own as libwine's
#    install step does (user32.dll needs it).
zlib_in=$root.new/usr/i686-w64-mingw32/lib/zlib1.dll
zlib_out=$root.new/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
{ head -c 64 "$zlib_in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$zlib_in"; } >"$zlib_out"

rm -rf "$root" "$top/qemu"
mv "$root.new" "$root"
mv "$top/qemu.new" "$top/qemu"
# (The 32-bit processes need the library path and Mesa's driver folder in
# their environment; qemu hands the environment on to them.)
cat >"$top/env" <<EOF
LUMITICK_WINE32=$root/usr/lib/wine/wine
LUMITICK_WINE32_WINE64=$root/usr/lib/wine/wine64
LUMITICK_WINE32_LIBS=$root/lib/i386-linux-gnu:$root/usr/lib/i386-linux-gnu
LUMITICK_WINE32_DRI=$root/usr/lib/i386-linux-gnu/dri
LUMITICK_QEMU_I386=$top/qemu/qemu-i386
EOF
echo "$key" >"$top/ready"
echo "$top/env"
