#include "app/SaverWindows.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/ScreensaverApp.h"
#include "gl/GLEntryPoints.h"
#include "platform/session_settings.h"
#include "platform/stop_signal.h"
#include "scene/Scene.h"
#if defined(LUMITICK_WAYLAND)
#include "platform/layer_shell.h"
#endif

CSaverWindows* gSaverWindows = nullptr;

namespace {

const char kTitle[] = "Lumitick Screensaver";

// The monitor's current mode when it has a usable one.
const GLFWvidmode* UsableVideoMode(GLFWmonitor* monitor) {
  const GLFWvidmode* mode = glfwGetVideoMode(monitor);
  return mode && mode->width > 0 && mode->height > 0 ? mode : nullptr;
}

}  // namespace

// ------------------------------------------------------------ the rules

void SaverFocusRules::FocusLost() {
  if (focusLost) return;
  focusLost = true;
  focusLostAt = now();
}

void SaverFocusRules::OwnChange() { quietUntil = now() + kQuietAfterChange; }

bool SaverFocusRules::ShouldEnd(bool anyFocused, const std::function<bool()>& focusHeldNow) {
  if (iconified) return true;
  if (anyFocused || !focusLost) {
    focusLost = false;
    return false;
  }
  const double t = now();
  if (t < quietUntil || t - focusLostAt < kFocusGrace) return false;
  if (!focusHeldNow()) return true;
  focusLost = false;
  return false;
}

MonitorPlan PlanMonitors(const std::vector<GLFWmonitor*>& windowMonitors, const std::vector<GLFWmonitor*>& connected,
                         GLFWmonitor* primary) {
  MonitorPlan plan;
  std::vector<GLFWmonitor*> covered;
  // Windows of monitors that have gone (the library has already made them
  // windowed, somewhere on what is left of the screen). The first window
  // moves to the primary monitor, taking it over from the window there.
  plan.movePrimary = !windowMonitors[0] && primary != nullptr;
  for (std::size_t i = windowMonitors.size(); i-- > 1;) {
    if (!windowMonitors[i] || (plan.movePrimary && windowMonitors[i] == primary)) plan.close.push_back(i);
    else covered.push_back(windowMonitors[i]);
  }
  covered.push_back(plan.movePrimary ? primary : windowMonitors[0]);
  for (GLFWmonitor* m : connected)
    if (std::find(covered.begin(), covered.end(), m) == covered.end()) plan.open.push_back(m);
  return plan;
}

// ------------------------------------------------------------ the windows

CSaverWindows::View::View(GLFWwindow* w, GLFWmonitor* m, int width, int height)
    : window(w), monitor(m), width(width), height(height), scene(new SceneView),
      presenter(platform::MakeWindowPresenter(w)) {}

CSaverWindows::View::View(platform::layer_shell::Surface* l, int width, int height)
    : layer(l), width(width), height(height), scene(new SceneView) {
#if defined(LUMITICK_WAYLAND)
  presenter = platform::layer_shell::MakePresenter(l);
#endif
}

CSaverWindows::View::~View() {
  MakeCurrent();
  scene.reset();
  if (window) glfwDestroyWindow(window);  // a layer surface goes with its output
}

void CSaverWindows::View::MakeCurrent() {
#if defined(LUMITICK_WAYLAND)
  if (layer) return platform::layer_shell::MakeCurrent(layer);
#endif
  if (glfwGetCurrentContext() != window) glfwMakeContextCurrent(window);
}

CSaverWindows::CSaverWindows(GLFWwindow* primary, int width, int height, bool full, platform::NativeHandle hostWindow)
    : fullScreen(full), host(hostWindow), focus(glfwGetTime) {
  gSaverWindows = this;
  views.emplace_back(new View(primary, fullScreen ? glfwGetPrimaryMonitor() : nullptr, width, height));
  if (!fullScreen) return;
  glfwSetWindowFocusCallback(primary, OnFocus);
  glfwSetWindowIconifyCallback(primary, OnIconify);
  glfwSetMonitorCallback(OnMonitor);
  int count = 0;
  GLFWmonitor** monitors = glfwGetMonitors(&count);
  for (int i = 0; i < count; ++i)
    if (monitors[i] != views[0]->monitor) OpenWindowOn(monitors[i]);
  glfwMakeContextCurrent(primary);
}

#if defined(LUMITICK_WAYLAND)
CSaverWindows::CSaverWindows() : fullScreen(true), host(0), layered(true), focus(platform::layer_shell::Timer) {
  gSaverWindows = this;
  platform::layer_shell::Start({OnLayerAdded, OnLayerRemoved, OnLayerResized, [] { std::exit(0); }});
}

void CSaverWindows::OnLayerAdded(platform::layer_shell::Surface* layer, int width, int height) {
  CSaverWindows* self = gSaverWindows;
  self->views.emplace_back(new View(layer, width, height));  // its context is current
  SetFixedGLState();
  self->SetSize(self->views.back().get(), width, height);
}

void CSaverWindows::OnLayerRemoved(platform::layer_shell::Surface* layer) {
  auto& views = gSaverWindows->views;
  for (std::size_t i = 0; i < views.size(); ++i) {
    if (views[i]->layer != layer) continue;
    views.erase(views.begin() + static_cast<std::ptrdiff_t>(i));
    if (i == 0 && !views.empty()) StoreWindowSize(views[0]->width, views[0]->height);
    return;
  }
}

void CSaverWindows::OnLayerResized(platform::layer_shell::Surface* layer, int width, int height) {
  for (auto& v : gSaverWindows->views)
    if (v->layer == layer) gSaverWindows->SetSize(v.get(), width, height);
}
#endif

double (*CSaverWindows::Timer() const)() {
#if defined(LUMITICK_WAYLAND)
  if (layered) return platform::layer_shell::Timer;
#endif
  return nullptr;
}

int CSaverWindows::RefreshRate() const {
#if defined(LUMITICK_WAYLAND)
  if (layered) return platform::layer_shell::RefreshRate();
#endif
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  return mode ? mode->refreshRate : 0;
}

void CSaverWindows::PollEvents(double wait) {
#if defined(LUMITICK_WAYLAND)
  if (layered) {
    connectionLost = connectionLost || !platform::layer_shell::Dispatch(wait);
    return;
  }
#endif
  if (wait > 0.0) glfwWaitEventsTimeout(wait);
  else glfwPollEvents();
}

CSaverWindows::View* CSaverWindows::Find(GLFWwindow* window) {
  for (auto& v : views)
    if (v->window == window) return v.get();
  return nullptr;
}

void CSaverWindows::OpenWindowOn(GLFWmonitor* monitor) {
  const GLFWvidmode* mode = UsableVideoMode(monitor);
  if (!mode) {
#if defined(LUMITICK_MONITOR_REPORT)
    const char* name = glfwGetMonitorName(monitor);
    std::fprintf(stderr, "lumitick: monitor skipped, it reports no usable video mode: %s\n", name ? name : "(unnamed)");
#endif
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
  GLFWwindow* window = glfwCreateWindow(mode->width, mode->height, kTitle, nullptr, views[0]->window);
  glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
  if (!window) return;  // the library has said why

  // Known, with its callbacks, before it is shown: showing it may move the
  // focus.
  views.emplace_back(new View(window, monitor, mode->width, mode->height));
  InstallSaverCallbacks(window);
  glfwSetWindowFocusCallback(window, OnFocus);
  glfwSetWindowIconifyCallback(window, OnIconify);

  glfwSetWindowPos(window, x, y);
  glfwShowWindow(window);
  glfwSetWindowMonitor(window, monitor, x, y, mode->width, mode->height, mode->refreshRate);
  glfwMakeContextCurrent(window);
  CScreensaverApp::SetSaverIcon(window);
  SetFixedGLState();
  CScreensaverApp::SetSwapInterval(false);  // the primary window's swap paces the turn
  glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
  focus.OwnChange();
}

void CSaverWindows::FollowMonitors() {
  monitorsChanged = false;
  std::vector<GLFWmonitor*> windowMonitors, connected;
  for (const auto& v : views) windowMonitors.push_back(v->monitor);
  int count = 0;
  GLFWmonitor** monitors = glfwGetMonitors(&count);
  connected.assign(monitors, monitors + count);
  GLFWmonitor* primary = glfwGetPrimaryMonitor();
  const MonitorPlan plan = PlanMonitors(windowMonitors, connected, primary);

  for (std::size_t i : plan.close) views.erase(views.begin() + static_cast<std::ptrdiff_t>(i));
  const GLFWvidmode* mode = plan.movePrimary ? UsableVideoMode(primary) : nullptr;
  if (mode) {
    int x = 0, y = 0;
    glfwGetMonitorPos(primary, &x, &y);
    glfwSetWindowMonitor(views[0]->window, primary, x, y, mode->width, mode->height, mode->refreshRate);
    views[0]->monitor = primary;
  }
  for (GLFWmonitor* m : plan.open) OpenWindowOn(m);
  glfwMakeContextCurrent(views[0]->window);
  if (!plan.close.empty() || plan.movePrimary) {
    // A closed window may have held the focus: hand it to the primary one.
    focus.OwnChange();
    glfwFocusWindow(views[0]->window);
  }
}

bool CSaverWindows::Draw() {
  const FrameInstant instant = gScene->ReadFrameInstant();
  bool any = false;
  // Each window's frame is finished before the swaps, so that a swap's time
  // is its own (app/FramePacer.h).
  for (std::size_t i = views.size(); i-- > 0;) {
    View& v = *views[i];
    v.MakeCurrent();
    v.scene->backBufferAge = v.presenter->BackBufferAge();
    v.drawn = gScene->Draw(*v.scene, instant, v.width, v.height);
    if (v.drawn && glFinish) glFinish();
    any = any || v.drawn;
  }
  return any;
}

void CSaverWindows::Swap() {
  for (std::size_t i = views.size(); i-- > 0;) {
    View& v = *views[i];
    if (v.drawn || i == 0) v.MakeCurrent();
    if (!v.drawn) continue;
    const FrameChanges& c = v.scene->changes;
    platform::PresentRect rects[FrameChanges::kMaxRects];
    for (int r = 0; r < c.count; ++r) {
      const scene::PixelRect& p = c.rects[static_cast<std::size_t>(r)];
      rects[r] = {p.x, p.y, p.width, p.height};
    }
    v.presenter->Present(c.whole ? nullptr : rects, c.count);
  }
}

bool CSaverWindows::ShouldEnd() {
  if (layered) return connectionLost || platform::StopRequested();
  for (const auto& v : views) {
    if (glfwWindowShouldClose(v->window)) return true;
    // Input in a preview or in a window a host hands us is the host's,
    // Escape included.
    if (fullScreen && glfwGetKey(v->window, GLFW_KEY_ESCAPE) != GLFW_RELEASE) return true;
  }
  if (platform::StopRequested()) return true;
  if (!fullScreen) {
    if (!platform::IsHostWindowEnabled(host)) return true;
    platform::FollowHostSize(views[0]->window, host);
    return false;
  }
  if (monitorsChanged) FollowMonitors();
  // The session's own screen saver coming on while the saver runs (its
  // blanking, or the locker started on it, now covers the windows) ends it,
  // as another window taking the focus does; one already on at the start
  // (a saver started by the session's timer) does not. Asked once a second.
  const double now = glfwGetTime();
  if (now >= sessionCheckAt) {
    sessionCheckAt = now + 1.0;
    const bool on = platform::SessionSaverOn();
    if (on && sessionSaverWasOff) return true;
    sessionSaverWasOff = !on;
  }
  bool anyFocused = false;
  for (const auto& v : views) anyFocused = anyFocused || v->focused;
  return focus.ShouldEnd(anyFocused, [this] {
    bool held = false;
    for (auto& v : views) held = (v->focused = glfwGetWindowAttrib(v->window, GLFW_FOCUSED) == GLFW_TRUE) || held;
    return held;
  });
}

void CSaverWindows::Resized(GLFWwindow* window, int width, int height) {
  if (View* v = Find(window)) SetSize(v, width, height);
}

void CSaverWindows::SetSize(View* v, int width, int height) {
  v->width = width;
  v->height = height;
  v->scene->Forget();  // its buffers are made anew
  if (v == views[0].get()) StoreWindowSize(width, height);
}

void CSaverWindows::Exposed(GLFWwindow* window) {
  if (View* v = Find(window)) v->scene->Forget();
}

void CSaverWindows::OnMonitor(GLFWmonitor* monitor, int event) {
  CSaverWindows* self = gSaverWindows;
  if (event == GLFW_DISCONNECTED) {
    // The monitor's record is freed once this returns: forget it now.
    for (auto& v : self->views)
      if (v->monitor == monitor) v->monitor = nullptr;
  }
  self->monitorsChanged = true;
}

void CSaverWindows::OnFocus(GLFWwindow* window, int focused) {
  View* v = gSaverWindows->Find(window);
  if (!v) return;
  v->focused = focused == GLFW_TRUE;
  if (!v->focused) gSaverWindows->focus.FocusLost();
}

void CSaverWindows::OnIconify(GLFWwindow*, int iconified) {
  if (iconified == GLFW_TRUE) gSaverWindows->focus.Iconified();
}
