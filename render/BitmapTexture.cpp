// Bitmap textures: bitmap pixels (platform/bitmap.h) into float texels, and
// those into an OpenGL texture through the loaded entry points.
#include "render/BitmapTexture.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <cstdio>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "platform/bitmap.h"
#include "platform/message_box.h"

namespace {

constexpr int kMaxSize = 2048;
constexpr int kMaxListLevels = 12;  // 1 x 1 up to 2048 x 2048

void ReportDebug(const char* text) {
  platform::ShowMessageBox(text, "Debug", platform::MessageIcon::Information);
}

void FillOpaqueBlack(float* texels, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) {
    texels[4 * k + 0] = 0.0f;
    texels[4 * k + 1] = 0.0f;
    texels[4 * k + 2] = 0.0f;
    texels[4 * k + 3] = 1.0f;
  }
}

std::size_t TexelCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

void SetSamplingParameters() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

// Loads bitmap `bitmapId` and checks that it is width x height; reports
// what is wrong in a "Debug" box otherwise.
bool LoadSizedBitmap(int bitmapId, int width, int height, platform::BitmapPixels* bitmap) {
  char text[96];
  if (bitmapId < 0 || bitmapId > 0xFFFF ||
      !platform::LoadBitmapPixels(static_cast<std::uint16_t>(bitmapId), bitmap)) {
    std::snprintf(text, sizeof text, "Failed to load bitmap %d", bitmapId);
    ReportDebug(text);
    return false;
  }
  if (bitmap->width != width || bitmap->height != height) {
    std::snprintf(text, sizeof text, "Bitmap %d is %d x %d, not %d x %d", bitmapId, bitmap->width, bitmap->height,
                  width, height);
    ReportDebug(text);
    return false;
  }
  return true;
}

// `count` pixels of blue, green, red, unused bytes into red, green, blue,
// alpha floats: each channel value / 255.0, alpha 1.0.
void ConvertTexels(const std::uint8_t* bgrx, float* destination, std::size_t count) {
  static const struct Scale {
    float v[256];
    Scale() {
      for (int i = 0; i < 256; ++i) v[i] = static_cast<float>(i / 255.0);
    }
  } scale;
  for (std::size_t k = 0; k < count; ++k, bgrx += 4, destination += 4) {
    destination[0] = scale.v[bgrx[2]];
    destination[1] = scale.v[bgrx[1]];
    destination[2] = scale.v[bgrx[0]];
    destination[3] = 1.0f;
  }
}

// Rows of float texels converted and uploaded per band: fresh memory is
// slow to touch on some machines (a virtual machine's page faults), and a
// band of 2 MiB, reused, costs little of it where a whole 2048 x 2048
// picture's 64 MiB of floats would cost much; the texture gets the same
// texels either way.
constexpr std::size_t kBandTexels = 128 * 1024;

}  // namespace

int BitmapTexture::LevelCount(int size) {
  if (size < 1 || size > kMaxSize || (size & (size - 1)) != 0) return 0;
  int levels = 0;
  while ((1 << (levels + 1)) <= size) ++levels;  // log2(size)
  return levels > 0 ? levels : 1;
}

bool BitmapTexture::ReadBitmapPixels(float* destination, int bitmapId, int width, int height) {
  if (!destination || width <= 0 || height <= 0) return false;
  const std::size_t count = TexelCount(width, height);
  platform::BitmapPixels bitmap;
  if (!LoadSizedBitmap(bitmapId, width, height, &bitmap)) {
    FillOpaqueBlack(destination, count);
    return false;
  }
  ConvertTexels(bitmap.bgrx.data(), destination, count);
  return true;
}

BitmapTexture::BitmapTexture(int bitmapId, int size, const BandObserver& observer) {
  glGenTextures(1, &id);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, id);
  const int levels = LevelCount(size);
  if (levels == 0) {
    char text[64];
    std::snprintf(text, sizeof text, "Unsupported bitmap size %d", size);
    ReportDebug(text);
    float black[4];
    FillOpaqueBlack(black, 1);
    glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA32F, 1, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_FLOAT, black);
  } else {
    glTexStorage2D(GL_TEXTURE_2D, levels, GL_RGBA32F, size, size);
    platform::BitmapPixels bitmap;
    const bool loaded = LoadSizedBitmap(bitmapId, size, size, &bitmap);
    const int bandRows = static_cast<int>(std::max<std::size_t>(1, kBandTexels / static_cast<std::size_t>(size)));
    const int rows = std::min(bandRows, size);
    std::unique_ptr<float[]> band(new float[TexelCount(size, rows) * 4u]);
    for (int row = 0; row < size; row += rows) {
      const int n = std::min(rows, size - row);
      const std::size_t count = TexelCount(size, n);
      if (loaded)
        ConvertTexels(&bitmap.bgrx[TexelCount(size, row) * 4u], band.get(), count);
      else if (row == 0)
        FillOpaqueBlack(band.get(), count);  // every band is the same black
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, row, size, n, GL_RGBA, GL_FLOAT, band.get());
      if (observer) observer(row, n, size, band.get());
    }
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  SetSamplingParameters();
}

BitmapTexture::BitmapTexture(const int* bitmapIds, int levelCount) {
  glGenTextures(1, &id);
  glActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, id);
  if (!bitmapIds || levelCount < 1 || levelCount > kMaxListLevels) {
    char text[64];
    std::snprintf(text, sizeof text, "Unsupported mipmap level count %d", levelCount);
    ReportDebug(text);
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_FLOAT, black);
  } else {
    for (int i = 0; i < levelCount; ++i) {
      const int side = 1 << i;
      std::vector<float> pixels(TexelCount(side, side) * 4u);
      ReadBitmapPixels(pixels.data(), bitmapIds[i], side, side);
      glTexImage2D(GL_TEXTURE_2D, levelCount - 1 - i, GL_RGBA, side, side, 0, GL_RGBA, GL_FLOAT, pixels.data());
    }
  }
  SetSamplingParameters();
}

void BitmapTexture::Release() {
  glDeleteTextures(1, &id);
  id = 0;
}
