// SIGTERM and SIGINT ask the saver to stop: the process must survive the
// signal itself, and the main loop must see the request at its next check.
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
