// X11 back end of the partial present: GLX_EXT_buffer_age and
// GLX_MESA_copy_sub_buffer on the window's GLX drawable, reached through
// the window library (the program links no GL library). Rectangles are
// copied only on a software renderer (see SoftwareRenderer).
#include "platform/partial_present.h"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

#include <cstring>
#include <initializer_list>

// The window's GLX drawable, declared as glfw3native.h does with
// GLFW_EXPOSE_NATIVE_GLX, which would bring in <GL/gl.h>.
using GLXDrawable = XID;
extern "C" GLXDrawable glfwGetGLXWindow(GLFWwindow* window);

namespace platform {

namespace {

constexpr int kBackBufferAge = 0x20F4;  // GLX_BACK_BUFFER_AGE_EXT

struct GlxEntries {
  void (*queryDrawable)(Display*, GLXDrawable, int, unsigned int*) = nullptr;  // with GLX_EXT_buffer_age
  void (*copySubBuffer)(Display*, GLXDrawable, int, int, int, int) = nullptr;  // GLX_MESA_copy_sub_buffer
};

// Whether the current context renders in software (Mesa's llvmpipe,
// softpipe, swrast): there a copy of a few rectangles saves most of the
// present, and swaps do not wait for the retrace anyway. A copy does not
// wait for it either, so with a hardware driver, whose swaps do, frames
// are swapped whole and never tear.
bool SoftwareRenderer() {
  using GetString = const unsigned char* (*)(unsigned int);
  const auto getString = reinterpret_cast<GetString>(glfwGetProcAddress("glGetString"));
  constexpr unsigned int kRenderer = 0x1F01;  // GL_RENDERER
  const char* renderer = getString ? reinterpret_cast<const char*>(getString(kRenderer)) : nullptr;
  if (!renderer) return false;
  for (const char* name : {"llvmpipe", "softpipe", "swrast"})
    if (std::strstr(renderer, name)) return true;
  return false;
}

// Looked up once, with a context current: every saver window is on the
// same display and driver.
const GlxEntries& Glx() {
  static const GlxEntries entries = [] {
    GlxEntries e;
    if (glfwExtensionSupported("GLX_EXT_buffer_age"))
      e.queryDrawable = reinterpret_cast<decltype(e.queryDrawable)>(glfwGetProcAddress("glXQueryDrawable"));
    if (glfwExtensionSupported("GLX_MESA_copy_sub_buffer") && SoftwareRenderer())
      e.copySubBuffer = reinterpret_cast<decltype(e.copySubBuffer)>(glfwGetProcAddress("glXCopySubBufferMESA"));
    return e;
  }();
  return entries;
}

class GlxPresenter : public FramePresenter {
 public:
  explicit GlxPresenter(GLFWwindow* w) : window(w) {}

  int BackBufferAge() override {
    if (age >= 0) return age;
    unsigned int reported = 0;
    const GlxEntries& glx = Glx();
    if (glx.queryDrawable) glx.queryDrawable(glfwGetX11Display(), glfwGetGLXWindow(window), kBackBufferAge, &reported);
    return reported <= 16 ? static_cast<int>(reported) : 0;
  }

  void Present(const PresentRect* rects, int count) override {
    const GlxEntries& glx = Glx();
    if (!rects || !glx.copySubBuffer) {
      glfwSwapBuffers(window);
      age = -1;  // the driver's to say
      return;
    }
    for (int i = 0; i < count; ++i)
      glx.copySubBuffer(glfwGetX11Display(), glfwGetGLXWindow(window), rects[i].x, rects[i].y, rects[i].width,
                        rects[i].height);
    age = 1;
  }

 private:
  GLFWwindow* window;
  int age = -1;  // known after a copy; -1: ask the driver
};

}  // namespace

std::unique_ptr<FramePresenter> MakeWindowPresenter(GLFWwindow* window) {
  return std::unique_ptr<FramePresenter>(new GlxPresenter(window));
}

}  // namespace platform
