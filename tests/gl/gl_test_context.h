// What gl_test_main.cpp sets up for every GL test.
#pragma once

struct GLFWwindow;

namespace gltest {
constexpr int kWindowWidth = 64;
constexpr int kWindowHeight = 64;
GLFWwindow* Window();   // the hidden window whose context is current
int LoaderStatus();     // what InitGLEntryPoints answered at start
}  // namespace gltest
