#include "tests/gl/clock_draw.h"

#include <gtest/gtest.h>

#include "gl/GLEntryPoints.h"
#include "render/OffscreenFramebuffer.h"
#include "render/TextResource.h"
#include "scene/ClockGeometry.h"

namespace gltest {

std::string ClockShaderText(std::uint16_t id) {
  std::vector<char> text(32768 + 4);
  EXPECT_EQ(LoadTextResource(id, text.data(), 32768), TextResourceStatus::Ok);
  std::string source = text.data();
  return source.insert(source.find('\n') + 1, scene::kClockShaderDefinitions);
}

GLuint CompileText(GLenum kind, const char* source, const char* name) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[4096] = {0};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    ADD_FAILURE() << name << " does not compile:\n" << log;
  }
  return shader;
}

GLuint Link(GLuint vs, GLuint fs) {
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  EXPECT_TRUE(linked) << "the clock program does not link";
  return program;
}

GLuint MakeTexture(const clockref::Image& image) {
  GLuint id = 0;
  glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA32F, image.Width(), image.Height());
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image.Width(), image.Height(), GL_RGBA, GL_FLOAT, image.Data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  return id;
}

GLuint MakeRectangleBuffer() {
  const float corners[] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, -1, 0, 1, 1, 0, -1, 1, 0};
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  return buffer;
}

std::vector<unsigned char> DrawClock(const ClockFrame& f) {
  const int w = f.width, h = f.height;
  OffscreenFramebuffer frame;
  EXPECT_TRUE(frame.Create(w, h, false)) << "no " << w << "x" << h << " framebuffer";
  glViewport(0, 0, w, h);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glClearColor(0.3f, 0.6f, 0.9f, 0.5f);  // anything not drawn over shows
  glClear(GL_COLOR_BUFFER_BIT);

  const GLuint program = f.program;
  glUseProgram(program);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, f.dial);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, f.background);
  glUniform1i(glGetUniformLocation(program, "clockTexture"), 0);
  glUniform1i(glGetUniformLocation(program, "backgroundTexture"), 1);
  glUniform1f(glGetUniformLocation(program, "iTime"), f.iTime);
  glUniform1f(glGetUniformLocation(program, "viewportWidth"), static_cast<float>(w));
  glUniform1f(glGetUniformLocation(program, "viewportHeight"), static_cast<float>(h));
  glUniform1f(glGetUniformLocation(program, "psecond"), static_cast<float>(f.second));
  glUniform1f(glGetUniformLocation(program, "pminute"), static_cast<float>(f.minute));
  glUniform1f(glGetUniformLocation(program, "phour"), static_cast<float>(f.hour));
  const GLint position = glGetAttribLocation(program, "position");
  EXPECT_GE(position, 0);
  glBindBuffer(GL_ARRAY_BUFFER, f.rectangle);
  glEnableVertexAttribArray(static_cast<GLuint>(position));
  glVertexAttribPointer(static_cast<GLuint>(position), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
  glDrawArrays(GL_TRIANGLES, 0, 6);
  glDisableVertexAttribArray(static_cast<GLuint>(position));

  return ReadPixels(frame.Id(), w, h);
}

std::vector<unsigned char> ReadPixels(GLuint fbo, int w, int h) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace gltest
