// A framebuffer object to draw the scene into without a window: an RGBA8
// colour renderbuffer and, when asked for, a 24-bit depth one. Used by the
// snapshot mode, the benchmark and the test programs.
#pragma once

#include "gl/gl_api.h"

struct OffscreenFramebuffer {
  GLuint fbo = 0, colour = 0, depth = 0, texture = 0;

  // Makes the renderbuffers and the framebuffer, leaving it bound to
  // GL_FRAMEBUFFER. False (everything released again) if the driver
  // reports it incomplete, e.g. beyond its size limit.
  bool Create(int width, int height, bool withDepth);
  // The same with the colour in a texture stored as BGRA bytes (8 bits a
  // channel), the order X servers keep 24- and 32-bit windows in; no depth.
  bool CreateBgraTexture(int width, int height);
  // Deletes what Create or CreateBgraTexture made and binds the default framebuffer.
  void Release();

 private:
  // True if the bound framebuffer is complete; otherwise releases it.
  bool Complete();
};
