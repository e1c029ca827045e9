// main() of the GL test suite: one hidden GLFW window with the saver's
// context request (OpenGL 2.0, robustness, no multisampling), current for the
// whole run, and the entry points loaded. Tests draw into framebuffer
// objects of their own, or into this window's back buffer.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/ScreensaverApp.h"
#include "gl/GLEntryPoints.h"
#include "tests/gl/gl_test_context.h"

#include <GLFW/glfw3.h>

namespace {
GLFWwindow* sWindow = nullptr;
int sStatus = -2;
}  // namespace

namespace gltest {
GLFWwindow* Window() { return sWindow; }
int LoaderStatus() { return sStatus; }
}  // namespace gltest

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!glfwInit()) {
    std::fprintf(stderr, "gl tests: no display (run under xvfb-run)\n");
    return 1;
  }
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  SetSaverWindowHints();
  sWindow = glfwCreateWindow(gltest::kWindowWidth, gltest::kWindowHeight, "lumitick gl tests", nullptr, nullptr);
  if (!sWindow) {
    std::fprintf(stderr, "gl tests: cannot create a window\n");
    return 1;
  }
  glfwMakeContextCurrent(sWindow);
  sStatus = InitGLEntryPoints();
  const int result = RUN_ALL_TESTS();
  glfwDestroyWindow(sWindow);
  glfwTerminate();
  return result;
}
