#include "app/ScreensaverArgs.h"

#include <climits>
#include <cstring>

#include "platform/instance_marker.h"

CScreensaverArgs* gArgs = nullptr;

std::int32_t ParseHandleNumber(const char* p) {
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Accumulate as a negative number so that INT32_MIN itself fits.
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 - (*p - '0');
    if (value < INT32_MIN) {
      value = INT32_MIN - 1LL;  // saturated; keep eating digits
    }
  }
  if (negative) return value < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(value);
  if (value < -static_cast<std::int64_t>(INT32_MAX)) return INT32_MAX;
  return static_cast<std::int32_t>(-value);
}

CScreensaverArgs* ParseCommandLine(const char* text) {
  CScreensaverArgs* args = new CScreensaverArgs;
  if (!text) return args;
  const std::size_t length = std::strlen(text);
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] != '/') continue;
    switch (text[i + 1]) {  // at worst the terminating zero
      case 'p': args->mode = ScreensaverMode::Preview; break;
      case 's': args->mode = ScreensaverMode::Run; break;
      case 'c': args->mode = ScreensaverMode::Configure; break;
      default: break;
    }
    if (args->mode != ScreensaverMode::None) {
      // The handle starts three characters after the '/'. When that lies past
      // the end of the text there is no number: the handle becomes 0.
      args->parentWindow = i + 3 <= length ? ParseHandleNumber(text + i + 3) : 0;
    }
  }
  return args;
}

bool AcquireInstance() { return platform::AcquireInstanceMarker("K_OPENGL_SCREENSAVER"); }
