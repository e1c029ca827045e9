// X11 back end of the session settings.
//
// GLFW 3.3 calls XSetScreenSaver(display, 0, 0, DontPreferBlanking,
// DefaultExposures) whenever a window takes a monitor (window creation on a
// monitor, glfwSetWindowMonitor, a WM_STATE change seen while polling), and
// puts the old values back only when that window is destroyed, which a saver
// ending by exit or by a signal never does. The session's timer would then
// never blank nor start its locker again.
//
// So the executable defines XSetScreenSaver itself. libglfw.so imports the
// symbol from libX11 unversioned; the dynamic linker looks the executable up
// first, so the library's calls bind here, and this definition leaves the
// server's settings alone. The server never holds other values than the
// user's, not even for the length of a call: no ending, SIGKILL included, can
// leave them changed, and nothing is done per frame. Nothing of this program
// sets them itself. (The definition is exported because libglfw, on the link
// line, refers to it; KeepSessionSettings, called from the entry, pulls this
// file out of the static library.)
#include "platform/session_settings.h"

#include <GLFW/glfw3.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

// A GLFW that opens libX11 itself and looks its functions up there (as 3.4
// does) would call libX11's own function past this one.
#if GLFW_VERSION_MAJOR != 3 || GLFW_VERSION_MINOR != 3
#error "the window library's XSetScreenSaver calls must reach the definition below: check it for this version"
#endif

extern "C" int XSetScreenSaver(Display*, int, int, int, int) { return 1; }

namespace platform {

void KeepSessionSettings() {}

bool SessionSaverOn() {
  Display* display = glfwGetX11Display();
  int event = 0, error = 0;
  if (!display || !XScreenSaverQueryExtension(display, &event, &error)) return false;
  XScreenSaverInfo info{};
  return XScreenSaverQueryInfo(display, DefaultRootWindow(display), &info) && info.state == ScreenSaverOn;
}

}  // namespace platform
