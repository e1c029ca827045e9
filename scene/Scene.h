// The clock scene as the main loop sees it: a set-up made once and a frame
// step per turn.
#pragma once

#include "gl/gl_api.h"

class WallClock;

// Builds every object the scene draws with; once, before the first frame,
// with the context current and the entry points loaded. When the driver
// lacks something the scene needs, says what in a "Debug" box and ends the
// process with status 0.
void SetUpScene();

// Reads the timer once, keeps the scene's times, and draws one complete
// frame into the target framebuffer.
void RunFrameStep();

// Where the frame goes and where its times come from. The saver keeps the
// defaults: the window's default framebuffer, glfwGetTime and the C
// runtime's local time. Snapshots and benchmarks draw into framebuffer
// objects of their own with fixed times. Set before SetUpScene.
struct SceneHooks {
  GLuint framebuffer = 0;
  double (*timer)() = nullptr;     // nullptr: glfwGetTime
  WallClock* wallClock = nullptr;  // nullptr: time and localtime; not owned
};
void SetSceneHooks(const SceneHooks& hooks);
