#include "scene/ClockHands.h"

#include <cmath>

#include "scene/SceneState.h"

namespace {
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;
}  // namespace

ClockHands::ClockHands(WallClock* clock_) : clock(clock_ ? clock_ : &systemClock) {}

void ClockHands::ReadLocalNow() {
  std::tm read = localNow;
  if (clock->ReadLocalTime(&read)) localNow = read;
}

void ClockHands::CaptureFirstFrame(const SceneState& state) {
  ReadLocalNow();
  localCaptured = localNow;
  captureSceneTime = state.PreciseSceneTime();
  started = true;
}

float ClockHands::CountToAngle(float count, double perTurn) {
  float angle = static_cast<float>(kHalfPi - static_cast<double>(count) * kTwoPi / perTurn);
  if (angle < 0.0f) angle = static_cast<float>(static_cast<double>(angle) + kTwoPi);
  // Counts stay below 61 (24 for hours) while the wall clock can be read, so
  // one wrap is enough. If it cannot be read the counts run on from the last
  // good time; keep the angles within one turn of 0 for the shader even then.
  if (angle <= -kTwoPi) angle = static_cast<float>(std::fmod(static_cast<double>(angle), kTwoPi) + kTwoPi);
  return angle;
}

void ClockHands::Update(const SceneState& state) {
  ReadLocalNow();
  const double now = state.PreciseSceneTime();
  float secondCount;
  if (localNow.tm_sec != localCaptured.tm_sec) {
    localCaptured = localNow;
    captureSceneTime = now;
    secondCount = static_cast<float>(localNow.tm_sec);
  } else {
    // The difference is taken in double: a float scene time resolves only
    // 1/16 s after a week, which would make the second hand stutter.
    secondCount = static_cast<float>(localCaptured.tm_sec) + static_cast<float>(now - captureSceneTime);
  }
  const float minuteCount = static_cast<float>(localNow.tm_min) + secondCount / 60.0f;
  const float hourCount = static_cast<float>(localNow.tm_hour) + minuteCount / 60.0f;
  second = CountToAngle(secondCount, 60.0);
  minute = CountToAngle(minuteCount, 60.0);
  hour = CountToAngle(hourCount, 12.0);
}
