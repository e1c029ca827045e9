// Fuzzes the command-line parser. The input up to its first NUL is the
// command line; the record must match a plain re-reading of the switch and
// handle rules (the last recognised switch wins; every '/' from the first
// recognised one on re-reads the handle three characters further on).
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/ScreensaverArgs.h"

static void Check(bool condition) {
  if (!condition) std::abort();
}

static std::int32_t ReferenceHandle(const char* text) {
  // strtoll with base 10 skips the same white space and reads the same sign
  // and digits as atoi; it saturates at the 64-bit limits, so clamp.
  const long long v = std::strtoll(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A heap copy of exactly the text and its zero, so that reading past the
  // end is caught.
  const void* nul = std::memchr(data, 0, size);
  const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data) : size;
  char* text = static_cast<char*>(std::malloc(length + 1));
  std::memcpy(text, data, length);
  text[length] = '\0';

  CScreensaverArgs* args = ParseCommandLine(text);
  Check(args != nullptr);

  ScreensaverMode mode = ScreensaverMode::None;
  std::int32_t handle = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] != '/') continue;
    const char c = i + 1 < length ? text[i + 1] : '\0';
    if (c == 'p') mode = ScreensaverMode::Preview;
    if (c == 's') mode = ScreensaverMode::Run;
    if (c == 'c') mode = ScreensaverMode::Configure;
    if (mode != ScreensaverMode::None) handle = i + 3 <= length ? ReferenceHandle(text + i + 3) : 0;
  }
  Check(args->mode == mode);
  Check(args->parentWindow == handle);

  delete args;
  std::free(text);
  return 0;
}
