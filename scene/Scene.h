// The clock scene: one object, made once before the first frame and held by
// gScene. What it builds once every view shares: the two pictures (after
// the first black frames, or before the first frame that needs them), the
// dial boxes the sector tints can light, the clock hands and the times. What a
// view needs in its own context is the view's (scene/SceneView.h). Per turn
// the instant is read once and drawn into each view at the view's size.
#pragma once

#include <memory>

#include "render/BitmapTexture.h"
#include "scene/Camera.h"
#include "scene/ChangingRegions.h"
#include "scene/ClockHands.h"
#include "scene/SceneState.h"
#include "scene/SceneView.h"

class WallClock;

// What one turn of the loop shows, read once so that every view drawn in
// the turn shows the same instant: the timer (the shaders' "iTime") and the
// hand angles.
struct FrameInstant {
  double time = 0.0;
  float second = 0.0f, minute = 0.0f, hour = 0.0f;
};

class Scene {
 public:
  // Builds the shared part with a context current; the views' contexts
  // share its objects with that one. Its times come from `timer` (nullptr:
  // glfwGetTime) and `wallClock` (nullptr: the C runtime's local time; not
  // owned): the saver keeps those, snapshots, benchmarks and tests fix them.
  Scene(double (*timer)(), WallClock* wallClock);
  // With a context current that shares the scene's objects, after every
  // view has gone.
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Reads the timer once, keeps the scene's times and computes the hand
  // angles of this turn.
  FrameInstant ReadFrameInstant();

  // Draws one complete frame of `instant` into `view` at width x height
  // (the viewport; the projection follows its aspect ratio), with the
  // view's context current, and says in view.changes where it differs
  // from the view's frame before. Before 3 s on the timer the frame is only
  // cleared (the picture is black); from the end of the fade-in (5 s) it is
  // the view's static layer with the clock shader run over the regions that
  // can differ from it, copied in where the target (of view.backBufferAge)
  // may differ from the layer; in between, and in views that ask for whole
  // frames, the clock shader runs over every pixel. The pixels are the same
  // either way.
  //
  // False, drawing nothing, when the view's last frame was this black one:
  // there is nothing to present, and the call builds instead one piece of
  // what the later frames need (the pictures, then the view's programs).
  // Whatever is not built yet is built before the first frame that needs it.
  bool Draw(SceneView& view, const FrameInstant& instant, int width, int height);

 private:
  bool EnsureStaticLayer(SceneView& view, int width, int height);
  void BindPictures();
  // Whether the view's samples cover all of `rects`.
  static bool Sampled(const SceneView& view, const scene::PixelRect* rects, int count);
  // Builds one piece that is still missing; false when nothing is.
  bool PrepareStep(SceneView& view);

  double (*timer)();
  SceneState state;
  Camera camera;
  scene::DialLitBoxes dialLit;
  std::unique_ptr<BitmapTexture> dial, background;
  ClockHands hands;
};

extern Scene* gScene;

// Makes gScene; once, before the first frame, with the context current and
// the entry points loaded. When the driver lacks something the scene needs,
// says what in a "Debug" box and ends the process with status 0.
void SetUpScene(double (*timer)() = nullptr, WallClock* wallClock = nullptr);
// Deletes gScene (the saver never does; benchmarks and tests set up again).
void TearDownScene();
