// Drawing the clock program for the GL tests: shaders compiled from text,
// float textures from reference images, the viewport-covering rectangle, and
// one picture drawn into a framebuffer object and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gl/gl_api.h"
#include "tests/reference/clock_reference.h"

namespace gltest {

// Clock shader text `id` as the program compiles it: loaded from the
// resource (fails the test if it is not), with the clock's measures.
std::string ClockShaderText(std::uint16_t id);
// Fails the test with the driver's log if `source` does not compile.
GLuint CompileText(GLenum kind, const char* source, const char* name);
// Fails the test if the two do not link.
GLuint Link(GLuint vs, GLuint fs);
// RGBA32F, level 0 only, linear filters, repeat wrapping, as the program's.
GLuint MakeTexture(const clockref::Image& image);
// The rectangle model's corners, two triangles, in a vertex buffer.
GLuint MakeRectangleBuffer();

struct ClockFrame {
  GLuint program, dial, background, rectangle;
  int width, height;
  float iTime;
  double second, minute, hour;
};
// Draws one frame (over a clear colour the picture must cover) and returns
// its RGBA8 pixels, rows bottom-up.
std::vector<unsigned char> DrawClock(const ClockFrame& f);
// The RGBA8 pixels of framebuffer `fbo`, w x h from the origin, rows bottom-up.
std::vector<unsigned char> ReadPixels(GLuint fbo, int w, int h);

}  // namespace gltest
