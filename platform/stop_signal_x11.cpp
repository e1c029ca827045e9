// Linux back end of the stop request: SIGTERM and SIGINT set a flag that the
// main loop reads at the end of each turn, so the saver ends with status 0.
#include "platform/stop_signal.h"

#include <csignal>

namespace platform {

namespace {
volatile std::sig_atomic_t sStop = 0;
void OnStopSignal(int) { sStop = 1; }
}  // namespace

void InstallStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

bool StopRequested() { return sStop != 0; }

}  // namespace platform
