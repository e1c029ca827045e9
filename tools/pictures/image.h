// Pictures of the generator: floating-point RGB(A) images, and their files
// (24-bit BMP, 32-bit Windows icons).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pictures {

struct Rgb {
  double r, g, b;
};

// w x h pixels, rows top first, colour channels 0..1 and coverage 0..1.
struct Image {
  int w = 0, h = 0;
  std::vector<Rgb> rgb;
  std::vector<double> alpha;  // 1 everywhere unless drawn otherwise
  Image(int w_, int h_)
      : w(w_), h(h_), rgb(static_cast<std::size_t>(w_) * h_, Rgb{0, 0, 0}), alpha(rgb.size(), 1.0) {}
  Rgb& At(int x, int y) { return rgb[static_cast<std::size_t>(y) * w + x]; }
  const Rgb& At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * w + x]; }
};

// 8-bit value of a channel. With `dither`, a fixed noise of up to half a step
// (the same on every run) breaks the bands of slow gradients.
std::uint8_t Quantize(double v, int x, int y, int channel, bool dither);

// A 24-bit BI_RGB BMP, bottom row first, rows padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp(const Image& img, bool dither);

// A Windows icon holding each image as a 32-bit DIB with its AND mask.
std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& images);

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace pictures
