// glfwCreateWindowFromHandle: an addition to GLFW 3.3's Win32 back end that
// turns a native window the library did not create into a GLFW window with a
// context of the current hints. Include <windows.h> and GLFW first.
//
// The window keeps its place, size, style and visibility; the library's
// window procedure replaces its own while the record lives (it must belong to
// this process). glfwDestroyWindow and glfwTerminate put the old procedure
// back and leave the native window alive (adopted-windows.patch).
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

GLFWAPI GLFWwindow* glfwCreateWindowFromHandle(HWND handle, GLFWwindow* share);

#ifdef __cplusplus
}
#endif
