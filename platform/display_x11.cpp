// X11 display check before the window library starts (see display.h).
#include "platform/display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <unistd.h>

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

enum class CheckWindow {
  Fine,     // none named, or one that names itself back, as a live one does
  Gone,     // the window the root names does not exist
  Unnamed,  // it exists but does not name itself (yet)
};

// What the root window's _NET_SUPPORTING_WM_CHECK names. GLFW goes wrong
// whenever that window does not carry the property itself.
CheckWindow LookAtCheckWindow(Display* dpy, Atom check) {
  XErrorHandler previous = XSetErrorHandler(NoteError);
  CheckWindow result = CheckWindow::Fine;
  const Window fromRoot = WindowProperty(dpy, DefaultRootWindow(dpy), check);
  if (fromRoot != 0) {
    XWindowAttributes attributes;
    sError = false;
    const Status exists = XGetWindowAttributes(dpy, fromRoot, &attributes);
    XSync(dpy, False);
    if (!exists || sError) {
      result = CheckWindow::Gone;
    } else if (WindowProperty(dpy, fromRoot, check) == 0) {
      result = CheckWindow::Unnamed;
    }
  }
  XSetErrorHandler(previous);
  return result;
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
  // A window manager that is starting may name its check window on the root
  // a moment before it names the window itself (openbox sets the root's
  // first), so a window that exists gets half a second to do so; one that
  // is gone is stale.
  const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
  for (int attempt = 0;; ++attempt) {
    XGrabServer(dpy);
    const CheckWindow found = LookAtCheckWindow(dpy, check);
    const bool stale = found == CheckWindow::Gone || (found == CheckWindow::Unnamed && attempt >= 10);
    if (stale) XDeleteProperty(dpy, DefaultRootWindow(dpy), check);
    XUngrabServer(dpy);
    XSync(dpy, False);
    if (found != CheckWindow::Unnamed || stale) break;
    usleep(50000);
  }
  // The connection stays open: an X server that has no other client (an
  // Xvfb of xvfb-run) resets when its last one leaves, and refuses the
  // window library's connection while it does.
  return true;
}

}  // namespace platform
