#!/usr/bin/env bash
# Snapshots through the real scene code compared with the CPU reference fed
# with the program's own pictures, at landscape, portrait and square sizes;
# the snapshot and export options' checks and errors.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
# As under xvfb-run: a server that resets whenever its last client leaves
# (the snapshot's connections must not leave it clientless meanwhile).
LT_XVFB_NORESET= lt_start_xvfb 640x480
compare="$LT_TOOLS/clock_compare"

shot() {  # SIZE TIME ITIME
  local file="$LT_TMP/shot-$1-$2.png"
  "$LT_SAVER" --snapshot "$file" --size "$1" --time "$2" --itime "$3" >"$LT_TMP/snapshot.out" 2>"$LT_TMP/snapshot.err" ||
    lt_fail "snapshot $1 $2 failed"
  [ -s "$LT_TMP/snapshot.out" ] && lt_fail "the snapshot wrote to stdout: $(head -c 300 "$LT_TMP/snapshot.out")"
  "$compare" "$file" --time "$2" --itime "$3" || lt_fail "snapshot $1 at $2 differs from the reference"
}

lt_case "snapshots match the reference"
shot 1920x1080 10:08:30.25 10
shot 720x1280 16:00:00 10        # portrait; the hour hand at 4 o'clock
shot 800x800 03:15:45.5 4        # square, half brightness
shot 1000x600 23:59:59.9 12      # just before midnight

lt_case "before the fade-in the picture is black"
"$LT_SAVER" --snapshot "$LT_TMP/dark.png" --size 320x200 --itime 2.5 >/dev/null 2>&1 || lt_fail "dark snapshot"
[ "$(/usr/bin/convert "$LT_TMP/dark.png" -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)" = "0" ] ||
  lt_fail "a frame at iTime 2.5 is not black"

lt_case "bad option values: one line on stderr, status 2"
for args in "--snapshot" "--snapshot x.png --size 0x10" "--snapshot x.png --time 25:00:00" \
            "--snapshot x.png --time 10:61:00" "--snapshot x.png --itime -1" "--size 10x10" "--bogus"; do
  # shellcheck disable=SC2086
  "$LT_SAVER" $args >/dev/null 2>"$LT_TMP/err"; status=$?
  [ $status -eq 2 ] || lt_fail "'$args' gave status $status"
  [ "$(wc -l <"$LT_TMP/err")" -eq 1 ] || lt_fail "'$args' printed: $(cat "$LT_TMP/err")"
done
"$LT_SAVER" --help | grep -q -- "--snapshot" || lt_fail "--help"
"$LT_SAVER" --version | grep -q "^lumitick [0-9]" || lt_fail "--version"

lt_case "resources are exported byte for byte"
"$LT_SAVER" --export-resources "$LT_TMP/res" >/dev/null || lt_fail "export failed"
src="$(cd "$(dirname "$0")/../../resources" && pwd)"
cmp "$LT_TMP/res/TEXTFILE-136.txt" "$src/clock.frag" || lt_fail "TEXTFILE-136 differs"
cmp "$LT_TMP/res/TEXTFILE-141.txt" "$src/rectangle_object.obj" || lt_fail "TEXTFILE-141 differs"
for id in 101 208 209; do
  [ "$(head -c 2 "$LT_TMP/res/BITMAP-$id.bmp")" = "BM" ] || lt_fail "BITMAP-$id is no BMP file"
done
/usr/bin/identify "$LT_TMP/res/BITMAP-208.bmp" | grep -q "2048x2048" || lt_fail "BITMAP-208 size"
lt_log "PASS"
