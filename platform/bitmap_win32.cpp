// Windows back end of bitmap resources: LoadBitmapA turns the resource into a
// bitmap in the screen's format, and GetDIBits hands its pixels back asked
// explicitly for 32 bits a pixel, bottom-up, so the layout is the same
// whatever depth the screen runs at.
//
// A resource table installed by a test (SetResourceTableOverride) holds BMP
// file images, which are decoded as on X11; the resource section's bitmaps
// never start with the file header.
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include "platform/bitmap.h"
#include "platform/resources.h"

namespace platform {

namespace {
// Room for whatever GetDIBits writes after the header when it describes the
// bitmap (bit-field masks or a colour table).
struct InfoWithColours {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

constexpr LONG kMaxSide = 16384;  // far beyond any picture the saver carries
}  // namespace

bool LoadBitmapPixels(std::uint16_t id, BitmapPixels* out) {
  if (!out) return false;
  *out = BitmapPixels{};
  ResourceData file;
  if (FindResourceData("BITMAP", id, &file) && file.size >= 2 && file.bytes[0] == 'B' && file.bytes[1] == 'M')
    return DecodeBmp(file.bytes, file.size, out);

  HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
  if (!bitmap) return false;
  HDC screen = GetDC(nullptr);
  bool ok = false;

  InfoWithColours info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  if (screen && GetDIBits(screen, bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)) {
    const LONG width = info.header.biWidth;
    const LONG height = info.header.biHeight < 0 ? -info.header.biHeight : info.header.biHeight;
    if (width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide) {
      info.header.biHeight = height;  // positive: rows bottom-up
      info.header.biPlanes = 1;
      info.header.biBitCount = 32;
      info.header.biCompression = BI_RGB;
      info.header.biSizeImage = 0;
      std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
      const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                 reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
      if (rows == height) {
        out->width = width;
        out->height = height;
        out->bgrx.swap(pixels);
        ok = true;
      }
    }
  }
  if (screen) ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return ok;
}

}  // namespace platform
