#!/usr/bin/env bash
# Configure mode ("/c") under a window manager (openbox) on a 1920 x 1080
# screen: the About window is found by its name and class, its frame is
# 400 x 300 with the outer corner at (760, 390), its client area shows the
# light-green background, the black underlined title, the three blue text
# lines, the picture (compared with the BMP as ImageMagick decodes it) and the
# button; a click on the text does nothing, a click on the button hands the
# website address to xdg-open (a fake one first on PATH) and leaves the window
# open; Alt+F4 and a WM_DELETE_WINDOW request end the process with status 0.
# The opener inherits no GLIBC_TUNABLES of the saver's. Without a display one
# line says so and the process ends at once.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
command -v openbox >/dev/null || lt_fail "openbox is not installed (scripts/install-deps.sh)"
picture="$LT_BUILD/generated/pictures/about.bmp"
[ -f "$picture" ] || lt_fail "no $picture"
url="https://www.lumitick.example/?utm_source=About"

lt_case "no display: one line, status 0 at once"
(unset DISPLAY; exec "$LT_SAVER" /c >"$LT_TMP/nodisplay.out" 2>"$LT_TMP/nodisplay.err") &
pid=$!
lt_track "$pid"
lt_expect_exit "$pid" 10 "without a display"
[ "$(cat "$LT_TMP/nodisplay.err")" = "lumitick: no display could be opened (DISPLAY is not set)" ] ||
  lt_fail "unexpected messages: $(cat "$LT_TMP/nodisplay.err")"

lt_start_xvfb 1920x1080
lt_start_openbox

# A fake URL opener: records its argument count and arguments, one run a
# line, and the variables of the saver's own it was handed.
mkdir -p "$LT_TMP/bin"
cat >"$LT_TMP/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s' "\$#" >>"$LT_TMP/opened"
for a in "\$@"; do printf '|%s' "\$a" >>"$LT_TMP/opened"; done
echo >>"$LT_TMP/opened"
env | grep '^GLIBC_TUNABLES=\|^LUMITICK_TUNED=' >>"$LT_TMP/opener.env"
EOF
chmod +x "$LT_TMP/bin/xdg-open"

start_about() {
  PATH="$LT_TMP/bin:$PATH" lt_start_saver /c
  about_window() { xdotool search --onlyvisible --name '^About$' 2>/dev/null | head -n 1 | grep .; }
  lt_wait_for 15 about_window || lt_fail "no visible window named About"
  win="$(about_window)"
  frame_ready() { xprop -id "$win" _NET_FRAME_EXTENTS | grep -q '='; }
  lt_wait_for 10 frame_ready || lt_fail "the window manager set no frame extents"
}

lt_case "window name, class, size and position"
start_about
xprop -id "$win" WM_CLASS | grep -q '"VexomarqWindowClass"' || lt_fail "WM_CLASS: $(xprop -id "$win" WM_CLASS)"
read -r left right top bottom < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
outer_ok() {
  read -r cx cy cw ch < <(lt_geometry "$win")
  [ "$((cx - left)) $((cy - top)) $((cw + left + right)) $((ch + top + bottom))" = "760 390 400 300" ]
}
lt_wait_for 5 outer_ok || lt_fail "outer frame $((cx - left)),$((cy - top)) $((cw + left + right))x$((ch + top + bottom)), expected 760,390 400x300 (extents $left $right $top $bottom)"
lt_log "client at $cx,$cy ${cw}x$ch, frame extents $left $right $top $bottom"
size_hints="$(xprop -id "$win" WM_NORMAL_HINTS)"
grep -q "minimum size: ${cw} by ${ch}" <<<"$size_hints" && grep -q "maximum size: ${cw} by ${ch}" <<<"$size_hints" ||
  lt_fail "the window can be resized: $size_hints"

lt_case "background, title, text, picture and button pixels"
# The light green at corners and between the parts.
for rect in "$((cx + 2)) $((cy + 2)) 90 15" "$((cx + 2)) $((cy + 250)) 380 $((ch - 252))" \
            "$((cx + 20)) $((cy + 45)) 110 100" "$((cx + 260)) $((cy + 45)) 130 100"; do
  lt_wait_for 5 lt_colour_is b1e8b3 $rect || lt_fail "background at $rect: $(lt_probe colour $rect)"
done
lt_screenshot "$LT_TMP/shot.png"
convert "$LT_TMP/shot.png" -crop "${cw}x${ch}+${cx}+${cy}" +repage -depth 8 "rgb:$LT_TMP/client.rgb"
convert "$picture" -depth 8 "rgb:$LT_TMP/picture.rgb"
python3 - "$LT_TMP/client.rgb" "$cw" "$ch" "$LT_TMP/picture.rgb" <<'EOF' || lt_fail "pixel checks"
import sys
data = open(sys.argv[1], 'rb').read()
w, h = int(sys.argv[2]), int(sys.argv[3])
pic = open(sys.argv[4], 'rb').read()
failures = []
def px(x, y):
    i = (y * w + x) * 3
    return tuple(data[i:i + 3])
def check(ok, what):
    if not ok:
        failures.append(what)
green = (177, 232, 179)
dark = lambda p: max(p) < 70
blue = lambda p: p[2] > 200 and p[0] < 60 and p[1] < 110

# Picture: 110 x 83 at (142, 55), exactly the bitmap; green just around it.
check(len(pic) == 110 * 83 * 3, "picture is not 110 x 83")
bad = sum(1 for y in range(83) for x in range(110)
          if px(142 + x, 55 + y) != tuple(pic[(y * 110 + x) * 3:(y * 110 + x) * 3 + 3]))
check(bad == 0, "%d picture pixels differ from the bitmap" % bad)
for x, y in [(141, 55), (252, 55), (142, 54), (142, 138), (251, 138)]:
    check(px(x, y) == green, "not background beside the picture at %d,%d: %s" % (x, y, px(x, y)))

# Title in (102, 20) 280 x 20: black, bold, underlined, nothing else.
title = [(x, y) for y in range(20, 40) for x in range(102, min(382, w)) if dark(px(x, y))]
check(len(title) > 400, "title has only %d black pixels" % len(title))
check(title and 102 <= min(x for x, _ in title) <= 106, "title does not start at x 102")
check(not any(blue(px(x, y)) for y in range(20, 40) for x in range(102, min(382, w))), "blue in the title")
def longest_dark_run(y):
    best = run = 0
    for x in range(102, min(382, w)):
        run = run + 1 if dark(px(x, y)) else 0
        best = max(best, run)
    return best
check(max(longest_dark_run(y) for y in range(34, 40)) > 120, "no underline below the title")
check(all(px(x, y) == green for y in range(0, 20) for x in range(0, w) if not (142 <= x < 252 and y >= 55)),
      "something above the title")

# About text in (20, 150) 380 x 80: three blue lines from x 20, each one cell
# (16 pixels) below the last, no black.
rows = [y for y in range(150, 230) if any(blue(px(x, y)) for x in range(20, w))]
bands = []
for y in rows:
    if bands and y == bands[-1][1] + 1:
        bands[-1][1] = y
    else:
        bands.append([y, y])
check(len(bands) == 3, "about text bands %s, expected three lines" % bands)
if len(bands) == 3:
    for i, (first, last) in enumerate(bands):
        check(150 + 16 * i <= first and last < 150 + 16 * (i + 1), "line %d spans rows %d..%d" % (i + 1, first, last))
blues = [(x, y) for y in range(150, 230) for x in range(20, w) if blue(px(x, y))]
check(len(blues) > 600, "only %d blue text pixels" % len(blues))
check(blues and 20 <= min(x for x, _ in blues) <= 24, "about text does not start at x 20")
check(not any(dark(px(x, y)) for y in range(150, 205) for x in range(20, w)), "black in the about text")

# Button at (150, 210) 100 x 32: a grey face with a border and a dark label.
check(px(150, 210) != green and px(249, 241) != green, "no button border")
check(px(149, 210) == green and px(250, 242) == green, "button larger than 100 x 32")
face = px(152, 212)
check(abs(face[0] - face[1]) < 8 and abs(face[1] - face[2]) < 8 and face[0] > 180, "button face %s not grey" % (face,))
check(sum(1 for y in range(212, 240) for x in range(152, 248) if dark(px(x, y))) > 50, "no button label")
for f in failures:
    print("pixel check:", f, file=sys.stderr)
sys.exit(1 if failures else 0)
EOF

lt_case "a click on the text does nothing, a click on the button opens the website"
xdotool mousemove $((cx + 60)) $((cy + 160)) click 1
xdotool mousemove $((cx + 120)) $((cy + 100)) click 1   # the picture
sleep 0.5
[ ! -e "$LT_TMP/opened" ] || lt_fail "a click outside the button opened: $(cat "$LT_TMP/opened")"
xdotool mousemove $((cx + 200)) $((cy + 226)) click 1
lt_wait_for 10 test -s "$LT_TMP/opened" || lt_fail "xdg-open was not started"
[ "$(cat "$LT_TMP/opened")" = "1|$url" ] || lt_fail "xdg-open got: $(cat "$LT_TMP/opened")"
[ -s "$LT_TMP/opener.env" ] && lt_fail "xdg-open inherited: $(cat "$LT_TMP/opener.env")"
# Pressed on the button but released outside it: no click.
xdotool mousemove $((cx + 200)) $((cy + 226)) mousedown 1 mousemove $((cx + 200)) $((cy + 100)) mouseup 1
sleep 0.5
[ "$(wc -l <"$LT_TMP/opened")" -eq 1 ] || lt_fail "a press dragged off the button opened: $(cat "$LT_TMP/opened")"
lt_alive "$LT_PID" || lt_fail "the About window ended after the click"
xdotool search --onlyvisible --name '^About$' | grep -qx "$win" || lt_fail "the About window closed after the click"
zombies="$(ps -o stat= --ppid "$LT_PID" | grep -c Z || true)"
[ "$zombies" -eq 0 ] || lt_fail "$zombies zombie children after the click"

lt_case "Alt+F4 through the window manager ends configure mode with status 0"
xdotool windowactivate --sync "$win"
xdotool key alt+F4
lt_expect_exit "$LT_PID" 10 "after Alt+F4"
grep -q . "$LT_TMP/saver.err" && lt_fail "unexpected messages: $(cat "$LT_TMP/saver.err")"

lt_case "WM_DELETE_WINDOW ends configure mode with status 0"
rm -f "$LT_TMP/opened"
start_about
lt_probe close "$win" || lt_fail "could not send the close request"
lt_expect_exit "$LT_PID" 10 "after WM_DELETE_WINDOW"
[ ! -e "$LT_TMP/opened" ] || lt_fail "opened without a click"

lt_log "PASS"
