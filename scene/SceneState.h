// What the shaders need to know about the frame: the viewport size and the
// times (seconds of the GLFW timer).
//
// The timer readings are kept in double. The shaders get them as float, but
// differences of readings (the scene time, the second hand's fraction) are
// taken before narrowing, so they stay exact to the microsecond after weeks
// of running, when a float reading only resolves 1/16 s.
#pragma once

class SceneState {
 public:
  explicit SceneState(double t) : startTime(t), currentTime(t) {}

  void SetStartTime(double t) { startTime = t; }
  void SetCurrentTime(double t) { currentTime = t; }
  void SetViewportSize(float width, float height) {
    viewportWidth = width;
    viewportHeight = height;
  }

  // The shaders' "iTime".
  float CurrentTime() const { return static_cast<float>(currentTime); }
  float StartTime() const { return static_cast<float>(startTime); }
  float ViewportWidth() const { return viewportWidth; }
  float ViewportHeight() const { return viewportHeight; }

  // Current time minus start time.
  float sceneTime() const { return static_cast<float>(PreciseSceneTime()); }
  double PreciseSceneTime() const { return currentTime - startTime; }

 private:
  double startTime;
  double currentTime;
  // Undefined until the first frame sets them; zero meanwhile.
  float viewportWidth = 0.0f;
  float viewportHeight = 0.0f;
};
