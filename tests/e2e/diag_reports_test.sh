#!/usr/bin/env bash
# The developer reports. The delivered program (both switches off) runs
# without an "Info" box. A build with both switches on (its own small build
# tree beside this one, only the lumitick target) shows the OpenGL capability
# report once the window is open, then the first frame's times (one value
# three times), and ends with status 0.
source "$(dirname "$0")/lib.sh"
lt_init "$@"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
tree="$LT_BUILD/diag-switches"
lt_start_xvfb 640x480

lt_case "switches off: no Info box, the saver keeps running"
lt_start_saver /s
lt_wait_window_of_pid "$LT_PID" 20 >/dev/null || lt_fail "no saver window"
lt_expect_running "$LT_PID" 2 "the delivered saver"
xdotool key space
lt_expect_exit "$LT_PID" 10 "after a key"
grep -q "=== Info" "$LT_TMP/saver.err" && lt_fail "an Info box without the switches: $(cat "$LT_TMP/saver.err")"

lt_case "a build with both switches on"
cmake -S "$source_dir" -B "$tree" -DCMAKE_BUILD_TYPE=Release -DLUMITICK_TESTS=OFF \
  -DLUMITICK_SHOW_GL_CAPABILITIES=ON -DLUMITICK_SHOW_FRAME_TIMES=ON >"$LT_TMP/configure.out" 2>&1 ||
  lt_fail "configure: $(tail -n 20 "$LT_TMP/configure.out")"
cmake --build "$tree" -j2 --target lumitick >"$LT_TMP/build.out" 2>&1 || lt_fail "build: $(tail -n 30 "$LT_TMP/build.out")"

lt_case "capability report, then the first frame's times, then status 0"
LT_SAVER="$tree/lumitick" LT_SAVER_TAG=switches lt_start_saver /s
lt_expect_exit "$LT_PID" 60 "the switch build"
python3 - "$LT_TMP/switches.err" <<'EOF' || lt_fail "reports: $(cat -A "$LT_TMP/switches.err" | head -n 20)"
import re, sys
err = open(sys.argv[1], 'rb').read().decode('utf-8', 'replace')
# Each box is "=== Info ===\n", its text (lines end in CR LF) and one "\n".
blocks = re.findall(r'=== Info ===\n((?:[^\n]|(?<=\r)\n)*)\n', err)
assert len(blocks) == 2, "expected two Info boxes, got %d" % len(blocks)
caps, times = blocks
lines = caps.split('\r\n')
labels = ["OpenGL Major and Minor version: ", "OpenGL Version string: ", "OpenGL Renderer string: ",
          "Max Attrib Count: ", "Max Uniform Locations: ", "Max Vertex Uniform Count: ",
          "Max Fragment Uniform Count: ", "Max Elements Indices: ", "Max Elements Vertices: ", "Max Texture Size: "]
assert len(lines) == 10, "capability report has %d lines" % len(lines)
for line, label in zip(lines, labels):
    assert line.startswith(label), "%r does not start with %r" % (line, label)
    assert '\n' not in line and '\r' not in line, "stray line end in %r" % line
values = [line[len(label):] for line, label in zip(lines, labels)]
assert re.fullmatch(r'[1-9]\.[0-9]', values[0]), "version %r" % values[0]
assert values[1].startswith(values[0]), "version string %r does not match %r" % (values[1], values[0])
assert values[2], "no renderer string"
for v in values[3:]:
    assert re.fullmatch(r'[1-9][0-9]*', v), "capability %r is not a positive integer" % v
m = re.fullmatch(r'Min: (\S+)\r\nMax: (\S+)\r\nAverage: (\S+)', times)
assert m, "frame-time report %r" % times
assert m.group(1) == m.group(2) == m.group(3), "first frame: %s" % (m.groups(),)
assert float(m.group(1)) > 0, "frame time %s" % m.group(1)
EOF

lt_log "PASS"
