// The full-screen saver's windows: one per monitor. The primary monitor's
// window is the application's own (gApp->window, whose size is the size
// state); every other monitor gets a window of its own, created with a
// context that shares the first one's textures, buffers and programs, so the
// scene is built once. All windows show the same instant: the time is read
// once a turn and every window draws it at its own size.
//
// Monitors connected while the saver runs get a window; the window of a
// monitor that goes away is closed. A monitor without a usable video mode is
// skipped.
//
// The saver never runs unseen: when the focus goes to another application
// (not merely from one saver window to another), or a saver window is
// iconified, the saver ends.
#pragma once

#include <cstddef>
#include <vector>

struct GLFWwindow;
struct GLFWmonitor;
class SceneView;

class CSaverWindows {
 public:
  // Takes over the primary window (already open, its context current) and
  // opens a window on every other monitor. The primary window's context is
  // current again afterwards.
  explicit CSaverWindows(GLFWwindow* primary);

  // With more than one window: reads the time once and draws one frame of
  // it into every window, each at its own size, finished; then presents
  // them, the primary window last (its swap is the one that may wait for
  // the retrace). With one window the loop's single-window step does the
  // same.
  void Draw();
  void Swap();

  // After the events of a turn were processed: follows monitor changes and
  // the focus. True when the saver should end (focus lost to another
  // application, a window iconified, Escape or a close request on any
  // window).
  bool ShouldEnd();

  int WindowCount() const { return static_cast<int>(views.size()); }

 private:
  struct View {
    GLFWwindow* window = nullptr;
    GLFWmonitor* monitor = nullptr;  // null once its monitor has gone
    int width = 0, height = 0;
    SceneView* scene = nullptr;
    bool focused = false;
  };

  static void OnMonitor(GLFWmonitor* monitor, int event);
  static void OnFocus(GLFWwindow* window, int focused);
  static void OnIconify(GLFWwindow* window, int iconified);
  static void OnSize(GLFWwindow* window, int width, int height);

  View* Find(GLFWwindow* window);
  void Close(std::size_t i);
  void OpenWindowOn(GLFWmonitor* monitor);
  void FollowMonitors();
  void PlaceOn(View& view, GLFWmonitor* monitor);
  void InstallCallbacks(GLFWwindow* window);

  std::vector<View> views;  // views[0] is the primary window
  bool monitorsChanged = false;
  bool iconified = false;
  bool focusLost = false;       // a saver window lost the focus
  double focusLostAt = 0.0;     // when none has held it since
  double quietUntil = 0.0;      // focus moves of our own making end nothing
};

extern CSaverWindows* gSaverWindows;
