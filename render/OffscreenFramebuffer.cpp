#include "render/OffscreenFramebuffer.h"

#include "gl/GLEntryPoints.h"

namespace {

GLuint AttachRenderbuffer(GLenum format, GLenum attachment, int width, int height) {
  GLuint id = 0;
  glGenRenderbuffers(1, &id);
  glBindRenderbuffer(GL_RENDERBUFFER, id);
  glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, id);
  return id;
}

}  // namespace

OffscreenFramebuffer::~OffscreenFramebuffer() {
  if (fbo || colour || depth || texture) Release();
}

bool OffscreenFramebuffer::Create(int width, int height, bool withDepth) {
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  colour = AttachRenderbuffer(GL_RGBA8, GL_COLOR_ATTACHMENT0, width, height);
  if (withDepth) depth = AttachRenderbuffer(GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT, width, height);
  return Complete();
}

bool OffscreenFramebuffer::CreateBgraTexture(int width, int height) {
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  // The unsized format with BGRA data lets the driver keep the bytes in
  // that order (a sized GL_RGBA8 would be stored RGBA).
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  return Complete();
}

bool OffscreenFramebuffer::Complete() {
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
  Release();
  return false;
}

void OffscreenFramebuffer::Release() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (fbo) glDeleteFramebuffers(1, &fbo);
  if (colour) glDeleteRenderbuffers(1, &colour);
  if (depth) glDeleteRenderbuffers(1, &depth);
  if (texture) glDeleteTextures(1, &texture);
  fbo = colour = depth = texture = 0;
}

void OffscreenFramebuffer::TakeFrom(OffscreenFramebuffer& other) {
  Release();
  fbo = other.fbo, colour = other.colour, depth = other.depth, texture = other.texture;
  other.fbo = other.colour = other.depth = other.texture = 0;
}
