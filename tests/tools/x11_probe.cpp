// Small X11 questions and requests the end-to-end scripts need and the stock
// tools (xdotool, xwininfo) do not offer:
//
//   x11_probe cursor                  "hidden" when the pointer's current cursor
//                                     image is fully transparent, else
//                                     "visible WxH"
//   x11_probe close WINDOW            sends WINDOW a WM_DELETE_WINDOW close
//                                     request, as a window manager would
//   x11_probe children WINDOW         one line per child: "ID X Y W H viewable"
//                                     (or "unmapped")
//   x11_probe colour X Y W H          the screen's colour in that rectangle as
//                                     "rrggbb" when it is uniform, else "mixed"
//   x11_probe count RRGGBB X Y W H    how many pixels of that screen rectangle
//                                     have exactly that colour
//   x11_probe paint-root RRGGBB       fills the root window with that colour
//   x11_probe wm-check WINDOW         names WINDOW as the window manager's
//                                     check window on the root
//                                     (_NET_SUPPORTING_WM_CHECK)
//   x11_probe screen-saver            "on", "off" or "disabled" (MIT-SCREEN-SAVER)
//
// Colours are 24-bit TrueColor pixels, as on Xvfb's default visual.
// WINDOW is decimal or 0x-hex. Exit status 1 when the display cannot be
// opened or the window does not exist, 2 on bad arguments.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool sXError = false;
int NoteError(Display*, XErrorEvent*) {
  sXError = true;
  return 0;
}

bool ParseId(const char* text, Window* out) {
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 0);
  if (end == text || *end != '\0') return false;
  *out = v;
  return true;
}

bool ParseColour(const char* text, unsigned long* out) {
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 16);
  if (std::strlen(text) != 6 || *end != '\0') return false;
  *out = v;
  return true;
}

bool ParseInt(const char* text, int* out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0') return false;
  *out = static_cast<int>(v);
  return true;
}

int CursorState(Display* dpy) {
  int event = 0, error = 0;
  if (!XFixesQueryExtension(dpy, &event, &error)) {
    std::fprintf(stderr, "x11_probe: no XFIXES\n");
    return 1;
  }
  XFixesCursorImage* image = XFixesGetCursorImage(dpy);
  if (!image) return 1;
  bool visible = false;
  for (int i = 0; i < image->width * image->height; ++i) {
    if ((image->pixels[i] >> 24) & 0xff) visible = true;
  }
  if (visible) std::printf("visible %dx%d\n", image->width, image->height);
  else std::printf("hidden\n");
  XFree(image);
  return 0;
}

int Close(Display* dpy, Window w) {
  XEvent ev;
  std::memset(&ev, 0, sizeof ev);
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, w, False, NoEventMask, &ev);
  XSync(dpy, False);
  return sXError ? 1 : 0;
}

int Children(Display* dpy, Window w) {
  Window root = 0, parent = 0, *kids = nullptr;
  unsigned count = 0;
  if (!XQueryTree(dpy, w, &root, &parent, &kids, &count) || sXError) return 1;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, kids[i], &a) || sXError) continue;
    std::printf("%lu %d %d %d %d %s\n", static_cast<unsigned long>(kids[i]), a.x, a.y, a.width, a.height,
                a.map_state == IsViewable ? "viewable" : "unmapped");
  }
  if (kids) XFree(kids);
  return 0;
}

int Colour(Display* dpy, int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return 2;
  XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  XSync(dpy, False);
  if (!image || sXError) return 1;
  const unsigned long first = XGetPixel(image, 0, 0);
  bool uniform = true;
  for (int j = 0; j < h && uniform; ++j)
    for (int i = 0; i < w; ++i)
      if (XGetPixel(image, i, j) != first) {
        uniform = false;
        break;
      }
  if (uniform) {
    std::printf("%02lx%02lx%02lx\n", (first & image->red_mask) >> 16, (first & image->green_mask) >> 8,
                first & image->blue_mask);
  } else {
    std::printf("mixed\n");
  }
  XDestroyImage(image);
  return 0;
}

int Count(Display* dpy, unsigned long colour, int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return 2;
  XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  XSync(dpy, False);
  if (!image || sXError) return 1;
  const unsigned long mask = image->red_mask | image->green_mask | image->blue_mask;
  long count = 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) count += (XGetPixel(image, i, j) & mask) == colour;
  std::printf("%ld\n", count);
  XDestroyImage(image);
  return 0;
}

int PaintRoot(Display* dpy, unsigned long colour) {
  const Window root = DefaultRootWindow(dpy);
  XSetWindowBackground(dpy, root, colour);
  XClearWindow(dpy, root);
  XSync(dpy, False);
  return sXError ? 1 : 0;
}

int SetWmCheck(Display* dpy, Window w) {
  const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
  XChangeProperty(dpy, DefaultRootWindow(dpy), check, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&w), 1);
  XSync(dpy, False);
  return sXError ? 1 : 0;
}

int ScreenSaverState(Display* dpy) {
  XScreenSaverInfo info{};
  if (!XScreenSaverQueryInfo(dpy, DefaultRootWindow(dpy), &info)) return 1;
  return std::puts(info.state == ScreenSaverOn ? "on" : info.state == ScreenSaverOff ? "off" : "disabled") < 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: x11_probe cursor | close WINDOW | children WINDOW | colour X Y W H |"
               " count RRGGBB X Y W H |"
               " paint-root RRGGBB | wm-check WINDOW | screen-saver\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* cmd = argv[1];
  Window w = 0;
  int x = 0, y = 0, width = 0, height = 0;
  unsigned long colour = 0;
  const bool windowArg =
      std::strcmp(cmd, "close") == 0 || std::strcmp(cmd, "children") == 0 || std::strcmp(cmd, "wm-check") == 0;
  if (std::strcmp(cmd, "cursor") == 0 || std::strcmp(cmd, "screen-saver") == 0) {
    if (argc != 2) return Usage();
  } else if (windowArg) {
    if (argc != 3 || !ParseId(argv[2], &w)) return Usage();
  } else if (std::strcmp(cmd, "colour") == 0) {
    if (argc != 6 || !ParseInt(argv[2], &x) || !ParseInt(argv[3], &y) || !ParseInt(argv[4], &width) ||
        !ParseInt(argv[5], &height))
      return Usage();
  } else if (std::strcmp(cmd, "count") == 0) {
    if (argc != 7 || !ParseColour(argv[2], &colour) || !ParseInt(argv[3], &x) || !ParseInt(argv[4], &y) ||
        !ParseInt(argv[5], &width) || !ParseInt(argv[6], &height))
      return Usage();
  } else if (std::strcmp(cmd, "paint-root") == 0) {
    if (argc != 3 || !ParseColour(argv[2], &colour)) return Usage();
  } else {
    return Usage();
  }

  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "x11_probe: cannot open display\n");
    return 1;
  }
  XSetErrorHandler(NoteError);
  int status = 2;
  if (std::strcmp(cmd, "cursor") == 0) status = CursorState(dpy);
  else if (std::strcmp(cmd, "close") == 0) status = Close(dpy, w);
  else if (std::strcmp(cmd, "children") == 0) status = Children(dpy, w);
  else if (std::strcmp(cmd, "colour") == 0) status = Colour(dpy, x, y, width, height);
  else if (std::strcmp(cmd, "count") == 0) status = Count(dpy, colour, x, y, width, height);
  else if (std::strcmp(cmd, "wm-check") == 0) status = SetWmCheck(dpy, w);
  else if (std::strcmp(cmd, "screen-saver") == 0) status = ScreenSaverState(dpy);
  else status = PaintRoot(dpy, colour);
  XCloseDisplay(dpy);
  return status;
}
