// Bitmap textures: bitmap pixels (platform/bitmap.h) into float texels, and
// those into an OpenGL texture through the loaded entry points.
#include "render/BitmapTexture.h"

#include <cstddef>
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
  char text[96];
  platform::BitmapPixels bitmap;
  if (bitmapId < 0 || bitmapId > 0xFFFF ||
      !platform::LoadBitmapPixels(static_cast<std::uint16_t>(bitmapId), &bitmap)) {
    std::snprintf(text, sizeof text, "Failed to load bitmap %d", bitmapId);
    ReportDebug(text);
    FillOpaqueBlack(destination, count);
    return false;
  }
  if (bitmap.width != width || bitmap.height != height) {
    std::snprintf(text, sizeof text, "Bitmap %d is %d x %d, not %d x %d", bitmapId, bitmap.width, bitmap.height,
                  width, height);
    ReportDebug(text);
    FillOpaqueBlack(destination, count);
    return false;
  }
  float scale[256];
  for (int v = 0; v < 256; ++v) scale[v] = static_cast<float>(v / 255.0);
  const std::uint8_t* src = bitmap.bgrx.data();
  for (std::size_t k = 0; k < count; ++k, src += 4) {
    destination[4 * k + 0] = scale[src[2]];
    destination[4 * k + 1] = scale[src[1]];
    destination[4 * k + 2] = scale[src[0]];
    destination[4 * k + 3] = 1.0f;
  }
  return true;
}

BitmapTexture::BitmapTexture(int bitmapId, int size) {
  glGenTextures(1, &id);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, id);
  int levels = LevelCount(size);
  std::vector<float> pixels;
  if (levels == 0) {
    char text[64];
    std::snprintf(text, sizeof text, "Unsupported bitmap size %d", size);
    ReportDebug(text);
    size = 1;
    levels = 1;
    pixels.resize(4);
    FillOpaqueBlack(pixels.data(), 1);
  } else {
    pixels.resize(TexelCount(size, size) * 4u);
    ReadBitmapPixels(pixels.data(), bitmapId, size, size);
  }
  glTexStorage2D(GL_TEXTURE_2D, levels, GL_RGBA32F, size, size);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size, size, GL_RGBA, GL_FLOAT, pixels.data());
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
