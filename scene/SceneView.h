// One view of the clock: a framebuffer that frames are drawn into, and
// what the view keeps of its own, in its own context, from frame to frame:
// its programs and the drawables that use them, its static layer and the
// buffer of the changing regions. Framebuffer objects are not shared
// between contexts, and a program shared between them is not safe either
// (Mesa let a context draw with its own old copy of a uniform another
// context had set to the same value: a second hand stood still).
//
// Made at the view's first frame, with its context current; destroyed with
// that context current again.
#pragma once

#include <array>
#include <memory>

#include "gl/gl_api.h"
#include "render/Drawable.h"
#include "render/OffscreenFramebuffer.h"
#include "render/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/ChangingRegions.h"
#include "scene/SceneState.h"

// Where a frame differs from the view's frame before it, the one its
// window shows until this one is presented.
struct FrameChanges {
  static constexpr int kMaxRects = 2 * scene::kMaxRegions;
  bool whole = true;  // anywhere: present the whole frame
  int count = 0;      // otherwise only these (none: nothing to present)
  std::array<scene::PixelRect, kMaxRects> rects;
};

class SceneView {
 public:
  // `target`: the framebuffer to draw into, 0 for the current context's
  // window. `wholeFrames`: every frame drawn whole by the clock shader, the
  // reference the static layer is checked against (snapshots).
  explicit SceneView(GLuint target = 0, bool wholeFrames = false) : target(target), wholeFrames(wholeFrames) {}
  ~SceneView();
  SceneView(const SceneView&) = delete;
  SceneView& operator=(const SceneView&) = delete;

  // The window no longer shows what was drawn, or its buffers were made
  // anew (an expose, a resize): the next frame is drawn and presented whole.
  void Forget() { drawn = {}; }

  // A framebuffer object target may change between frames to another one
  // of the same kind, as a window's buffers take turns.
  GLuint target;
  const bool wholeFrames;

  // Set by whoever presents, before each draw: the target holds the frame
  // drawn that many frames ago (1: the last one); 0 when that is unknown.
  int backBufferAge = 0;
  // What the last draw changed, for the present.
  FrameChanges changes;

  // Kept by the scene's draw.
  enum class Cache { Unknown, Usable, Unusable };
  Cache cache = Cache::Unknown;  // can this target take copies of the static layer?
  // What this view's drawables read: its viewport and time, and the
  // scene's camera with its projection.
  SceneState state{0.0};
  Camera camera{0.0f, 0.0f, 0.0f};
  std::unique_ptr<ProgramRegistry> programs;  // null until the first frame
  std::unique_ptr<GLFWDrawableSky> sky;
  std::unique_ptr<GLFWDrawableSky> staticSky;  // none in a view of whole frames
  // The same rectangle writing the pictures' samples, and reading them
  // back over the changing regions (none in a view of whole frames).
  std::unique_ptr<GLFWDrawableSky> samplesOutSky, samplesInSky;
  OffscreenFramebuffer staticLayer;
  // The pictures' samples over every pixel a changing region can reach;
  // none where float targets fail.
  OffscreenFramebuffer samples;
  scene::PixelRect samplesRect;
  int layerWidth = 0, layerHeight = 0;  // 0: no layer
  bool layerRowsReversed = false;       // the layer holds the picture's top row first
  GLuint regionBuffer = 0;

  // The frames last drawn into the target, newest first: enough to tell
  // what a target of an age up to kFramesKept holds.
  static constexpr int kFramesKept = 4;
  struct DrawnFrame {
    enum class Kind { None, Black, Whole, Cached } kind = Kind::None;
    int width = 0, height = 0;
    int count = 0;  // a cached frame's shaded rectangles
    std::array<scene::PixelRect, scene::kMaxRegions> rects;
  };
  std::array<DrawnFrame, kFramesKept> drawn;
};
