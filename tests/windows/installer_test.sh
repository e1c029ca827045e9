#!/usr/bin/env bash
# The setup program under Wine, as a new user would run it, in a fresh
# prefix of the route's kind:
#   x86_64  a 64-bit Windows: the x86_64 build in the 64-bit System32, the
#           uninstall entry in the 64-bit registry view;
#   i686    a 32-bit Windows: the i686 build in System32.
# setup.exe /S installs the build, makes it the user's screen saver and adds
# the uninstall entry; the installed file's /s shows the clock; /S again
# while that file runs as /s or /p ends it and leaves the new file, once; the
# silent uninstall (the entry's QuietUninstallString) while /s or /p runs
# ends it and leaves no file (none pending), no entry, no SCRNSAVE.EXE, and
# ScreenSaveTimeOut as it was; with the file held by a program it does not
# end, the file is pending removal at restart and the status 3010.
#
# The installer is a 32-bit program: it runs with the 32-bit Wine on both.
#
#   installer_test.sh ROUTE NATIVE_BUILD
source "$(dirname "$0")/../e2e/lib.sh"
route=${1:?route: x86_64 or i686}
setup=$(ls "$LT_ROOT"/build/windows/Lumitick-*-setup.exe 2>/dev/null | head -n 1)
lt_init "${setup:-$LT_ROOT/build/windows/Lumitick-VERSION-setup.exe}" "${2:?native build}"
trap lt_wine_cleanup EXIT
shipped=$LT_ROOT/build/windows/$route/Lumitick.scr
[ -f "$shipped" ] || lt_fail "no $shipped (scripts/build-windows.sh)"
version=$(sed -nE 's/^project\(Lumitick VERSION ([0-9.]+).*/\1/p' "$LT_ROOT/CMakeLists.txt")
lt_wine32
export WINEPREFIX=$LT_TMP/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
unset LUMITICK_WINEPREFIX
system=$WINEPREFIX/drive_c/windows/system32
if [ "$route" = x86_64 ]; then
  wine=$LUMITICK_WINE32_WINE64
else
  wine=$LUMITICK_WINE32
  export WINEARCH=win32
fi
# Every program of the prefix has ended (the uninstaller's copy of itself
# included) and the registry is written.
settled() { "$LT_WINESERVER" -w; }
reg() { lt_wine_direct "$wine" reg "$@" 2>/dev/null | tr -d '\r'; }
has_key() { lt_wine_direct "$wine" reg query "$1" >/dev/null 2>&1; }
desktop='HKCU\Control Panel\Desktop'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumitick'
value_of() { reg query "$1" /v "$2" | awk -v n="$2" '$1 == n { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'; }
unix_path() { sed -e 's|^[Cc]:\\|'"$WINEPREFIX"'/drive_c/|' -e 's|\\|/|g' <<<"$1"; }

# (Every program of the prefix on one display: Wine's desktop process
# stays on the display it started on.)
lt_start_xvfb "$([ "$LT_SCALE" = 1 ] && echo 640x480 || echo 480x360)"
lt_case "a fresh $route prefix"
made=$(date +%s)
lt_wine_direct "$wine" wineboot -i >"$LT_TMP/wineboot.out" 2>&1
settled
[ -f "$system/kernel32.dll" ] || lt_fail "wineboot made no prefix"
if [ "$route" = x86_64 ]; then
  [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] || lt_fail "the 64-bit prefix has no 32-bit system"
else
  [ ! -e "$WINEPREFIX/drive_c/windows/syswow64" ] || lt_fail "the 32-bit prefix has a syswow64"
fi
lt_log "prefix made in $(($(date +%s) - made)) s"
reg add "$desktop" /v ScreenSaveTimeOut /d 420 /f >/dev/null

# installed: the build in System32 and nowhere else, the two values, the
# entry with what Apps / Programs and Features shows, the uninstaller.
installed() {
  local found
  cmp -s "$system/Lumitick.scr" "$shipped" || lt_fail "System32\\Lumitick.scr is not the $route build"
  found=$(find "$WINEPREFIX/drive_c" -iname lumitick.scr | wc -l)
  [ "$found" = 1 ] || lt_fail "$found copies of Lumitick.scr: $(find "$WINEPREFIX/drive_c" -iname lumitick.scr)"
  local saver; saver=$(value_of "$desktop" SCRNSAVE.EXE)
  [ "${saver,,}" = 'c:\windows\system32\lumitick.scr' ] ||
    lt_fail "SCRNSAVE.EXE is '$(value_of "$desktop" SCRNSAVE.EXE)'"
  [ "$(value_of "$desktop" ScreenSaveActive)" = 1 ] || lt_fail "ScreenSaveActive is not 1"
  local name want
  for name in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString QuietUninstallString; do
    [ -n "$(value_of "$entry" $name)" ] || lt_fail "the uninstall entry has no $name: $(reg query "$entry")"
  done
  [ "$(value_of "$entry" DisplayVersion)" = "$version" ] || lt_fail "DisplayVersion $(value_of "$entry" DisplayVersion)"
  [ "$(value_of "$entry" EstimatedSize)" != 0x0 ] || lt_fail "EstimatedSize 0"
  want='"C:\Program Files\Lumitick\uninstall.exe" /S _?=C:\Program Files\Lumitick'
  [ "$(value_of "$entry" QuietUninstallString)" = "$want" ] ||
    lt_fail "QuietUninstallString '$(value_of "$entry" QuietUninstallString)'"
  if [ "$route" = x86_64 ]; then
    ! has_key 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Lumitick' ||
      lt_fail "an uninstall entry in the 32-bit registry view"
  fi
  found=$(reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -ic 'uninstall\\lumitick$')
  [ "$found" = 1 ] || lt_fail "$found uninstall entries"
  [ -f "$WINEPREFIX/drive_c/Program Files/Lumitick/uninstall.exe" ] || lt_fail "no uninstaller in Program Files\\Lumitick"
}

lt_case "setup /S installs the $route build"
started=$(date +%s)
"$LT_WINE_RUN" "$LT_SAVER" /S >"$LT_TMP/setup.out" 2>&1 || lt_fail "setup /S: status $?"
settled
installed
lt_log "installed in $(($(date +%s) - started)) s"

lt_case "the installed saver's /s shows the clock"
"$LT_WINE_RUN" "$system/Lumitick.scr" /s >"$LT_TMP/s.out" 2>&1 &
saver=$!
lt_track $saver
lt_wait_for 60 eval 'xdotool search --onlyvisible --name "^Lumitick Screensaver\$"' || lt_fail "/s opened no window"
sleep $(( $(lt_tenths 7) / 10 ))  # past the fade-in (3 to 5 s after start)
tries=0
until lt_shows_clock s; do
  tries=$((tries + 1))
  lt_log "screenshot $tries: $(head -n 1 "$LT_TMP/s.compare")"
  [ $tries -lt 3 ] || lt_fail "/s of the installed saver differs from the CPU reference"
done
xdotool key a
lt_expect_exit $saver 10 "/s after a key"

# run_installed MODE: System32\Lumitick.scr runs as /s, or as /p in a
# preview host (LT_HOST), until it shows its window; LT_PID.
LT_WINE_BUILD=$LT_ROOT/build/windows-$route
run_installed() {
  [ "$1" = /s ] || { lt_wine_host 320 240; set -- /p "$LT_HOST"; }
  "$LT_WINE_RUN" "$system/Lumitick.scr" "$@" >"$LT_TMP/running.out" 2>&1 &
  LT_PID=$!; lt_track $LT_PID
  local shown='lt_wine_window "Lumitick Screensaver"'
  [ "$1" = /s ] || shown='lt_wine_ask children | grep -q LumitickPreviewChild'
  lt_wait_for 60 eval "$shown" || lt_fail "$1 made no window"
}
ended() { lt_wait_exit "$LT_PID" 5 || lt_fail "the running $1 was not ended"; [ "$1" = /s ] || lt_wine_ask quit >/dev/null; }
for mode in /s /p; do
  lt_case "setup /S over a running $mode: ended, the new file in place, one file, one entry"
  printf x >>"$system/Lumitick.scr"  # (which makes the running file an older one)
  run_installed $mode
  "$LT_WINE_RUN" "$LT_SAVER" /S >"$LT_TMP/setup2.out" 2>&1 || lt_fail "setup /S again: status $?"
  ended $mode
  installed
done

# The uninstall as the entry says (in place: its status is the uninstall's).
uninstall() {
  local quiet words
  quiet=$(value_of "$entry" QuietUninstallString)
  read -ra words <<<"${quiet#\"*\" }"  # (Wine joins them with spaces again)
  "$LT_WINE_RUN" "$(unix_path "$(sed -E 's/^"([^"]+)".*/\1/' <<<"$quiet")")" "${words[@]}" >"$LT_TMP/uninstall.out" 2>&1
}
pending() { reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations | grep -iq 'system32\\lumitick\.scr'; }
removed() {
  lt_wait_for 30 test ! -e "$WINEPREFIX/drive_c/Program Files/Lumitick" || lt_fail "Program Files\\Lumitick left"
  ! has_key "$entry" || lt_fail "the uninstall entry is left"
  [ -z "$(value_of "$desktop" SCRNSAVE.EXE)" ] || lt_fail "SCRNSAVE.EXE left: $(value_of "$desktop" SCRNSAVE.EXE)"
  [ "$(value_of "$desktop" ScreenSaveTimeOut)" = 420 ] || lt_fail "ScreenSaveTimeOut changed: $(reg query "$desktop")"
}
for mode in /s /p; do
  lt_case "the silent uninstall while $mode runs: ended, no file, none pending, status 0"
  [ $mode = /s ] || { "$LT_WINE_RUN" "$LT_SAVER" /S >"$LT_TMP/setup3.out" 2>&1 || lt_fail "setup /S: status $?"; }
  run_installed $mode
  uninstall || lt_fail "uninstall: status $?"
  ended $mode
  removed
  [ -z "$(find "$WINEPREFIX/drive_c" -iname lumitick.scr)" ] || lt_fail "Lumitick.scr left: $(find "$WINEPREFIX/drive_c" -iname lumitick.scr)"
  ! pending || lt_fail "Lumitick.scr pending removal"
done

lt_case "the silent uninstall with the file held by a program it does not end: pending, status 3010"
"$LT_WINE_RUN" "$LT_SAVER" /S >"$LT_TMP/setup4.out" 2>&1 || lt_fail "setup /S: status $?"
ln "$system/Lumitick.scr" "$LT_TMP/Held.scr"  # (the same file under another name)
"$LT_WINE_RUN" "$LT_TMP/Held.scr" /c >"$LT_TMP/held.out" 2>&1 &
lt_track $!
lt_wait_for 60 lt_wine_window About || lt_fail "Held.scr /c showed no window"
uninstall; status=$?
[ $status = $((3010 % 256)) ] || lt_fail "uninstall with the file held: status $status (Unix keeps its low byte)"
[ -f "$system/Lumitick.scr" ] && pending || lt_fail "Lumitick.scr neither left nor pending"
removed
lt_log "PASS"
