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

bool OffscreenFramebuffer::Create(int width, int height, bool withDepth) {
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  colour = AttachRenderbuffer(GL_RGBA8, GL_COLOR_ATTACHMENT0, width, height);
  if (withDepth) depth = AttachRenderbuffer(GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT, width, height);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
  Release();
  return false;
}

void OffscreenFramebuffer::Release() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (fbo) glDeleteFramebuffers(1, &fbo);
  if (colour) glDeleteRenderbuffers(1, &colour);
  if (depth) glDeleteRenderbuffers(1, &depth);
  fbo = colour = depth = 0;
}
