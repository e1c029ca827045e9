// Portable BMP decoder: a BMP file image into 4-byte blue, green, red, unused
// pixels, rows bottom-up, the layout GetDIBits gives for a 32-bit request.
//
// Accepted: the 40-byte BITMAPINFOHEADER and its longer successors (52, 56,
// 108, 124 bytes), 24 or 32 bits a pixel, BI_RGB; 32-bit BI_BITFIELDS only with
// the plain masks (red 0x00FF0000, green 0x0000FF00, blue 0x000000FF). Rows
// may run bottom-up (positive height) or top-down (negative height). Anything
// else is refused. Every offset is checked against the image's size before it
// is read, and the output is allocated only once the pixel rows are known to
// be present, so a short image cannot make it allocate more than it carries.
#include "platform/bitmap.h"

#include <cstdint>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

bool Fail(BitmapPixels* out) {
  *out = BitmapPixels{};
  return false;
}

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, BitmapPixels* out) {
  if (!out) return false;
  if (!data || size < kFileHeaderSize + 40) return Fail(out);
  if (data[0] != 'B' || data[1] != 'M') return Fail(out);
  // The file size field is often wrong in the wild; the real size is `size`.
  const std::uint64_t pixelOffset = Le32(data + 10);

  const std::uint8_t* info = data + kFileHeaderSize;
  const std::uint32_t infoSize = Le32(info);
  if (infoSize < 40 || infoSize > size - kFileHeaderSize) return Fail(out);
  const std::int32_t width = static_cast<std::int32_t>(Le32(info + 4));
  const std::int32_t rawHeight = static_cast<std::int32_t>(Le32(info + 8));
  const std::uint16_t planes = Le16(info + 12);
  const std::uint16_t bitCount = Le16(info + 14);
  const std::uint32_t compression = Le32(info + 16);

  if (planes != 1) return Fail(out);
  if (bitCount != 24 && bitCount != 32) return Fail(out);
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return Fail(out);
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;

  // Where the masks of BI_BITFIELDS are: inside a long header, or just after
  // a 40-byte one.
  std::uint64_t headersEnd = kFileHeaderSize + static_cast<std::uint64_t>(infoSize);
  if (compression == kBiBitfields) {
    if (bitCount != 32) return Fail(out);
    // The masks follow the first 40 bytes of the header, whatever its length.
    const std::uint64_t masksEnd = kFileHeaderSize + 40u + 12u;
    if (headersEnd < masksEnd) headersEnd = masksEnd;
    if (headersEnd > size) return Fail(out);
    const std::uint8_t* masks = info + 40;
    if (Le32(masks) != 0x00FF0000u || Le32(masks + 4) != 0x0000FF00u || Le32(masks + 8) != 0x000000FFu)
      return Fail(out);
  } else if (compression != kBiRgb) {
    return Fail(out);
  }
  if (pixelOffset < headersEnd || pixelOffset > size) return Fail(out);

  // Rows are padded to 4 bytes. The last row's padding may be missing; its
  // pixels may not.
  const std::uint64_t bytesPerPixel = bitCount / 8u;
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * bytesPerPixel;
  const std::uint64_t stride = (rowBytes + 3u) & ~std::uint64_t{3};
  const std::uint64_t needed = stride * static_cast<std::uint64_t>(height - 1) + rowBytes;
  if (needed > size - pixelOffset) return Fail(out);
  const std::uint64_t outBytes = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4u;
  if (outBytes > SIZE_MAX) return Fail(out);

  BitmapPixels result;
  result.width = width;
  result.height = height;
  result.bgrx.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
  const std::uint8_t* pixels = data + pixelOffset;
  for (std::int32_t row = 0; row < height; ++row) {
    // Output row 0 is the bottom row of the picture.
    const std::int32_t fileRow = topDown ? height - 1 - row : row;
    const std::uint8_t* src = pixels + stride * static_cast<std::uint64_t>(fileRow);
    std::uint8_t* dst = &result.bgrx[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) * 4u];
    for (std::int32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 4) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
      dst[3] = 0;
    }
  }
  *out = std::move(result);
  return true;
}

}  // namespace platform
