// Portable part of host windows: reading a window id.
#include "platform/host_window.h"

namespace platform {

bool ParseWindowId(const char* text, NativeHandle* id) {
  if (!text) return false;
  unsigned base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  }
  if (!*text) return false;
  unsigned long long value = 0;
  for (; *text; ++text) {
    unsigned digit;
    const char c = *text;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return false;
  }
  if (value == 0) return false;
  *id = static_cast<NativeHandle>(value);
  return true;
}

}  // namespace platform
