// A framebuffer object to draw the scene into without a window: an RGBA8
// colour renderbuffer and, when asked for, a 24-bit depth one. Used by the
// snapshot mode, the benchmark and the test programs.
#pragma once

#include "gl/gl_api.h"

struct OffscreenFramebuffer {
  GLuint fbo = 0, colour = 0, depth = 0;

  // Makes the renderbuffers and the framebuffer, leaving it bound to
  // GL_FRAMEBUFFER. False (everything released again) if the driver
  // reports it incomplete, e.g. beyond its size limit.
  bool Create(int width, int height, bool withDepth);
  // Deletes what Create made and binds the default framebuffer.
  void Release();
};
