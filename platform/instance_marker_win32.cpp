// Windows back end of the instance marker: a named event, manual-reset and
// non-signalled, whose handle the first holder keeps open until it exits.
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include <string>

#include "platform/instance_marker.h"

namespace platform {

bool AcquireInstanceMarker(const char* name) {
  std::wstring wide;
  for (const char* p = name; *p; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  SetLastError(0);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, wide.c_str());
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (event) CloseHandle(event);
    return false;
  }
  return true;  // kept open (or not made at all: the test then passes)
}

}  // namespace platform
