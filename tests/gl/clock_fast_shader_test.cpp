// The shipped clock shader against the literal mark-by-mark baseline (the
// benchmark's bench/clock_literal.frag): the same picture, drawn with the
// shipped vertex shader, over landscape, portrait and square viewports and
// hand positions chosen for the picture's edges. At least 99.9 % of the
// pixels may differ by 1/255 at most and none by more than 4/255.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/clock_literal_frag.h"
#include "gl/GLEntryPoints.h"
#include "tests/gl/clock_draw.h"
#include "tests/reference/clock_reference.h"

namespace {

using namespace gltest;
using clockref::Color;
using clockref::Image;

constexpr double kPi = 3.14159265358979323846;

// Lit everywhere the picture has a hard edge: a ring over the tinted band
// whose red crosses the tint's 0.01 threshold by angle, texels under the
// marks, and a grey middle under the hands.
Image MakeDial() {
  const int n = 256;
  Image image(n, n);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const double s = (x + 0.5) / n - 0.5, t = (y + 0.5) / n - 0.5;
      const double r = std::hypot(s, t), a = std::atan2(t, s);
      Color c{0.02, 0.03, 0.05, 1};
      if (r > 0.27 && r < 0.48) c = Color{0.5 + 0.5 * std::cos(3 * a), 0.6, 0.4 + 0.3 * std::sin(5 * a), 1};
      if (r > 0.27 && r < 0.48 && std::fmod(a + 4 * kPi, kPi / 9) < 0.05) c.r = 0.004;  // below the threshold
      if (r < 0.2) c = Color{0.3, 0.3, 0.35, 1};
      image.Set(x, y, c);
    }
  }
  return image;
}

Image MakeBackground() {
  const int n = 64;
  Image image(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x)
      image.Set(x, y, Color{0.1 + 0.3 * x / n, 0.05 + 0.2 * y / n, 0.2, 1});
  return image;
}

struct Hands {
  double hour, minute, second;
  const char* what;
};

class FastClockShader : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string vsText = ClockShaderText(137), fsText = ClockShaderText(136);
    const GLuint vs = CompileText(GL_VERTEX_SHADER, vsText.c_str(), "shipped vertex shader");
    shipped = Link(vs, CompileText(GL_FRAGMENT_SHADER, fsText.c_str(), "shipped fragment shader"));
    literal = Link(vs, CompileText(GL_FRAGMENT_SHADER, kLiteralClockShader, "literal fragment shader"));
    glActiveTexture(GL_TEXTURE0);
    dial = MakeTexture(MakeDial());
    glActiveTexture(GL_TEXTURE1);
    background = MakeTexture(MakeBackground());
    buffer = MakeRectangleBuffer();
  }

  void TearDown() override {
    std::printf("[ figures  ] %d pictures: at least %.4f %% of the pixels within 1/255; largest difference %d/255\n",
                pictures, 100.0 * worstWithin, worstLargest);
    pictures = 0, worstWithin = 1.0, worstLargest = 0;
  }

  static void TearDownTestSuite() {
    glDeleteBuffers(1, &buffer);
    glDeleteTextures(1, &dial);
    glDeleteTextures(1, &background);
    glDeleteProgram(shipped);
    glDeleteProgram(literal);
  }

  static std::vector<unsigned char> Render(GLuint program, int w, int h, const Hands& hands, float iTime) {
    return DrawClock({program, dial, background, buffer, w, h, iTime, hands.second, hands.minute, hands.hour});
  }

  // Draws both and checks the share within 1/255 and the largest difference.
  static void ExpectSamePicture(int w, int h, const Hands& hands, float iTime = 10.0f) {
    const std::vector<unsigned char> a = Render(shipped, w, h, hands, iTime);
    const std::vector<unsigned char> b = Render(literal, w, h, hands, iTime);
    std::size_t beyondOne = 0;
    int largest = 0, worstX = 0, worstY = 0;
    std::size_t worstP = 0;
    for (std::size_t p = 0; p < a.size() / 4; ++p) {
      int diff = 0;
      for (int c = 0; c < 4; ++c) diff = std::max(diff, std::abs(a[4 * p + c] - b[4 * p + c]));
      beyondOne += diff > 1;
      if (diff > largest)
        largest = diff, worstX = static_cast<int>(p % w), worstY = static_cast<int>(p / w), worstP = p;
    }
    const double within = 1.0 - static_cast<double>(beyondOne) / static_cast<double>(a.size() / 4);
    worstWithin = std::min(worstWithin, within);
    worstLargest = std::max(worstLargest, largest);
    ++pictures;
    EXPECT_GE(within, 0.999) << hands.what << " at " << w << "x" << h;
    EXPECT_LE(largest, 4) << hands.what << " at " << w << "x" << h << ": largest at (" << worstX << ", " << worstY
                          << "): shipped " << Rgba(&a[4 * worstP]) << ", literal " << Rgba(&b[4 * worstP]);
  }

  static std::string Rgba(const unsigned char* p) {
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", p[0], p[1], p[2], p[3]);
    return text;
  }

  static GLuint shipped, literal, dial, background, buffer;
  static int pictures, worstLargest;
  static double worstWithin;
};

int FastClockShader::pictures = 0;
int FastClockShader::worstLargest = 0;
double FastClockShader::worstWithin = 1.0;

GLuint FastClockShader::shipped = 0;
GLuint FastClockShader::literal = 0;
GLuint FastClockShader::dial = 0;
GLuint FastClockShader::background = 0;
GLuint FastClockShader::buffer = 0;

double Mark(int k) { return k * 2 * kPi / 60; }

const Hands kEdgeCases[] = {
    {kPi / 2, kPi / 2, kPi / 2, "all three on the 12 o'clock mark"},
    {Mark(55), Mark(40), Mark(5), "each hand on a different mark"},
    {Mark(7) + kPi / 60, Mark(22) - kPi / 60, Mark(33) + kPi / 120, "hands 3 and 1.5 degrees beside marks"},
    {0.0, 0.0, 0.0, "all three at 3 o'clock"},
    {-1e-6, 2 * kPi - 1e-6, 1e-6, "the 3 o'clock wrap from both sides"},
    {-kPi / 6, -kPi / 3 - 0.2, -5.5, "negative angles (16:00 and later)"},
    {-2 * kPi + 0.01, -6.2, 6.27, "near minus and plus a full turn"},
    {kPi / 4, kPi / 12, 5 * kPi / 12, "hands on sector boundaries"},
    {kPi / 6 + 1e-3, kPi / 3 - 1e-3, 2.0, "hour and minute beside the 1 and 2 o'clock marks"},
    {kPi / 6 + kPi / 12, 3 * kPi / 2 + kPi / 12, 1.0, "half-way between two hour marks"},
    // Below -3/2 pi angle_diff no longer gives the smaller angle, and the
    // literal picture cuts a hand along the 3 o'clock line.
    {-3 * kPi / 2 - 0.3, -2 * kPi + 1e-4, -kPi - 0.5, "below minus 3/2 pi, second hand on the 3 o'clock cut"},
};

TEST_F(FastClockShader, SamePictureAtTheEdgeCasesOverEveryShape) {
  // Odd sides put pixel centres on the dial's centre lines; even squares put
  // them on its diagonals, where sector edges fall at 45 degrees.
  const int sizes[][2] = {{320, 180}, {181, 320}, {256, 256}, {257, 257}, {300, 301}};
  for (const Hands& hands : kEdgeCases)
    for (const auto& s : sizes) ExpectSamePicture(s[0], s[1], hands);
}

TEST_F(FastClockShader, SamePictureAtManyHandPositions) {
  std::srand(11);
  auto angle = [] { return (std::rand() / static_cast<double>(RAND_MAX) * 4 - 2) * kPi; };
  for (int i = 0; i < 24; ++i) {
    const Hands hands{angle(), angle(), angle(), "random hands"};
    ExpectSamePicture(i % 2 ? 240 : 200, i % 3 ? 200 : 260, hands);
  }
}

TEST_F(FastClockShader, SamePictureLargeAndWhileFadingIn) {
  const Hands hands{kPi / 6 - 0.3, 2.1, -4.0, "10:08-like hands"};
  ExpectSamePicture(1920, 1080, hands);
  ExpectSamePicture(720, 1280, hands, 4.0f);
  ExpectSamePicture(400, 400, hands, 2.0f);
}

}  // namespace
