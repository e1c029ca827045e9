// X11 back end of the message box: a screensaver has no desktop to put a
// dialog on while it owns the screen, so each box becomes one block on
// standard error:
//
//   === Debug ===
//   Failed to open window
//
// written in one call and flushed, so that blocks of two processes never mix.
#include <cstdio>
#include <string>

#include "platform/message_box.h"

namespace platform {
namespace detail {

void ShowNativeMessageBox(const char* text, const char* title, MessageIcon icon) {
  std::string block = "=== ";
  block += title;
  block += icon == MessageIcon::Warning ? " (warning) ===\n" : " ===\n";
  block += text;
  if (block.empty() || block.back() != '\n') block += '\n';
  std::fwrite(block.data(), 1, block.size(), stderr);
  std::fflush(stderr);
}

}  // namespace detail
}  // namespace platform
