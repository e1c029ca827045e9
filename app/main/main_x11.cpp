// Linux entry point.
//
// The Windows-style switches ("/s", "/p HANDLE", "/c") are joined with single
// spaces into one command-line text, as Windows would hand it to WinMain.
// Arguments beginning with "-" never reach that parser: "-window-id ID" and
// "-root" are xscreensaver's conventions for drawing into a given window, and
// "--" options are this program's own (snapshot, resource export, the
// xscreensaver helper, help).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <unistd.h>

#include "app/Entry.h"
#include "app/HugePages.h"
#include "app/ScreensaverApp.h"
#include "app/Snapshot.h"
#include "app/XScreensaverConfig.h"
#include "platform/display.h"
#include "platform/host_window.h"
#if defined(LUMITICK_WAYLAND)
#include "platform/layer_shell.h"
#endif
#include "platform/stop_signal.h"

#ifndef LUMITICK_VERSION
#define LUMITICK_VERSION "0.0"
#endif

namespace {

const char kHelp[] =
    "Usage: lumitick [--wayland | --x11] [/s | /p HANDLE | /c]\n"
    "       lumitick -window-id ID | -root\n"
    "       lumitick --snapshot FILE.png [--size WxH] [--time HH:MM:SS[.fff]] [--itime SECONDS]\n"
    "       lumitick --export-resources DIR\n"
    "       lumitick --add-to-xscreensaver\n"
    "\n"
    "A glowing analog-clock screensaver.\n"
    "\n"
    "  (no switch)        full-screen saver, one instance at a time\n"
    "  /s                 full-screen saver, a clock on every monitor\n"
    "  /p HANDLE          draw into the X11 window HANDLE (decimal), a settings dialog's\n"
    "                     preview, one instance at a time\n"
    "  /c                 show the About window\n"
    "  -window-id ID      draw into window ID (decimal or 0x-hex), as xscreensaver asks\n"
    "  -root              draw into $XSCREENSAVER_WINDOW, or the root window\n"
    "  --wayland          full screen on the Wayland compositor's layer shell, or fail\n"
    "  --x11              full screen through X11 (on a Wayland session: Xwayland)\n"
    "  --snapshot FILE    render one frame offscreen into FILE (PNG) and exit\n"
    "  --size WxH         snapshot size (default 1920x1080)\n"
    "  --time HH:MM:SS[.fff]  snapshot wall-clock time (default: now)\n"
    "  --itime SECONDS    snapshot timer value; the picture fades in from 3 to 5 (default 10)\n"
    "  --export-resources DIR  write every embedded resource into DIR\n"
    "  --add-to-xscreensaver  add Lumitick to the programs list of ~/.xscreensaver\n"
    "  --help, --version\n"
    "\n"
    "The full-screen saver ends on any key or mouse button, or when another program\n"
    "takes the focus. A preview and the runs in another program's window\n"
    "(-window-id, -root) leave input to that program and end when their window goes\n"
    "away, or on SIGTERM or SIGINT.\n"
    "\n"
    "Which road the full-screen saver takes: on a Wayland session (WAYLAND_DISPLAY\n"
    "set) whose compositor offers the layer shell (sway and the other wlroots\n"
    "compositors, KDE Plasma), a clock on every output as an overlay layer, which\n"
    "no focus change ends. Elsewhere (X11, GNOME) and with --x11 it draws through\n"
    "X11 (on a Wayland session: Xwayland). Previews, -window-id and -root are\n"
    "always X11.\n";

// Where Debian's xscreensaver looks for its hacks, and its defaults.
const char kHackDir[] = "/usr/libexec/xscreensaver";
const char kXScreensaverDefaults[] = "/etc/X11/app-defaults/XScreenSaver";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "lumitick: %s (try --help)\n", problem.c_str());
  return 2;
}

std::string OwnPath() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return std::string();
  self[n] = '\0';
  return self;
}

// The one restart with the huge-page tunable (app/HugePages.h). The program's
// own file by its real path, not /proc/self/exe: the process keeps its name
// ("lumitick") for ps and pkill. If the image cannot be run again, start-up
// simply goes on without it.
void RestartWithHugePages(char** argv) {
  const std::string self = OwnPath();
  if (self.empty() || !huge_pages::PrepareRestart()) return;
  execv(self.c_str(), argv);
  huge_pages::RestoreEnvironment();
}

}  // namespace

int main(int argc, char** argv) {
  const bool restarted = huge_pages::RestoreEnvironment();
  std::string commandLine;
  bool root = false, snapshot = false, snapshotOnly = false, addToXScreensaver = false;
  enum class Road { Any, Wayland, X11 } road = Road::Any;
  std::string exportDir;
  SnapshotOptions shot;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    // A negative number is switch text ("/p -5"), not an option.
    const bool number = arg.size() > 1 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
    if (arg.empty() || arg[0] != '-' || number) {
      if (!commandLine.empty()) commandLine += ' ';
      commandLine += arg;
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("lumitick %s\n", LUMITICK_VERSION);
      return 0;
    } else if (arg == "-window-id" || arg == "--window-id") {
      if (!value || !platform::ParseWindowId(value, &gHosted.window))
        return Usage(arg + " needs a window id (decimal or 0x-hex)");
      gHosted.active = true;
      ++i;
    } else if (arg == "-root" || arg == "--root") {
      root = true;
    } else if (arg == "--snapshot") {
      if (!value || !*value) return Usage("--snapshot needs a file name");
      shot.path = value, snapshot = true, ++i;
    } else if (arg == "--size") {
      if (!value || !ParseSnapshotSize(value, &shot.width, &shot.height)) return Usage("--size needs WxH, e.g. 1920x1080");
      snapshotOnly = true, ++i;
    } else if (arg == "--time") {
      if (!value || !ParseSnapshotTime(value, &shot)) return Usage("--time needs HH:MM:SS or HH:MM:SS.fff");
      snapshotOnly = true, ++i;
    } else if (arg == "--itime") {
      if (!value || !ParseSnapshotITime(value, &shot.iTime)) return Usage("--itime needs a number of seconds");
      snapshotOnly = true, ++i;
    } else if (arg == "--export-resources") {
      if (!value || !*value) return Usage("--export-resources needs a folder");
      exportDir = value, ++i;
    } else if (arg == "--wayland" || arg == "--x11") {
      road = arg == "--x11" ? Road::X11 : Road::Wayland;
    } else if (arg == "--add-to-xscreensaver") {
      addToXScreensaver = true;
    } else {
      return Usage("unknown option " + arg);
    }
  }
  if (snapshotOnly && !snapshot) return Usage("--size, --time and --itime go with --snapshot");
  if (addToXScreensaver) {
    const char* home = std::getenv("HOME");
    return xscreensaver_config::AddToXScreensaver(
        home ? home : "", kXScreensaverDefaults, xscreensaver_config::EntryCommand(OwnPath(), kHackDir));
  }
  if (!exportDir.empty()) return ExportResources(exportDir);

  if (root && !gHosted.active) {
    gHosted.active = true;
    gHosted.window = 0;  // resolved once the window library has a display
  }
  // Only the modes that build the textures restart; the About window (which
  // starts a browser) does not.
  const std::unique_ptr<CScreensaverArgs> args(ParseCommandLine(commandLine.c_str()));
  const bool about = !snapshot && !gHosted.active && args->mode == ScreensaverMode::Configure;
  if (!about && !restarted) RestartWithHugePages(argv);

  if (snapshot) return platform::PrepareDisplay() ? RunSnapshot(shot) : 1;
  // The saver writes no file while it runs; Mesa would otherwise keep its
  // compiled shaders in ~/.cache/mesa_shader_cache (and look up the user's
  // home directory through the name service to find it).
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
  setenv("MESA_GLSL_CACHE_DISABLE", "true", 1);
  // The full-screen saver's road (see the help text).
  const bool fullScreen = !gHosted.active && (args->mode == ScreensaverMode::Run || args->mode == ScreensaverMode::None);
  if (fullScreen && road != Road::X11) {
    const char* why = "this build has no Wayland back end";
#if defined(LUMITICK_WAYLAND)
    gLayerShell = platform::layer_shell::Connect(&why);
#endif
    if (!gLayerShell && road == Road::Wayland) {
      std::fprintf(stderr, "lumitick: --wayland: %s\n", why);
      return 1;
    }
  }
  const int status = SaverEntry(commandLine.c_str(), nullptr, 1);
  platform::EndByStopSignal();
  return status;
}
