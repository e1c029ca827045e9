// An OpenGL 2D texture with 32-bit float RGBA texels made from a bitmap
// resource (platform/bitmap.h). The scene builds the dial and the background
// from bitmaps 208 and 209, 2048 x 2048 each, and binds them by GetId.
//
// Storage is immutable (glTexStorage2D, GL_RGBA32F) with one level fewer than
// a full chain; only level 0 is filled and sampled (base and max level 0),
// linear filters, repeat wrapping. Every constructor leaves texture unit 0
// active with the new texture bound to its GL_TEXTURE_2D target.
//
// A bitmap that is missing, cannot be decoded or has another size than asked
// for is reported in a "Debug" box naming it, and its texels become opaque
// black, so the texture is always fully defined. A size outside the level
// table is reported too, and gives a 1 x 1 opaque black texture.
#pragma once

#include <functional>

#include "gl/gl_api.h"

class BitmapTexture {
 public:
  // Sees the texels of level 0 as they are uploaded, band by band: the
  // band's first row (0 at the bottom), its row count, the row width and
  // the texels (red, green, blue, alpha floats), valid during the call.
  using BandObserver = std::function<void(int firstRow, int rows, int width, const float* texels)>;

  // Texture from bitmap `bitmapId`, which should be `size` x `size` pixels
  // (size a power of two from 1 to 2048). `observer`, when given, sees
  // every texel of it once, so a caller can learn about the picture without
  // reading it a second time.
  BitmapTexture(int bitmapId, int size, const BandObserver& observer = nullptr);

  // Texture whose levels come from separate bitmaps: bitmapIds[i] is
  // 2^i x 2^i and becomes level levelCount - 1 - i, so the list runs from the
  // 1 x 1 picture up to the base picture. levelCount from 1 to 12. Mutable
  // storage (glTexImage2D), all levels filled.
  BitmapTexture(const int* bitmapIds, int levelCount);

  BitmapTexture(const BitmapTexture&) = delete;
  BitmapTexture& operator=(const BitmapTexture&) = delete;

  GLuint GetId() const { return id; }
  void Release();

  // Storage levels for a size-by-size texture: log2(size), and 1 for size 1;
  // 0 for a size outside the table (not a power of two from 1 to 2048).
  static int LevelCount(int size);

  // Fills `destination` (width * height texels of red, green, blue, alpha)
  // from bitmap `bitmapId`, bottom row first, each channel value / 255.0 and
  // alpha 1.0. False, after a "Debug" box, when the bitmap is missing,
  // unreadable or not width x height; the texels are then opaque black.
  static bool ReadBitmapPixels(float* destination, int bitmapId, int width, int height);

 private:
  GLuint id = 0;
};
