// An independent CPU evaluation of the clock picture, for comparing rendered
// frames with what they should show.
//
// Everything is computed in double from the picture's description: polar
// coordinates with atan2, only the nearest tick mark examined, hand
// distances from a unit direction, the tinted sector chosen as the 30 degree
// mark nearest the hand. Textures are sampled like OpenGL's GL_LINEAR with
// GL_REPEAT in both directions.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace clockref {

struct Color {
  double r = 0.0, g = 0.0, b = 0.0, a = 0.0;
};

// An RGBA float picture, row 0 at the bottom (texture coordinate t = 0).
class Image {
 public:
  Image() = default;
  Image(int width, int height);

  int Width() const { return width; }
  int Height() const { return height; }
  Color Get(int x, int y) const;
  void Set(int x, int y, const Color& c);
  // Texels as RGBA floats, rows bottom-up: what glTexSubImage2D takes.
  const float* Data() const { return texels.data(); }

  // Bilinear sample at texture coordinates (s, t), wrapping by repetition.
  Color Sample(double s, double t) const;

 private:
  int width = 0;
  int height = 0;
  std::vector<float> texels;
};

using Sampler = std::function<Color(double s, double t)>;
Sampler SamplerOf(const Image& image);  // the image must outlive the sampler

// What the picture depends on. Hand angles are radians, 0 at 3 o'clock,
// counter-clockwise; any value is taken as a direction.
struct ClockInputs {
  double width = 0.0;   // viewport, pixels
  double height = 0.0;
  double iTime = 0.0;   // seconds on the timer: fades in from 3 to 5
  double second = 0.0;
  double minute = 0.0;
  double hour = 0.0;
  Sampler dial;         // texture unit 0 in the program
  Sampler background;   // texture unit 1
};

// The unclamped colour at window coordinates (x, y), origin lower left;
// pixel centres are at half-integers.
Color EvaluateClockPixel(const ClockInputs& in, double x, double y);

// What an 8-bit normalised framebuffer stores for a colour channel.
unsigned char ToUnorm8(double c);

// Comparison of a rendered frame (RGBA8, rows bottom-up, width x height of
// the inputs) with the reference.
struct Mismatch {
  int x = 0, y = 0;
  unsigned char rendered[4] = {0, 0, 0, 0};
  unsigned char expected[4] = {0, 0, 0, 0};
};

struct ComparisonFigures {
  std::size_t total = 0;
  std::size_t within = 0;       // every channel within the tolerance
  // Outside it, but matched by the reference evaluated at a point shifted
  // by at most `jitter` pixels: a threshold (mark, square, hand or tint
  // edge) that falls on the other side under float rounding.
  std::size_t explained = 0;
  std::size_t unexplained = 0;
  int largestDifference = 0;    // over all pixels and channels, in 1/255
  std::vector<Mismatch> unexplainedSamples;  // the first few

  double WithinShare() const { return total ? static_cast<double>(within) / total : 1.0; }
  std::string Summary() const;
};

ComparisonFigures CompareWithReference(const ClockInputs& in, const unsigned char* rgba, int tolerance,
                                       double jitter = 0.1);

}  // namespace clockref
