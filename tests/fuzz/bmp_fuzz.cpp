// Feeds arbitrary bytes to the BMP decoder; a successful decode must describe
// exactly the pixels it returned.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::BitmapPixels out;
  if (platform::DecodeBmp(data, size, &out)) {
    if (out.width <= 0 || out.height <= 0 ||
        out.bgrx.size() != static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4u)
      std::abort();
    // A decode never yields more pixels than the input could hold.
    if (out.bgrx.size() / 4u * 3u > size) std::abort();
  } else if (!out.bgrx.empty() || out.width != 0 || out.height != 0) {
    std::abort();
  }
  return 0;
}
