// Image files of the generator.
#include "image.h"

#include <cmath>
#include <cstdio>

namespace pictures {

namespace {

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}

// BITMAPINFOHEADER with no palette.
void PutInfoHeader(std::vector<std::uint8_t>& v, int w, int h, int bits, std::uint32_t imageSize) {
  Put32(v, 40), Put32(v, static_cast<std::uint32_t>(w)), Put32(v, static_cast<std::uint32_t>(h));
  Put16(v, 1), Put16(v, static_cast<std::uint16_t>(bits));
  Put32(v, 0), Put32(v, imageSize), Put32(v, 2835), Put32(v, 2835), Put32(v, 0), Put32(v, 0);
}

std::uint32_t Hash(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

}  // namespace

std::uint8_t Quantize(double v, int x, int y, int channel, bool dither) {
  double scaled = v * 255.0;
  if (dither) {
    // Triangular noise in (-0.5, 0.5) steps from two hashed uniforms.
    const std::uint32_t seed = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                               static_cast<std::uint32_t>(channel) * 83492791u;
    const double a = (Hash(seed) & 0xFFFF) / 65536.0, b = (Hash(seed ^ 0x9E3779B9u) & 0xFFFF) / 65536.0;
    scaled += (a + b - 1.0) * 0.5;
  }
  const long q = std::lround(scaled);
  return static_cast<std::uint8_t>(q < 0 ? 0 : q > 255 ? 255 : q);
}

std::vector<std::uint8_t> EncodeBmp(const Image& img, bool dither) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(img.w) * 3 + 3) & ~3u;
  const std::uint32_t dataSize = stride * static_cast<std::uint32_t>(img.h);
  std::vector<std::uint8_t> f = {'B', 'M'};
  f.reserve(54 + dataSize);
  Put32(f, 54 + dataSize), Put32(f, 0), Put32(f, 54);
  PutInfoHeader(f, img.w, img.h, 24, dataSize);
  for (int y = img.h - 1; y >= 0; --y) {
    for (int x = 0; x < img.w; ++x) {
      const Rgb& p = img.At(x, y);
      f.push_back(Quantize(p.b, x, y, 2, dither));
      f.push_back(Quantize(p.g, x, y, 1, dither));
      f.push_back(Quantize(p.r, x, y, 0, dither));
    }
    for (std::uint32_t k = static_cast<std::uint32_t>(img.w) * 3; k < stride; ++k) f.push_back(0);
  }
  return f;
}

std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& images) {
  std::vector<std::vector<std::uint8_t>> dibs;
  for (const Image& img : images) {
    const std::uint32_t maskStride = ((static_cast<std::uint32_t>(img.w) + 31) / 32) * 4;
    std::vector<std::uint8_t> d;
    // The height counts the colour rows and the mask rows.
    PutInfoHeader(d, img.w, img.h * 2, 32, static_cast<std::uint32_t>(img.w * img.h * 4) + maskStride * img.h);
    for (int y = img.h - 1; y >= 0; --y)
      for (int x = 0; x < img.w; ++x) {
        const Rgb& p = img.At(x, y);
        const std::uint8_t a = Quantize(img.alpha[static_cast<std::size_t>(y) * img.w + x], x, y, 3, false);
        d.push_back(Quantize(p.b, x, y, 2, false));
        d.push_back(Quantize(p.g, x, y, 1, false));
        d.push_back(Quantize(p.r, x, y, 0, false));
        d.push_back(a);
      }
    // AND mask: 1 where the pixel is fully transparent.
    for (int y = img.h - 1; y >= 0; --y) {
      std::vector<std::uint8_t> row(maskStride, 0);
      for (int x = 0; x < img.w; ++x)
        if (Quantize(img.alpha[static_cast<std::size_t>(y) * img.w + x], x, y, 3, false) == 0)
          row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      d.insert(d.end(), row.begin(), row.end());
    }
    dibs.push_back(std::move(d));
  }
  std::vector<std::uint8_t> f;
  Put16(f, 0), Put16(f, 1), Put16(f, static_cast<std::uint16_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    f.push_back(static_cast<std::uint8_t>(images[i].w >= 256 ? 0 : images[i].w));
    f.push_back(static_cast<std::uint8_t>(images[i].h >= 256 ? 0 : images[i].h));
    f.push_back(0), f.push_back(0);  // no palette, reserved
    Put16(f, 1), Put16(f, 32);
    Put32(f, static_cast<std::uint32_t>(dibs[i].size())), Put32(f, offset);
    offset += static_cast<std::uint32_t>(dibs[i].size());
  }
  for (const auto& d : dibs) f.insert(f.end(), d.begin(), d.end());
  return f;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok;
}

}  // namespace pictures
