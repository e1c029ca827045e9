# An X server with two monitors for the tests: Xorg with the dummy video
# driver (Xvfb and Xephyr give the window library one monitor only). DUMMY0
# is 1920 x 1080 at 0,0 (primary), DUMMY1 1280 x 1024 at 1920,0; the other
# outputs (DUMMY2 ...) can be switched on at run time with xrandr. Xorg
# needs root (or sudo without a password).
#
#   source tests/e2e/xorg_dummy.sh
#   xorg_dummy_start DIR    # config and log in DIR; sets XORG_DUMMY_PID and
#                           # XORG_DUMMY_DISPLAY (":N"); status 1 on failure

xorg_dummy_start() {
  local dir=$1
  mkdir -p "$dir"
  cat >"$dir/xorg.conf" <<'EOF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
  Option "Monitor-DUMMY0" "mon0"
  Option "Monitor-DUMMY1" "mon1"
EndSection
Section "Monitor"
  Identifier "mon0"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
  Option "PreferredMode" "1920x1080"
  Option "Position" "0 0"
  Option "Primary" "true"
  Option "Enable" "true"
EndSection
Section "Monitor"
  Identifier "mon1"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
  Option "PreferredMode" "1280x1024"
  Option "Position" "1920 0"
  Option "Enable" "true"
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "mon0"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4300 1080
  EndSubSection
EndSection
EOF
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo -n"
  local fifo=$dir/displayfd number=""
  rm -f "$fifo"; mkfifo "$fifo"
  $sudo Xorg -displayfd 3 -config "$dir/xorg.conf" -noreset -nolisten tcp \
    -logfile "$dir/xorg.log" 3>"$fifo" >"$dir/xorg.out" 2>&1 &
  XORG_DUMMY_PID=$!
  read -r -t 20 number <"$fifo"
  [ -n "$number" ] || return 1
  XORG_DUMMY_DISPLAY=":$number"
}
