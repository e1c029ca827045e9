// Windows back end of the message box: MessageBoxA with no owner window and
// an OK button; it returns when the box has been closed.
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include "platform/message_box.h"

namespace platform {
namespace detail {

void ShowNativeMessageBox(const char* text, const char* title, MessageIcon icon) {
  const UINT type = MB_OK | (icon == MessageIcon::Warning ? MB_ICONWARNING : MB_ICONINFORMATION);
  MessageBoxA(nullptr, text, title, type);
}

}  // namespace detail
}  // namespace platform
