# What a saver run under Wine asked of the power manager. Wine logs each
# SetThreadExecutionState on its ntdll warning channel as
# "NtSetThreadExecutionState (0xFLAGS, ...)", and each DLL it loads on the
# loaddll channel (which shows that the log was taken at all). Start the
# saver with WINEDEBUG=$LT_POWER_DEBUG, then, once it has ended:
#   lt_no_power_hold FILE WHAT   # FILE: its standard error
# fails when a request held the display, the system or away mode
# (ES_DISPLAY_REQUIRED 0x2, ES_SYSTEM_REQUIRED 0x1, ES_AWAYMODE_REQUIRED 0x40).
LT_POWER_DEBUG=warn+ntdll,+loaddll
lt_no_power_hold() {
  lt_case "$2: no execution state that holds the display or the system"
  grep -q ':loaddll:' "$1" || lt_fail "$2: Wine logged nothing into $1"
  local flags
  for flags in $(sed -nE 's/.*NtSetThreadExecutionState \((0x[0-9a-fA-F]+),.*/\1/p' "$1"); do
    (( flags & 0x43 )) && lt_fail "$2 asked for the execution state $flags"
  done
  lt_log "$2: $(grep -c NtSetThreadExecutionState "$1") execution-state requests, none holding the display or the system"
}
