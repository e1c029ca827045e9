// One view of the clock: a framebuffer that frames are drawn into, and
// what that view keeps of its own from frame to frame (the size its static
// layer was made at, the layer itself, the buffer of the changing regions).
//
// Framebuffer objects are not shared between OpenGL contexts, so a view is
// drawn only with the context that was current when it was first drawn.
#pragma once

#include "gl/gl_api.h"
#include "render/OffscreenFramebuffer.h"

class SceneView {
 public:
  // `target`: the framebuffer to draw into, 0 for the current context's
  // window. `wholeFrames`: every frame drawn whole by the clock shader, the
  // reference the static layer is checked against (snapshots).
  explicit SceneView(GLuint target = 0, bool wholeFrames = false) : target(target), wholeFrames(wholeFrames) {}
  ~SceneView() { Release(); }
  SceneView(const SceneView&) = delete;
  SceneView& operator=(const SceneView&) = delete;

  // Frees the static layer and the region buffer (with the view's context
  // current); the next frame makes them again if it needs them.
  void Release();

  GLuint target;
  bool wholeFrames;

  // Kept by the scene's draw.
  enum class Cache { Unknown, Usable, Unusable };
  Cache cache = Cache::Unknown;  // can this target take copies of the static layer?
  OffscreenFramebuffer staticLayer;
  int layerWidth = 0, layerHeight = 0;  // 0: no layer
  bool layerRowsReversed = false;       // the layer holds the picture's top row first
  GLuint regionBuffer = 0;
};
