// Windows back end of the URL opener: ShellExecuteA with the verb "open",
// which hands the address to the user's browser.
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "platform/url_opener.h"

namespace platform {

bool OpenUrl(const char* url, void* ownerWindow) {
  if (!url || !*url) return false;
  HINSTANCE result = ShellExecuteA(static_cast<HWND>(ownerWindow), "open", url, nullptr, nullptr, SW_SHOWNORMAL);
  // Values above 32 mean success.
  return reinterpret_cast<std::intptr_t>(result) > 32;
}

}  // namespace platform
