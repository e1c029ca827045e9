// X11 back end of the bitmap facility: the bitmaps are BMP files embedded in
// the program ("BITMAP" resources), decoded into the layout of bitmap.h.
#include "platform/bitmap.h"
#include "platform/resources.h"

namespace platform {

bool LoadBitmapPixels(std::uint16_t id, BitmapPixels* out) {
  if (!out) return false;
  ResourceData data;
  if (!FindResourceData("BITMAP", id, &data)) {
    *out = BitmapPixels{};
    return false;
  }
  return DecodeBmp(data.bytes, data.size, out);
}

}  // namespace platform
