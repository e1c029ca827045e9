// Linux back end of the stop request: SIGTERM and SIGINT set a flag that the
// main loop reads at the end of each turn; once the loop has ended, the
// process ends by that same signal.
#include "platform/stop_signal.h"

#include <csignal>
#include <cstdio>

namespace platform {

namespace {
volatile std::sig_atomic_t sStop = 0;  // the signal that asked, 0 while none has
void OnStopSignal(int signal) {
  if (sStop == 0) sStop = signal;
}
void OnResetSignal(int) {}
}  // namespace

void InstallStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  // A handler rather than SIG_IGN: an ignored signal would stay ignored in
  // whatever the process starts.
  sa.sa_handler = OnResetSignal;
  sa.sa_flags = SA_RESTART;
  sigaction(SIGUSR1, &sa, nullptr);
}

bool StopRequested() { return sStop != 0; }

void EndByStopSignal() {
  const int signal = sStop;
  if (signal == 0) return;
  std::fflush(nullptr);
  struct sigaction sa {};
  sa.sa_handler = SIG_DFL;
  sigemptyset(&sa.sa_mask);
  sigaction(signal, &sa, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
}

}  // namespace platform
