#!/usr/bin/env bash
# The install rules and the Debian package made from them: the layout
# Debian's xscreensaver expects, the hack's entries for xscreensaver's
# settings and for mate-screensaver, a manual page that matches --help, and a
# .deb whose dependencies name the package of every library the program
# needs, whose Installed-Size counts what it installs, which lintian passes,
# whose stripped program still draws the clock, which apt can install on
# this system, and which mate-screensaver, with the package's files in
# place, lists (a live preview in its preferences) and runs.
source "$(dirname "$0")/lib.sh"
lt_init "$@"

stage="$LT_TMP/stage"
hack="$stage/usr/libexec/xscreensaver/lumitick"
xml="$stage/usr/share/xscreensaver/config/lumitick.xml"
man6="$LT_TMP/lumitick.6"
desktop="$stage/usr/share/applications/screensavers/lumitick.desktop"

lt_case "cmake --install lays the files out as xscreensaver expects"
DESTDIR="$stage" cmake --install "$LT_BUILD" --prefix /usr --component saver >"$LT_TMP/install.out" 2>&1 ||
  lt_fail "cmake --install failed"
files=$(cd "$stage" && find . \( -type f -o -type l \) | sort | tr '\n' ' ')
want="./usr/bin/lumitick ./usr/libexec/xscreensaver/lumitick ./usr/share/applications/screensavers/lumitick.desktop ./usr/share/doc/lumitick/changelog.Debian.gz ./usr/share/doc/lumitick/copyright ./usr/share/man/man6/lumitick.6.gz ./usr/share/xscreensaver/config/lumitick.xml "
[ "$files" = "$want" ] || lt_fail "installed files: $files; expected: $want"
[ -x "$hack" ] || lt_fail "the program is not executable"
[ "$(readlink "$stage/usr/bin/lumitick")" = "../libexec/xscreensaver/lumitick" ] || lt_fail "bin/lumitick is not a relative link to the program"
version=$("$stage/usr/bin/lumitick" --version) || lt_fail "the installed program does not run"
[ "$version" = "$("$LT_SAVER" --version)" ] || lt_fail "installed version $version differs from the build's"

lt_case "the hack's entry for xscreensaver's settings"
python3 - "$xml" <<'EOF' || lt_fail "lumitick.xml is not what xscreensaver's settings expect"
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
problems = []
if root.tag != "screensaver": problems.append("root element " + root.tag)
if root.get("name") != "lumitick": problems.append("name must be the program's file name")
if root.get("_label") != "Lumitick": problems.append("label " + str(root.get("_label")))
commands = [c.get("arg", "") for c in root.findall("command")]
if not any(a.split()[:1] in (["-root"], ["--root"]) for a in commands): problems.append("no --root command")
options = [c.tag for c in root if c.tag not in ("command", "_description", "xscreensaver-updater", "video")]
if options: problems.append("unexpected options: " + ", ".join(options))
if len((root.findtext("_description") or "").split()) < 10: problems.append("no description")
for p in problems: print("lumitick.xml:", p, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF

lt_case "the hack's entry for mate-screensaver"
command -v desktop-file-validate >/dev/null || lt_fail "desktop-file-validate is not installed (Debian package desktop-file-utils)"
desktop-file-validate --no-hints "$desktop" || lt_fail "lumitick.desktop does not validate"
for line in "Name=Lumitick" "Exec=/usr/libexec/xscreensaver/lumitick --root" "TryExec=/usr/libexec/xscreensaver/lumitick" \
            "Type=Application" "Categories=Screensaver;" "OnlyShowIn=MATE;"; do
  grep -qxF "$line" "$desktop" || lt_fail "lumitick.desktop lacks $line"
done

lt_case "the manual page renders cleanly and matches --help"
command -v groff >/dev/null || lt_fail "groff is not installed (Debian package groff-base)"
zcat "$stage/usr/share/man/man6/lumitick.6.gz" >"$man6" || lt_fail "the manual page is not gzip"
warnings=$(LC_ALL=C.UTF-8 groff -k -ww -z -man -Tutf8 "$man6" 2>&1)
[ -z "$warnings" ] || lt_fail "manual page warnings: $warnings"
"$LT_SAVER" --help >"$LT_TMP/help.txt" || lt_fail "--help failed"
python3 - "$man6" "$LT_TMP/help.txt" "$version" <<'EOF' || lt_fail "the manual page and --help differ"
import re, sys
man = open(sys.argv[1], encoding="utf-8").read().splitlines()
help_lines = open(sys.argv[2], encoding="utf-8").read().splitlines()
version = sys.argv[3].split()[-1]
option = re.compile(r"(?<![\w-])(/[a-z]|--?[a-z][a-z-]*)")
# Option headings of the OPTIONS section: the line after each .TP.
in_options, from_man = False, set()
for i, line in enumerate(man):
    if line.startswith(".SH"):
        in_options = line.split(None, 1)[1:] == ["OPTIONS"]
    elif in_options and line.strip() == ".TP" and i + 1 < len(man):
        from_man.update(option.findall(man[i + 1].replace("\\-", "-")))
# Option lines of --help: two blanks, then the option column.
from_help = set()
for line in help_lines:
    m = re.match(r"  (\S.*?)(?:  |$)", line)
    if m:
        from_help.update(option.findall(m.group(1)))
ok = True
for name, missing in (("the manual page", from_help - from_man), ("--help", from_man - from_help)):
    if missing:
        print("options missing from %s: %s" % (name, " ".join(sorted(missing))), file=sys.stderr)
        ok = False
th = next((l for l in man if l.startswith(".TH")), "")
if version not in th:
    print("the manual page's .TH line (%s) does not carry version %s" % (th, version), file=sys.stderr)
    ok = False
if len(from_help) < 10:
    print("too few options read from --help: %s" % sorted(from_help), file=sys.stderr)
    ok = False
sys.exit(0 if ok else 1)
EOF

lt_case "cpack builds the .deb from the same install rules"
[ -f "$LT_BUILD/CPackConfig.cmake" ] || lt_fail "no CPackConfig.cmake in $LT_BUILD (cmake/Install.cmake not included?)"
command -v dpkg-shlibdeps >/dev/null || lt_fail "dpkg-shlibdeps is missing (Debian package dpkg-dev)"
# (with the umask scripts/package.sh sets: CPack takes the folders' modes
# from its staging folder)
(umask 022 && cpack --config "$LT_BUILD/CPackConfig.cmake" -B "$LT_TMP/pkg") >"$LT_TMP/cpack.out" 2>&1 ||
  lt_fail "cpack failed"
deb=$(ls "$LT_TMP"/pkg/lumitick_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || lt_fail "cpack made no lumitick_*.deb"
[ "$(dpkg-deb -f "$deb" Package)" = lumitick ] || lt_fail "package name"
# The program's version and the package's own revision.
[ "$(dpkg-deb -f "$deb" Version)" = "${version#lumitick }-1" ] || lt_fail "package version $(dpkg-deb -f "$deb" Version) is not --version's, revision 1"
zcat "$stage/usr/share/doc/lumitick/changelog.Debian.gz" | head -n 1 | grep -qF "lumitick (${version#lumitick }-1)" ||
  lt_fail "changelog.Debian.gz does not begin with this version"
packed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort | tr '\n' ' ')
want_deb="$want./usr/share/lintian/overrides/lumitick "
[ "$(tr ' ' '\n' <<<"$packed" | sort | tr '\n' ' ')" = "$(tr ' ' '\n' <<<"$want_deb" | sort | tr '\n' ' ')" ] ||
  lt_fail "packaged files: $packed; expected: $want_deb"
# Installed-Size in KiB: the files once, not the program twice (through its
# link); folders and the link add a KiB each.
size=$(dpkg-deb -f "$deb" Installed-Size)
files=$(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { kib += int(($3 + 1023) / 1024) } END { print kib }')
lt_log "Installed-Size $size KiB, the files $files KiB"
[ "$size" -ge "$files" ] && [ "$size" -le $((files + 64)) ] || lt_fail "Installed-Size $size KiB for $files KiB of files"
# Everything owned by root, folders and the program 0755, the rest 0644.
modes=$(dpkg-deb -c "$deb" | awk '
  $2 != "root/root" { print "owner", $2, $6 }
  $1 ~ /^d/ && $1 != "drwxr-xr-x" { print $1, $6 }
  $1 ~ /^-/ && $6 != "./usr/libexec/xscreensaver/lumitick" && $1 != "-rw-r--r--" { print $1, $6 }
  $1 ~ /^-/ && $6 == "./usr/libexec/xscreensaver/lumitick" && $1 != "-rwxr-xr-x" { print $1, $6 }')
[ -z "$modes" ] || lt_fail "packaged modes: $modes"

lt_case "lintian finds nothing (each override has its reason)"
command -v lintian >/dev/null || lt_fail "lintian is not installed (scripts/install-deps.sh)"
lintian "$deb" >"$LT_TMP/lintian.out" 2>&1 || lt_fail "lintian: $(cat "$LT_TMP/lintian.out")"
grep -E '^[EW]: ' "$LT_TMP/lintian.out" && lt_fail "lintian: $(cat "$LT_TMP/lintian.out")"

lt_case "the package depends on the package of every library the program needs"
depends=$(dpkg-deb -f "$deb" Depends)
lt_log "Depends: $depends"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# Libraries the program links, and the one it opens at run time.
needed="$(readelf -d "$hack" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p') libGL.so.1"
reals=()
for so in $needed; do
  path=$(ldconfig -p | awk -v s="$so" '$1 == s && /x86-64|'"$multiarch"'/ { print $NF; exit }')
  [ -n "$path" ] || lt_fail "$so is not known to ldconfig"
  reals+=("$(basename "$(readlink -f "$path")")")
done
owners=$(dpkg -S "${reals[@]}" 2>/dev/null)
i=0
for so in $needed; do
  real=${reals[$i]}
  i=$((i + 1))
  owner=$(awk -v want="/$multiarch/$real" '
    { n = length(want); if (substr($NF, length($NF) - n + 1) == want) { sub(/:.*/, "", $1); print $1; exit } }' <<<"$owners")
  [ -n "$owner" ] || lt_fail "no installed package owns $real"
  tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }' | grep -Fxq "$owner" || lt_fail "Depends lacks $owner (for $so)"
done
apt-get -s -q install --no-install-recommends "$deb" >"$LT_TMP/apt.out" 2>&1 &&
  grep -q '^Inst lumitick\|^Conf lumitick' "$LT_TMP/apt.out" || lt_fail "apt cannot install the package: $(tail -n 5 "$LT_TMP/apt.out")"

lt_case "the packaged (stripped) program still draws the clock"
dpkg-deb -x "$deb" "$LT_TMP/unpacked" || lt_fail "dpkg-deb -x failed"
file -L "$LT_TMP/unpacked/usr/bin/lumitick" | grep -q 'not stripped' && lt_fail "the packaged program is not stripped"
lt_start_xvfb 640x480
# (Mesa's shader cache goes into the test's folder, not the user's.)
XDG_CACHE_HOME="$LT_TMP/cache" "$LT_TMP/unpacked/usr/libexec/xscreensaver/lumitick" --snapshot "$LT_TMP/snap.png" --size 320x180 --time 10:08:30.25 \
  >"$LT_TMP/snap.out" 2>"$LT_TMP/snap.err" || lt_fail "the packaged program's snapshot failed"
"$LT_TOOLS/clock_compare" "$LT_TMP/snap.png" --time 10:08:30.25 >"$LT_TMP/compare.out" 2>&1 ||
  lt_fail "the packaged program's snapshot differs from the reference: $(head -n 3 "$LT_TMP/compare.out")"
lt_case "mate-screensaver lists the package's saver (a live preview) and runs it"
for p in mate-screensaver mate-screensaver-command mate-screensaver-preferences dbus-daemon unshare; do
  command -v "$p" >/dev/null || lt_fail "$p is not installed (scripts/install-deps.sh)"
done
# The package's files in place for the processes below only: the unpacked
# package laid over /usr in a mount namespace of their own. in_package
# replaces the (sub)shell it runs in, so a background one's pid is the
# program's.
ns=(unshare -m --propagation private)
[ "$(id -u)" = 0 ] || ns=(unshare -r -m --propagation private)
in_package() {
  exec "${ns[@]}" sh -c 'mount -t overlay overlay -o lowerdir="$1/usr:/usr" /usr && shift && exec "$@"' \
    sh "$LT_TMP/unpacked" "$@"
}
(in_package test -x /usr/libexec/xscreensaver/lumitick) 2>"$LT_TMP/namespace.err" ||
  lt_fail "cannot lay the package over /usr in a mount namespace: $(cat "$LT_TMP/namespace.err")"
# Its settings from a key file: this one theme, no lock, no idle activation.
export XDG_CONFIG_HOME="$LT_TMP/config" GSETTINGS_BACKEND=keyfile NO_AT_BRIDGE=1 HOME="$LT_TMP/home"
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings" "$HOME"
printf '%s\n' "[org/mate/screensaver]" "mode='single'" "themes=['screensavers-lumitick']" \
  "lock-enabled=false" "idle-activation-enabled=false" >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
# A session bus of the test's own.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$LT_TMP/bus"
dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --nofork --nopidfile >"$LT_TMP/bus.out" 2>&1 &
lt_track $!
lt_wait_for 10 test -S "$LT_TMP/bus" || lt_fail "no session bus"
# hack_of PID: the saver that process runs; drawn PID: the saver's window
# ($XSCREENSAVER_WINDOW) shows a picture.
hack_of() { pgrep -P "$1" -x -f '/usr/libexec/xscreensaver/lumitick --root'; }
drawn() {
  local w x y ww hh
  w=$(tr '\0' '\n' <"/proc/$1/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
  read -r x y ww hh < <(lt_geometry "$w") && [ "$(lt_probe colour "$x" "$y" "$ww" "$hh")" = mixed ]
}
(in_package mate-screensaver-preferences) >"$LT_TMP/prefs.out" 2>"$LT_TMP/prefs.err" &
prefs=$!
lt_track "$prefs"
lt_wait_for 20 hack_of "$prefs" || lt_fail "the preferences show no preview of Lumitick"
preview=$(hack_of "$prefs")
lt_wait_for 20 drawn "$preview" || lt_fail "the preview draws nothing"
kill -TERM "$prefs"
lt_wait_exit "$prefs" 10 || lt_fail "the preferences did not close"
lt_wait_for 10 eval '! lt_alive "$preview"' || lt_fail "the preview outlived the preferences"

(in_package mate-screensaver --no-daemon --debug) >"$LT_TMP/mate.out" 2>"$LT_TMP/mate.err" &
daemon=$!
lt_track "$daemon"
lt_wait_for 20 mate-screensaver-command --query || lt_fail "mate-screensaver does not answer"
mate-screensaver-command --activate >/dev/null || lt_fail "mate-screensaver-command --activate failed"
lt_wait_for 20 hack_of "$daemon" || lt_fail "mate-screensaver did not start Lumitick"
hack=$(hack_of "$daemon")
lt_wait_for 20 drawn "$hack" || lt_fail "nothing drawn while blanked"
mate-screensaver-command --deactivate >/dev/null || lt_fail "mate-screensaver-command --deactivate failed"
lt_wait_for 10 eval '! lt_alive "$hack"' || lt_fail "Lumitick still runs after --deactivate"
grep -q 'Could not find information for theme' "$LT_TMP/mate.err" "$LT_TMP/prefs.err" &&
  lt_fail "mate-screensaver did not find the theme"
kill -TERM "$daemon"
lt_wait_exit "$daemon" 10 || lt_fail "mate-screensaver did not end"
lt_log "PASS"
