# What a saver run under Wine asked of the power manager: Wine logs each
# SetThreadExecutionState as "NtSetThreadExecutionState (0xFLAGS, ...)" on
# its ntdll warning channel, each DLL it loads on loaddll (so the log was
# taken). Start the saver with WINEDEBUG=$LT_POWER_DEBUG; once it has ended,
# lt_no_power_hold STDERR_FILE WHAT fails on a request that held the display,
# the system or away mode (ES_DISPLAY_REQUIRED 2, _SYSTEM_ 1, _AWAYMODE_ 0x40).
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
