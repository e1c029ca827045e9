// Windows has no stop request from outside: the screensaver machinery ends
// the saver with input or by closing its window.
#include "platform/stop_signal.h"

namespace platform {

void InstallStopSignals() {}
bool StopRequested() { return false; }
void EndByStopSignal() {}

}  // namespace platform
