// X11 back end of the OS version: not Windows.
#include "platform/os_version.h"

namespace platform {

int GetWindowsVersion() { return kNotWindows; }

}  // namespace platform
