#include "diag/FrameTimes.h"

#include <GLFW/glfw3.h>

#include <cstdlib>

#include "diag/DebugReports.h"

void FrameTimeStats::Start(double now) { startMark = static_cast<float>(now); }

void FrameTimeStats::Finish(double now) {
  elapsed = static_cast<float>((now - static_cast<double>(startMark)) * 1000.0);
  if (count == 0 || elapsed > maximum) maximum = elapsed;
  if (count == 0 || elapsed < minimum) minimum = elapsed;
  total += elapsed;
  count += 1;
  average = total / static_cast<float>(count);
}

FrameTimeStats& TheFrameTimeStats() {
  static FrameTimeStats* stats = new FrameTimeStats;
  return *stats;
}

void BeginFrameTimes() { TheFrameTimeStats().Start(glfwGetTime()); }

void EndFrameTimes() {
  FrameTimeStats& stats = TheFrameTimeStats();
  stats.Finish(glfwGetTime());
  ShowFrameTimes(stats.minimum, stats.maximum, stats.average);
  std::exit(0);
}
