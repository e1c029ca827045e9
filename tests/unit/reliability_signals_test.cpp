// SIGTERM and SIGINT ask the saver to stop: the process must survive the
// signal itself, the main loop must see the request at its next check, and
// the process then ends by that signal (xscreensaver counts an exit with a
// status as abnormal). SIGUSR1, xsecurelock's reset, is no stop at all.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "platform/stop_signal.h"

namespace {

// In a child of its own (a death test), so the handlers and the flag do not
// leak into the other tests.
void RaiseAndReport(int first, int second) {
  platform::InstallStopSignals();
  if (platform::StopRequested()) std::_Exit(3);  // nothing asked yet
  std::raise(first);
  if (!platform::StopRequested()) std::_Exit(4);
  std::raise(second);  // a second signal is no harm either
  std::_Exit(platform::StopRequested() ? 0 : 5);
}

}  // namespace

TEST(StopSignals, TermAndIntAreRequestsNotDeaths) {
  EXPECT_EXIT(RaiseAndReport(SIGTERM, SIGINT), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(RaiseAndReport(SIGINT, SIGTERM), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(RaiseAndReport(SIGTERM, SIGTERM), ::testing::ExitedWithCode(0), "");
}

namespace {

void ResetThenEnd(int stop) {
  platform::InstallStopSignals();
  std::raise(SIGUSR1);
  if (platform::StopRequested()) std::_Exit(6);
  platform::EndByStopSignal();  // nothing asked: returns
  if (stop == 0) std::_Exit(0);
  std::raise(stop);
  platform::EndByStopSignal();
  std::_Exit(7);
}

}  // namespace

TEST(StopSignals, ResetIsIgnoredAndTheStopEndsByItsSignal) {
  EXPECT_EXIT(ResetThenEnd(0), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(ResetThenEnd(SIGTERM), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EXIT(ResetThenEnd(SIGINT), ::testing::KilledBySignal(SIGINT), "");
}
