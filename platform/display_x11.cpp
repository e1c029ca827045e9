// X11 display check before the window library starts (see display.h).
#include "platform/display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

bool sError = false;
int NoteError(Display*, XErrorEvent*) {
  sError = true;
  return 0;
}

// The first window of a WINDOW-typed property, as GLFW reads it: 0 when the
// window or the property is missing, of another type or empty.
Window WindowProperty(Display* dpy, Window w, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  sError = false;
  const int status =
      XGetWindowProperty(dpy, w, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data);
  XSync(dpy, False);
  Window value = 0;
  if (status == Success && !sError && type == XA_WINDOW && format == 32 && count > 0 && data)
    value = *reinterpret_cast<Window*>(data);
  if (data) XFree(data);
  return value;
}

// True when the root window's _NET_SUPPORTING_WM_CHECK names a window that
// does not name itself back, as a live window manager's check window does.
bool HasStaleWindowManagerCheck(Display* dpy) {
  const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
  XErrorHandler previous = XSetErrorHandler(NoteError);
  const Window fromRoot = WindowProperty(dpy, DefaultRootWindow(dpy), check);
  // GLFW goes wrong whenever the root names a window that does not carry the
  // property itself; a window manager's check window names itself.
  const bool stale = fromRoot != 0 && WindowProperty(dpy, fromRoot, check) == 0;
  XSetErrorHandler(previous);
  return stale;
}

}  // namespace

bool PrepareDisplay() {
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    const char* name = std::getenv("DISPLAY");
    if (name && *name)
      std::fprintf(stderr, "lumitick: no display could be opened (DISPLAY=%s)\n", name);
    else
      std::fprintf(stderr, "lumitick: no display could be opened (DISPLAY is not set)\n");
    return false;
  }
  XGrabServer(dpy);
  if (HasStaleWindowManagerCheck(dpy))
    XDeleteProperty(dpy, DefaultRootWindow(dpy), XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False));
  XUngrabServer(dpy);
  XCloseDisplay(dpy);  // flushes the deletion
  return true;
}

}  // namespace platform
