// Windows back end of the OS version: GetVersion's low word, major in the
// low byte and minor in the high byte. Without a compatibility manifest,
// Windows 8.1 and later report 6.2, which keeps the monitor-size rule.
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include "platform/os_version.h"

namespace platform {

int GetWindowsVersion() {
  const DWORD version = GetVersion();
  const int major = LOBYTE(LOWORD(version));
  const int minor = HIBYTE(LOWORD(version));
  return major * 10 + minor;
}

}  // namespace platform
