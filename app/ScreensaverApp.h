// The saver application: the window library, the full-screen or preview
// window, the input callbacks that end the saver, the OpenGL context and the
// fixed OpenGL state.
#pragma once

#include <cstdint>

#include "app/ScreensaverArgs.h"
#include "platform/host_window.h"

struct GLFWwindow;

// Window size state, written when the window opens and by every size event,
// read by the scene every frame.
extern int gWindowWidth;
extern int gWindowHeight;
extern float gAspectRatio;

// A window handed over by xscreensaver ("-window-id ID" or "-root"; X11 only).
// The saver then draws into it, ignores input (the daemon owns it) and ends
// on SIGTERM or SIGINT, or when the window goes away.
struct CHostedTarget {
  bool active = false;
  platform::NativeHandle window = 0;
};
extern CHostedTarget gHosted;

// Linux: the full-screen saver draws on the Wayland compositor's layer
// shell (platform/layer_shell.h), connected before the application is made;
// the window library is then never started.
extern bool gLayerShell;

class CScreensaverApp {
 public:
  explicit CScreensaverApp(CScreensaverArgs* args);

  static int GetWindowsVersion();
  static int GetPrimaryModeSize(int which);
  static void SetSwapInterval(bool on);
  static void SetSaverIcon(GLFWwindow* window);

  GLFWwindow* window = nullptr;
  CScreensaverArgs* args = nullptr;

 private:
  platform::NativeHandle host = 0;  // the preview's or host's window; 0 in full screen
  // Full-screen mode ("/s" or no switch), not a preview or a hosted window.
  bool FullScreen() const;
  void InitLibrary();
  void ChooseWindowSize();
  void OpenSaverWindow();
  void InitGLState();
  void OpenLayerSurfaces();
#if defined(LUMITICK_SHOW_GL_CAPABILITIES)
 public:
  void ShowGLCapabilities();
#endif
};

extern CScreensaverApp* gApp;

// Stores a window size in the size state. A zero width or height (a
// minimised window) keeps the last aspect ratio, so that no infinity or NaN
// reaches the projection or the shaders.
void StoreWindowSize(int width, int height);

// The full-screen size: the monitor's current mode (given as width, height;
// 0 when the library has no monitor or mode to report) on systems other than
// Windows and on Windows 6.0 and later, 800 x 600 on older Windows and when
// there is no mode to read.
void ChooseFullScreenSize(int windowsVersion, int modeWidth, int modeHeight, int* width, int* height);

// The saver's window hints: an OpenGL 2.0 context (or a compatible later
// one) with robustness and lose-context-on-reset, no multisampling, no
// stereo. Offscreen renderers of the same picture ask for the same.
void SetSaverWindowHints();

// The size, key, mouse-button, cursor, wheel and refresh (expose) callbacks
// of a saver window.
void InstallSaverCallbacks(GLFWwindow* window);

// The fixed OpenGL state of a saver window's context (culling, no
// multisampling or smoothing); the context must be current.
void SetFixedGLState();

// The 64 x 64 window icon, RGBA with rows from the top (16384 bytes).
void BuildSaverIcon(unsigned char* pixels);
constexpr int kSaverIconSize = 64;
