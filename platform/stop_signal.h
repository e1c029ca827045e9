// A request from outside to stop: SIGTERM or SIGINT on Linux (the way
// xscreensaver ends its hacks). Windows has none; StopRequested stays false.
#pragma once

namespace platform {

void InstallStopSignals();
bool StopRequested();

}  // namespace platform
