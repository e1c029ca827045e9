// A stand-in for someone else's window that the saver draws into: a settings
// dialog's preview area ("/p ID") or xscreensaver's window ("-window-id ID").
// One plain X11 window filled with a colour the clock is unlikely to produce
// exactly (magenta, ff00ff, unless -colour says otherwise), so that whatever
// the saver does not cover shows.
//
//   host_window [-size WxH] [-at X,Y] [-resize WxH] [-colour RRGGBB]
//
// Once the window is mapped its id is printed in decimal on standard output,
// then the program waits for signals:
//   SIGUSR1          resize the window to the -resize size ("resized WxH" is
//                    printed when the server has done it)
//   SIGUSR2          destroy the window and keep running ("destroyed")
//   SIGTERM, SIGINT  destroy the window and exit with status 0
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

int sSignalPipe[2] = {-1, -1};

void OnSignal(int sig) {
  const unsigned char byte = static_cast<unsigned char>(sig);
  const int saved = errno;
  if (write(sSignalPipe[1], &byte, 1) < 0) {
  }
  errno = saved;
}

bool ParsePair(const char* text, char sep, int* a, int* b) {
  char* end = nullptr;
  long x = std::strtol(text, &end, 10);
  if (end == text || *end != sep) return false;
  const char* rest = end + 1;
  long y = std::strtol(rest, &end, 10);
  if (end == rest || *end != '\0') return false;
  *a = static_cast<int>(x);
  *b = static_cast<int>(y);
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: host_window [-size WxH] [-at X,Y] [-resize WxH] [-colour RRGGBB]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 320, height = 240, x = 0, y = 0, newWidth = 480, newHeight = 360;
  unsigned long colour = 0xff00ff;
  for (int i = 1; i < argc; ++i) {
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    bool ok = false;
    if (std::strcmp(argv[i - 1], "-size") == 0) ok = ParsePair(value, 'x', &width, &height);
    else if (std::strcmp(argv[i - 1], "-at") == 0) ok = ParsePair(value, ',', &x, &y);
    else if (std::strcmp(argv[i - 1], "-resize") == 0) ok = ParsePair(value, 'x', &newWidth, &newHeight);
    else if (std::strcmp(argv[i - 1], "-colour") == 0) {
      char* end = nullptr;
      colour = std::strtoul(value, &end, 16);
      ok = std::strlen(value) == 6 && *end == '\0';
    }
    if (!ok || width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0) return Usage();
  }

  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "host_window: cannot open display\n");
    return 1;
  }
  if (pipe(sSignalPipe) != 0) return 1;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT}) sigaction(sig, &sa, nullptr);

  const int screen = DefaultScreen(dpy);
  Window win = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), x, y, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, BlackPixel(dpy, screen), colour);
  XStoreName(dpy, win, "Lumitick test host");
  XSelectInput(dpy, win, StructureNotifyMask);
  XMapWindow(dpy, win);

  bool mapped = false, alive = true;
  int lastWidth = width, lastHeight = height;
  for (;;) {
    while (XPending(dpy)) {
      XEvent ev;
      XNextEvent(dpy, &ev);
      if (ev.type == MapNotify && !mapped) {
        mapped = true;
        std::printf("%lu\n", static_cast<unsigned long>(win));
        std::fflush(stdout);
      } else if (ev.type == ConfigureNotify && alive &&
                 (ev.xconfigure.width != lastWidth || ev.xconfigure.height != lastHeight)) {
        lastWidth = ev.xconfigure.width;
        lastHeight = ev.xconfigure.height;
        std::printf("resized %dx%d\n", lastWidth, lastHeight);
        std::fflush(stdout);
      }
    }
    pollfd fds[2] = {{ConnectionNumber(dpy), POLLIN, 0}, {sSignalPipe[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) return 1;
    if (!(fds[1].revents & POLLIN)) continue;
    unsigned char sig = 0;
    if (read(sSignalPipe[0], &sig, 1) != 1) continue;
    if (sig == SIGUSR1 && alive) {
      XResizeWindow(dpy, win, static_cast<unsigned>(newWidth), static_cast<unsigned>(newHeight));
      XFlush(dpy);
    } else if (sig == SIGUSR2 || sig == SIGTERM || sig == SIGINT) {
      if (alive) {
        XDestroyWindow(dpy, win);
        XSync(dpy, False);
        alive = false;
        std::printf("destroyed\n");
        std::fflush(stdout);
      }
      if (sig != SIGUSR2) break;
    }
  }
  XCloseDisplay(dpy);
  return 0;
}
