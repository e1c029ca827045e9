// Portable front of the message-box facility: the test hook, then the back end.
#include "platform/message_box.h"

namespace platform {

static MessageBoxHook sHook = nullptr;

void SetMessageBoxHook(MessageBoxHook hook) { sHook = hook; }

void ShowMessageBox(const char* text, const char* title, MessageIcon icon) {
  if (!text) text = "";
  if (!title) title = "";
  if (sHook) {
    sHook(text, title, icon);
    return;
  }
  detail::ShowNativeMessageBox(text, title, icon);
}

}  // namespace platform
