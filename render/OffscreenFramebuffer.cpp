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
  if (fbo || colour || depth || textures[0] || textures[1]) Release();
}

bool OffscreenFramebuffer::Create(int width, int height, bool withDepth) {
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  colour = AttachRenderbuffer(GL_RGBA8, GL_COLOR_ATTACHMENT0, width, height);
  if (withDepth) depth = AttachRenderbuffer(GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT, width, height);
  return Complete();
}

bool OffscreenFramebuffer::CreateBgraTexture(int width, int height) {
  // The unsized format with BGRA data lets the driver keep the bytes in
  // that order (a sized GL_RGBA8 would be stored RGBA).
  return CreateTextures(GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE, width, height, 1);
}

bool OffscreenFramebuffer::CreateFloatTextures(int width, int height, int count) {
  return CreateTextures(GL_RGBA32F, GL_RGBA, GL_FLOAT, width, height, count);
}

bool OffscreenFramebuffer::CreateTextures(GLenum internalFormat, GLenum format, GLenum type, int width, int height,
                                          int count) {
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGenTextures(count, textures);
  const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
  for (int i = 0; i < count; ++i) {
    glBindTexture(GL_TEXTURE_2D, textures[i]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format, type, nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachments[i], GL_TEXTURE_2D, textures[i], 0);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  if (count > 1) glDrawBuffers(count, attachments);
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
  for (GLuint& t : textures) {
    if (t) glDeleteTextures(1, &t);
    t = 0;
  }
  fbo = colour = depth = 0;
}

void OffscreenFramebuffer::TakeFrom(OffscreenFramebuffer& other) {
  Release();
  fbo = other.fbo, colour = other.colour, depth = other.depth;
  textures[0] = other.textures[0], textures[1] = other.textures[1];
  other.fbo = other.colour = other.depth = other.textures[0] = other.textures[1] = 0;
}
