#include "app/SaverWindows.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstddef>

#include "app/ScreensaverApp.h"
#include "gl/GLEntryPoints.h"
#include "scene/Scene.h"

CSaverWindows* gSaverWindows = nullptr;

namespace {

const char kTitle[] = "Lumitick Screensaver";

// How long no saver window may hold the focus after one lost it before the
// saver ends: moving the focus from one saver window to another arrives as
// a loss and a gain, not always in the same turn.
constexpr double kFocusGrace = 0.25;
// Focus moves of our own making (a window opened or closed for a monitor)
// end nothing for this long.
constexpr double kQuietAfterChange = 1.0;

void DebugReport(const char* what, const char* name) {
#if defined(LUMITICK_MONITOR_REPORT)
  std::fprintf(stderr, "lumitick: %s: %s\n", what, name ? name : "(unnamed)");
#else
  (void)what;
  (void)name;
#endif
}

bool UsableVideoMode(const GLFWvidmode* mode) { return mode && mode->width > 0 && mode->height > 0; }

}  // namespace

CSaverWindows::CSaverWindows(GLFWwindow* primary) {
  gSaverWindows = this;
  View main;
  main.window = primary;
  main.monitor = glfwGetPrimaryMonitor();
  views.push_back(main);
  InstallCallbacks(primary);
  glfwSetMonitorCallback(OnMonitor);

  int count = 0;
  GLFWmonitor** monitors = glfwGetMonitors(&count);
  for (int i = 0; i < count; ++i)
    if (monitors[i] != main.monitor) OpenWindowOn(monitors[i]);
  if (views.size() > 1) glfwMakeContextCurrent(primary);
}

void CSaverWindows::InstallCallbacks(GLFWwindow* window) {
  glfwSetWindowFocusCallback(window, OnFocus);
  glfwSetWindowIconifyCallback(window, OnIconify);
}

CSaverWindows::View* CSaverWindows::Find(GLFWwindow* window) {
  for (View& v : views)
    if (v.window == window) return &v;
  return nullptr;
}

void CSaverWindows::OpenWindowOn(GLFWmonitor* monitor) {
  const GLFWvidmode* mode = glfwGetVideoMode(monitor);
  if (!UsableVideoMode(mode)) {
    DebugReport("monitor skipped, it reports no usable video mode", glfwGetMonitorName(monitor));
    return;
  }
  int x = 0, y = 0;
  glfwGetMonitorPos(monitor, &x, &y);

  // Opened hidden and windowed, moved onto its monitor, shown, and only then
  // made full screen: some window managers put a window that starts full
  // screen on the first monitor, whatever monitor it asks for.
  SetSaverWindowHints();
  glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  GLFWwindow* window = glfwCreateWindow(mode->width, mode->height, kTitle, nullptr, views[0].window);
  glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
  if (!window) return;  // the library has said why

  // Known, with its callbacks, before it is shown: showing it may move the
  // focus.
  View view;
  view.window = window;
  view.monitor = monitor;
  view.width = mode->width;
  view.height = mode->height;
  views.push_back(view);
  InstallSaverInputCallbacks(window);
  glfwSetWindowSizeCallback(window, OnSize);
  InstallCallbacks(window);

  glfwSetWindowPos(window, x, y);
  glfwShowWindow(window);
  glfwSetWindowMonitor(window, monitor, x, y, mode->width, mode->height, mode->refreshRate);
  glfwMakeContextCurrent(window);
  CScreensaverApp::SetSaverIcon(window);
  SetFixedGLState();
  CScreensaverApp::SetSwapInterval(false);  // the primary window's swap paces the turn
  glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
  quietUntil = glfwGetTime() + kQuietAfterChange;
}

void CSaverWindows::PlaceOn(View& view, GLFWmonitor* monitor) {
  const GLFWvidmode* mode = glfwGetVideoMode(monitor);
  if (!UsableVideoMode(mode)) return;
  int x = 0, y = 0;
  glfwGetMonitorPos(monitor, &x, &y);
  glfwSetWindowMonitor(view.window, monitor, x, y, mode->width, mode->height, mode->refreshRate);
  view.monitor = monitor;
}

void CSaverWindows::FollowMonitors() {
  monitorsChanged = false;
  bool closed = false;
  // Windows of monitors that have gone (the library has already made them
  // windowed, somewhere on what is left of the screen).
  for (std::size_t i = views.size(); i-- > 1;) {
    if (views[i].monitor) continue;
    Close(i);
    closed = true;
  }
  // The primary window moves to the primary monitor, taking it over from
  // the window there.
  GLFWmonitor* primary = glfwGetPrimaryMonitor();
  if (!views[0].monitor && primary) {
    for (std::size_t i = views.size(); i-- > 1;) {
      if (views[i].monitor == primary) Close(i);
    }
    PlaceOn(views[0], primary);
    closed = true;
  }
  int count = 0;
  GLFWmonitor** monitors = glfwGetMonitors(&count);
  for (int m = 0; m < count; ++m) {
    bool covered = false;
    for (const View& v : views) covered = covered || v.monitor == monitors[m];
    if (!covered) OpenWindowOn(monitors[m]);
  }
  glfwMakeContextCurrent(views[0].window);
  if (closed) {
    // A closed window may have held the focus: hand it to the primary one.
    quietUntil = glfwGetTime() + kQuietAfterChange;
    glfwFocusWindow(views[0].window);
  }
}

void CSaverWindows::Close(std::size_t i) {
  glfwMakeContextCurrent(views[i].window);
  delete views[i].scene;  // its static layer lives in this context
  glfwDestroyWindow(views[i].window);
  views.erase(views.begin() + static_cast<std::ptrdiff_t>(i));
}

void CSaverWindows::Draw() {
  const FrameInstant instant = ReadFrameInstant();
  for (std::size_t i = 1; i < views.size(); ++i) {
    View& v = views[i];
    glfwMakeContextCurrent(v.window);
    if (!v.scene) v.scene = new SceneView;
    DrawSceneView(*v.scene, instant, v.width, v.height);
    if (glFinish) glFinish();
  }
  glfwMakeContextCurrent(views[0].window);
  DrawSceneView(MainSceneView(), instant, gWindowWidth, gWindowHeight);
}

void CSaverWindows::Swap() {
  for (std::size_t i = 1; i < views.size(); ++i) {
    glfwMakeContextCurrent(views[i].window);
    glfwSwapBuffers(views[i].window);
  }
  glfwMakeContextCurrent(views[0].window);
  glfwSwapBuffers(views[0].window);
}

bool CSaverWindows::ShouldEnd() {
  if (monitorsChanged) FollowMonitors();
  if (iconified) return true;
  bool anyFocused = false;
  for (const View& v : views) {
    if (glfwWindowShouldClose(v.window)) return true;
    if (glfwGetKey(v.window, GLFW_KEY_ESCAPE) != GLFW_RELEASE) return true;
    anyFocused = anyFocused || v.focused;
  }
  if (anyFocused || !focusLost) {
    focusLost = false;
    return false;
  }
  const double now = glfwGetTime();
  if (now < quietUntil || now - focusLostAt < kFocusGrace) return false;
  // The focus events may not tell every move (a window focused before its
  // callback was set): ask where the focus is before ending.
  for (View& v : views) {
    v.focused = glfwGetWindowAttrib(v.window, GLFW_FOCUSED) == GLFW_TRUE;
    if (v.focused) {
      focusLost = false;
      return false;
    }
  }
  return true;
}

void CSaverWindows::OnMonitor(GLFWmonitor* monitor, int event) {
  CSaverWindows* self = gSaverWindows;
  if (event == GLFW_DISCONNECTED) {
    // The monitor's record is freed once this returns: forget it now.
    for (View& v : self->views)
      if (v.monitor == monitor) v.monitor = nullptr;
  }
  self->monitorsChanged = true;
}

void CSaverWindows::OnFocus(GLFWwindow* window, int focused) {
  CSaverWindows* self = gSaverWindows;
  View* v = self->Find(window);
  if (!v) return;
  v->focused = focused == GLFW_TRUE;
  if (!v->focused && !self->focusLost) {
    self->focusLost = true;
    self->focusLostAt = glfwGetTime();
  }
}

void CSaverWindows::OnIconify(GLFWwindow*, int iconified) {
  if (iconified == GLFW_TRUE) gSaverWindows->iconified = true;
}

void CSaverWindows::OnSize(GLFWwindow* window, int width, int height) {
  if (View* v = gSaverWindows->Find(window)) {
    v->width = width;
    v->height = height;
  }
}
