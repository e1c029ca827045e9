// The three hand angles, kept from frame to frame.
//
// The wall clock has whole seconds only. To let the second hand sweep, the
// fraction of the running second is the scene time elapsed since the frame
// in which the seconds field was last seen to change; the minute hand is
// carried by the smooth second and the hour hand by the smooth minute.
//
// Angles are radians, 0 at 3 o'clock, growing counter-clockwise, so they fall
// as time goes on. The second and minute angles lie in [0, 2*pi); the hour
// angle is taken from the 24-hour field over a 12-hour dial and wrapped once,
// so it is negative from 15:00 to midnight (16:00 gives -pi/6). The shader
// reduces the angles itself.
#pragma once

#include <ctime>

#include "scene/WallClock.h"

class SceneState;

class ClockHands {
 public:
  // `clock` is not owned and must outlive this object; nullptr reads the
  // system's local time.
  explicit ClockHands(WallClock* clock = nullptr);
  ClockHands(const ClockHands&) = delete;
  ClockHands& operator=(const ClockHands&) = delete;

  // First frame only, after the scene's start and current time are set:
  // captures the local time at the scene time of this frame.
  void CaptureFirstFrame(const SceneState& state);
  // Every frame, the first included, after the current time is set: reads
  // the local time and turns it into the three angles.
  void Update(const SceneState& state);

  // Angle of a count of `perTurn` units a full turn (60 for seconds and
  // minutes, 12 for hours), wrapped once into the positive range.
  static float CountToAngle(float count, double perTurn);

  bool started = false;
  std::tm localNow{};       // the local time read in this frame
  std::tm localCaptured{};  // as read in the last frame the seconds field changed
  // Scene time of that frame. Double, so that the fraction of the second
  // stays fine-grained after weeks of running.
  double captureSceneTime = 0.0;
  // After Update: the angles of this frame.
  float second = 0.0f;
  float minute = 0.0f;
  float hour = 0.0f;

 private:
  // Reads the local time into localNow. When it cannot be converted,
  // localNow keeps the last good time (00:00:00 before any).
  void ReadLocalNow();

  SystemWallClock systemClock;
  WallClock* clock;
};
