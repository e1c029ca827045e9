// Bitmap resources as the screen device returns them.
//
// Windows: LoadBitmapA on the executable, then GetDIBits asked for 32-bit
// pixels. X11: the embedded BMP file ("BITMAP" resource, see resources.h)
// decoded into the same layout. Either way the result is width x height
// pixels of 4 bytes (blue, green, red, unused), rows bottom-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct BitmapPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgrx;  // width * height * 4 bytes, bottom row first
};

// Loads bitmap resource `id`. False when there is none or it cannot be read;
// `out` is then empty.
bool LoadBitmapPixels(std::uint16_t id, BitmapPixels* out);

// Decodes a BMP file image of `size` bytes (24 or 32 bits a pixel,
// uncompressed, bottom-up or top-down rows) into the layout above. Never reads
// outside [data, data + size); false for anything it cannot decode.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, BitmapPixels* out);

}  // namespace platform
