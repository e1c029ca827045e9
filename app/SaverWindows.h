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

  // Reads the time once and draws one frame of it into every window, each
  // at its own size, finished (the primary window last, its context current
  // afterwards); then presents them, the primary window last (its swap is
  // the one that may wait for the retrace), each only where it changed if
  // the window system can. Draw answers false when every window shows its
  // frame already (the black first seconds): there is nothing to present.
  bool Draw();
  void Swap();

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
  struct View {
    View(GLFWwindow* window, GLFWmonitor* monitor, int width, int height);
    ~View();  // releases the scene view in the window's context, then the window
    GLFWwindow* window;
    GLFWmonitor* monitor;  // null once its monitor has gone
    int width, height;
    bool focused = false;
    bool drawn = false;  // this turn's frame, to be presented
    std::unique_ptr<SceneView> scene;
    std::unique_ptr<platform::FramePresenter> presenter;
  };

  static void OnMonitor(GLFWmonitor* monitor, int event);
  static void OnFocus(GLFWwindow* window, int focused);
  static void OnIconify(GLFWwindow* window, int iconified);

  View* Find(GLFWwindow* window);
  void OpenWindowOn(GLFWmonitor* monitor);
  void FollowMonitors();

  std::vector<std::unique_ptr<View>> views;  // views[0] is the primary window
  const bool fullScreen;
  const platform::NativeHandle host;
  bool monitorsChanged = false;
  SaverFocusRules focus;
};

extern CSaverWindows* gSaverWindows;
