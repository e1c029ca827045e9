// A request from outside to stop: SIGTERM or SIGINT on Linux (the way
// xscreensaver, mate-screensaver and xsecurelock end their savers). Windows
// has none; StopRequested stays false.
#pragma once

namespace platform {

// SIGTERM and SIGINT become a stop request; SIGUSR1 (xsecurelock's "reset
// your picture" when its password prompt closes) is taken and ignored: the
// clock has nothing to reset.
void InstallStopSignals();
bool StopRequested();

// Once the saver has stopped on request, ends the process by the signal that
// asked (default action, so the parent sees "terminated by SIGTERM", which
// xscreensaver counts as a hack's normal end). Returns when no signal asked.
void EndByStopSignal();

}  // namespace platform
