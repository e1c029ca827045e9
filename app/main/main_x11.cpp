// Linux entry point.
//
// The Windows-style switches ("/s", "/p HANDLE", "/c") are joined with single
// spaces into one command-line text, as Windows would hand it to WinMain.
// Arguments beginning with "-" never reach that parser: "-window-id ID" and
// "-root" are xscreensaver's conventions for drawing into a given window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/Entry.h"
#include "app/ScreensaverApp.h"
#include "platform/host_window.h"

namespace {

int Usage(const char* problem) {
  std::fprintf(stderr, "lumitick: %s (try --help)\n", problem);
  return 2;
}

bool ParseWindowId(const char* text, platform::NativeHandle* out) {
  char* end = nullptr;
  unsigned long long id = std::strtoull(text, &end, 0);  // decimal or 0x-hex
  if (end == text || *end != '\0' || id == 0 || id > 0xFFFFFFFFull) return false;
  *out = static_cast<platform::NativeHandle>(id);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string commandLine;
  bool root = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] != '-') {
      if (!commandLine.empty()) commandLine += ' ';
      commandLine += arg;
      continue;
    }
    if (std::strcmp(arg, "-window-id") == 0 || std::strcmp(arg, "--window-id") == 0) {
      if (i + 1 >= argc || !ParseWindowId(argv[i + 1], &gHosted.window))
        return Usage("-window-id needs a window id (decimal or 0x-hex)");
      gHosted.active = true;
      ++i;
    } else if (std::strcmp(arg, "-root") == 0 || std::strcmp(arg, "--root") == 0) {
      root = true;
    } else {
      return Usage((std::string("unknown option ") + arg).c_str());
    }
  }
  if (root && !gHosted.active) {
    gHosted.active = true;
    gHosted.window = 0;  // resolved once the window library has a display
  }
  return SaverEntry(commandLine.c_str(), nullptr, 1);
}
