// A framebuffer object to draw the scene into without a window: an RGBA8
// colour renderbuffer and, when asked for, a 24-bit depth one; or a BGRA
// colour texture; or one or two float colour textures. It owns what it makes and deletes it when released or
// destroyed, either with its context current. Used by the static layer,
// the snapshot mode, the benchmark and the test programs.
#pragma once

#include "gl/gl_api.h"

class OffscreenFramebuffer {
 public:
  OffscreenFramebuffer() = default;
  ~OffscreenFramebuffer();
  OffscreenFramebuffer(const OffscreenFramebuffer&) = delete;
  OffscreenFramebuffer& operator=(const OffscreenFramebuffer&) = delete;

  // Makes the renderbuffers and the framebuffer, leaving it bound to
  // GL_FRAMEBUFFER. False (everything released again) if the driver
  // reports it incomplete, e.g. beyond its size limit.
  bool Create(int width, int height, bool withDepth);
  // The same with the colour in a texture stored as BGRA bytes (8 bits a
  // channel), the order X servers keep 24- and 32-bit windows in; no depth.
  bool CreateBgraTexture(int width, int height);
  // The same with `count` (1 or 2) RGBA32F colour textures, attachments 0
  // and 1, drawn into together.
  bool CreateFloatTextures(int width, int height, int count);
  // Deletes what it holds and binds the default framebuffer.
  void Release();
  // Takes over what `other` holds, releasing its own first.
  void TakeFrom(OffscreenFramebuffer& other);

  GLuint Id() const { return fbo; }  // 0 while it holds nothing
  GLuint Texture(int i) const { return textures[i]; }  // 0 where it holds none

 private:
  // True if the bound framebuffer is complete; otherwise releases it.
  bool Complete();
  bool CreateTextures(GLenum internalFormat, GLenum format, GLenum type, int width, int height, int count);

  GLuint fbo = 0, colour = 0, depth = 0;
  GLuint textures[2] = {0, 0};  // nearest filtering
};
