// The saver's windows, each a view of the one scene, in one owning list:
// the first is the application's own window (gApp->window, whose size is
// the size state), and in full screen every other monitor gets a window of
// its own, created with a context that shares the first one's pictures.
// All windows show the same instant: the time is read once a turn and every
// window draws it at its own size.
//
// In full screen, monitors connected while the saver runs get a window and
// the window of a monitor that goes away is closed (a monitor without a
// usable video mode is skipped); and the saver never runs unseen: when the
// focus goes to another application (not merely from one saver window to
// another), or a saver window is iconified, the saver ends. A preview or a
// window a host hands us is a list of one, which ends when its host goes.
//
// On a Wayland compositor with the layer shell (platform/layer_shell.h) the
// views are layer surfaces instead, one per output, as outputs come and go;
// the window library is not started there, and the focus rules do not
// apply (the surfaces hold the keyboard themselves).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/host_window.h"
#include "platform/partial_present.h"

struct GLFWwindow;
struct GLFWmonitor;
class SceneView;
namespace platform {
namespace layer_shell {
struct Surface;
}
}  // namespace platform

// The focus rules of the full-screen saver, apart from the window library:
// its callbacks report here, and the loop asks once a turn. The clock
// (seconds, steady) is injected, as FramePacer's.
class SaverFocusRules {
 public:
  // How long no saver window may hold the focus after one lost it before
  // the saver ends: moving the focus from one saver window to another
  // arrives as a loss and a gain, not always in the same turn.
  static constexpr double kFocusGrace = 0.25;
  // Focus moves of our own making (a window opened or closed for a
  // monitor) end nothing for this long.
  static constexpr double kQuietAfterChange = 1.0;

  explicit SaverFocusRules(double (*now)()) : now(now) {}

  void FocusLost();   // a saver window lost the focus
  void Iconified() { iconified = true; }
  void OwnChange();   // a window opened or closed for a monitor

  // After a turn's events. `anyFocused`: a saver window holds the focus as
  // the events tell. The events may not tell every move (a window focused
  // before its callback was set), so `focusHeldNow`, which asks the windows
  // themselves, is called before the saver ends for want of the focus.
  bool ShouldEnd(bool anyFocused, const std::function<bool()>& focusHeldNow);

 private:
  double (*now)();
  bool iconified = false;
  bool focusLost = false;    // a saver window lost the focus
  double focusLostAt = 0.0;  // when none has held it since
  double quietUntil = 0.0;
};

// What the full-screen saver does when the monitors change, from the
// monitors of its windows (the first window's first; null for one that has
// gone), the connected ones and the primary one.
struct MonitorPlan {
  std::vector<std::size_t> close;     // windows to close, last first
  bool movePrimary = false;           // the first window goes to the primary monitor
  std::vector<GLFWmonitor*> open;     // monitors that get a window
};
MonitorPlan PlanMonitors(const std::vector<GLFWmonitor*>& windowMonitors, const std::vector<GLFWmonitor*>& connected,
                         GLFWmonitor* primary);

class CSaverWindows {
 public:
  // Takes over the primary window (already open at width x height, its
  // context current) and, in full screen, opens a window on every other
  // monitor; otherwise `host` is the preview's or host's window the primary
  // one draws into. The primary window's context is current afterwards.
  CSaverWindows(GLFWwindow* primary, int width, int height, bool fullScreen, platform::NativeHandle host);
  // The layer shell's surfaces, one per output (the shared context current).
  CSaverWindows();

  // The scene's timer (nullptr: the window library's) and the refresh rate
  // that paces the loop (0: unknown).
  double (*Timer() const)();
  int RefreshRate() const;

  // Reads the time once and draws one frame of it into every window, each
  // at its own size, finished (the primary window last, its context current
  // afterwards); then presents them, the primary window last (its swap is
  // the one that may wait for the retrace), each only where it changed if
  // the window system can. Draw answers false when every window shows its
  // frame already (the black first seconds): there is nothing to present.
  bool Draw();
  void Swap();

  // Processes the pending window events of every view; the input callbacks
  // run here (a key or a button ends the full-screen saver at once). With
  // `wait` (seconds), waits that long at most for the first event when none
  // is pending.
  void PollEvents(double wait = 0.0);

  // After the events of a turn were processed: follows the host's size or
  // the monitors. True when the saver should end: a close request, a stop
  // signal, the host gone; in full screen also Escape, the focus lost to
  // another application or a window iconified.
  bool ShouldEnd();

  // The window library reports a window's size (the primary window's
  // goes into the size state), or that its picture was lost (an expose).
  void Resized(GLFWwindow* window, int width, int height);
  void Exposed(GLFWwindow* window);

 private:
  // A view draws into a GLFW window or into a layer surface.
  struct View {
    View(GLFWwindow* window, GLFWmonitor* monitor, int width, int height);
    View(platform::layer_shell::Surface* layer, int width, int height);
    ~View();  // releases the scene view in the view's context, then the window
    void MakeCurrent();
    GLFWwindow* window = nullptr;
    platform::layer_shell::Surface* layer = nullptr;  // the layer surface is the platform's
    GLFWmonitor* monitor = nullptr;  // null once its monitor has gone
    int width, height;
    bool focused = false;
    bool drawn = false;  // this turn's frame, to be presented
    std::unique_ptr<SceneView> scene;
    std::unique_ptr<platform::FramePresenter> presenter;
  };

  static void OnLayerAdded(platform::layer_shell::Surface* layer, int width, int height);
  static void OnLayerRemoved(platform::layer_shell::Surface* layer);
  static void OnLayerResized(platform::layer_shell::Surface* layer, int width, int height);
  static void OnMonitor(GLFWmonitor* monitor, int event);
  static void OnFocus(GLFWwindow* window, int focused);
  static void OnIconify(GLFWwindow* window, int iconified);

  View* Find(GLFWwindow* window);
  void SetSize(View* v, int width, int height);
  void OpenWindowOn(GLFWmonitor* monitor);
  void FollowMonitors();

  std::vector<std::unique_ptr<View>> views;  // views[0] is the primary window
  const bool fullScreen;
  const platform::NativeHandle host;
  const bool layered = false;      // the views are layer surfaces
  bool connectionLost = false;     // (layered) the compositor has gone
  bool monitorsChanged = false;
  double sessionCheckAt = 0.0;      // when to ask about the session's screen saver next
  bool sessionSaverWasOff = false;  // it was off when last asked
  SaverFocusRules focus;
};

extern CSaverWindows* gSaverWindows;
