// X11 back end of host windows. The saver's GLFW window is made hidden and
// undecorated, reparented into the host and then mapped, so it draws inside
// the host and nowhere else; its size follows the host's, polled once a frame.
//
// Requests on a host that has gone away fail with BadWindow or BadDrawable;
// Xlib's default handler would end the process with status 1, so a handler of
// our own notes them instead, and the next check reports the host as gone.
// Once our window lives in the host, such an error means the host (and our
// window with it) is gone. It may come from the GL driver's own size query,
// which would then go on with a size the server never sent (a huge, garbage
// back buffer), so the handler ends the process there with status 0, as the
// main loop would on its next check.
#include "platform/host_window.h"

#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>
#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

bool sXErrorSeen = false;
bool sAdopted = false;  // our window has been put into a host

int NoteXError(Display*, XErrorEvent* error) {
  if (sAdopted && (error->error_code == BadWindow || error->error_code == BadDrawable)) {
    // Returning would hand the failed request's caller values it never got.
    std::fflush(nullptr);
    _exit(0);
  }
  sXErrorSeen = true;
  return 0;
}

// GLFW restores Xlib's default handler after its own requests, so ours is put
// back before every request that may touch a vanished window.
void InstallErrorHandler() { XSetErrorHandler(NoteXError); }

bool QueryAttributes(Display* dpy, Window w, XWindowAttributes* attrs) {
  if (!dpy || w == 0) return false;
  InstallErrorHandler();
  XSync(dpy, False);
  sXErrorSeen = false;
  Status ok = XGetWindowAttributes(dpy, w, attrs);
  XSync(dpy, False);
  return ok != 0 && !sXErrorSeen;
}

}  // namespace

bool GetHostClientSize(NativeHandle host, int* width, int* height) {
  XWindowAttributes attrs;
  if (!QueryAttributes(glfwGetX11Display(), static_cast<Window>(host), &attrs)) return false;
  *width = attrs.width;
  *height = attrs.height;
  return true;
}

GLFWwindow* CreateWindowInHost(NativeHandle host) {
  Display* dpy = glfwGetX11Display();
  XWindowAttributes attrs;
  if (!QueryAttributes(dpy, static_cast<Window>(host), &attrs)) return nullptr;
  const int width = attrs.width > 0 ? attrs.width : 1;
  const int height = attrs.height > 0 ? attrs.height : 1;

  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
  glfwWindowHint(GLFW_FOCUS_ON_SHOW, GLFW_FALSE);
  GLFWwindow* window = glfwCreateWindow(width, height, "Lumitick Screensaver", nullptr, nullptr);
  glfwDefaultWindowHints();
  if (!window) return nullptr;

  Window child = glfwGetX11Window(window);
  InstallErrorHandler();
  sXErrorSeen = false;
  XReparentWindow(dpy, child, static_cast<Window>(host), 0, 0);
  XSync(dpy, False);
  // Mapped only once it is surely inside the host: a failed reparent would
  // leave it a top-level window, shown over someone else's screen.
  if (!sXErrorSeen) {
    XMapWindow(dpy, child);
    XSync(dpy, False);
  }
  if (sXErrorSeen) {
    // The host vanished while we were adopting it.
    glfwDestroyWindow(window);
    return nullptr;
  }
  sAdopted = true;
  return window;
}

void FollowHostSize(GLFWwindow* window, NativeHandle host) {
  int w = 0, h = 0;
  if (!window || !GetHostClientSize(host, &w, &h)) return;
  int cw = 0, ch = 0;
  glfwGetWindowSize(window, &cw, &ch);
  if ((cw != w || ch != h) && w > 0 && h > 0) glfwSetWindowSize(window, w, h);
}

bool IsHostWindowEnabled(NativeHandle host) {
  XWindowAttributes attrs;
  return QueryAttributes(glfwGetX11Display(), static_cast<Window>(host), &attrs);
}

NativeHandle RootHostWindow() {
  NativeHandle id = 0;
  if (ParseWindowId(std::getenv("XSCREENSAVER_WINDOW"), &id)) return id;
  Display* dpy = glfwGetX11Display();
  return dpy ? DefaultRootWindow(dpy) : 0;
}

}  // namespace platform
