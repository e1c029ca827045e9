#include "app/FramePacer.h"

#include <chrono>

#include "platform/wait.h"

namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

FramePacer::Clock FramePacer::SystemClock() { return {SteadySeconds, platform::WaitSeconds}; }

FramePacer::FramePacer(int refreshRate, const Clock& c)
    : clock(c), interval(1.0 / (refreshRate > 0 ? refreshRate : 60)) {}

void FramePacer::BeforeSwaps() {
  swapStart = clock.now();
  if (turnStart < 0.0) turnStart = swapStart;  // the first turn
}

void FramePacer::AfterSwaps() {
  double now = clock.now();
  if (now - swapStart < interval / 4) {
    waitingTurns = 0;
    if (++earlyTurns >= kEarlyTurnsToPace) pacing = true;
  } else {
    earlyTurns = 0;
    if (++waitingTurns >= kWaitingTurnsToStop) pacing = false;
  }
  const double deadline = turnStart + interval;
  if (pacing && now < deadline) {
    clock.wait(deadline - now);
    now = clock.now();
  }
  // Counting from the deadline keeps the average period at the interval
  // though a wait ends a little late; a turn that ran long starts afresh.
  turnStart = pacing && now - deadline < interval / 4 ? deadline : now;
}
