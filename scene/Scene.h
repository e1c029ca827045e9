// The clock scene as the main loop sees it: a set-up made once and, per
// turn, the instant read once and drawn into each view.
#pragma once

#include "gl/gl_api.h"
#include "scene/SceneView.h"

class WallClock;

// Builds every object the scene draws with; once, before the first frame,
// with the context current and the entry points loaded. When the driver
// lacks something the scene needs, says what in a "Debug" box and ends the
// process with status 0.
void SetUpScene();

// What one turn of the loop shows, read once so that every view drawn in
// the turn shows the same instant: the timer (the shaders' "iTime") and the
// hand angles.
struct FrameInstant {
  double time = 0.0;
  float second = 0.0f, minute = 0.0f, hour = 0.0f;
};

// Reads the timer once, keeps the scene's times and computes the hand
// angles of this turn.
FrameInstant ReadFrameInstant();

// Draws one complete frame of `instant` into `view` at width x height, with
// the view's context current. Before 3 s on the timer the frame is only
// cleared (the picture is black); from the end of the fade-in (5 s) it is
// a copy of the view's static layer with the clock shader run over the
// regions that can differ from it; in between, and in views that ask for
// whole frames, the clock shader runs over every pixel. The pixels are the
// same either way.
void DrawSceneView(SceneView& view, const FrameInstant& instant, int width, int height);

// The view RunFrameStep draws into (the saver's first window).
SceneView& MainSceneView();

// The single-window frame step: ReadFrameInstant, then DrawSceneView of the
// scene's own view at the window size state.
void RunFrameStep();

// Where the frame goes and where its times come from. The saver keeps the
// defaults: the window's default framebuffer, glfwGetTime and the C
// runtime's local time. Snapshots and benchmarks draw into framebuffer
// objects of their own with fixed times. Set before SetUpScene.
struct SceneHooks {
  GLuint framebuffer = 0;
  double (*timer)() = nullptr;     // nullptr: glfwGetTime
  WallClock* wallClock = nullptr;  // nullptr: time and localtime; not owned
  bool wholeFrames = false;        // the scene's own view draws every frame whole
};
void SetSceneHooks(const SceneHooks& hooks);
