// The clock face shaders against the CPU reference: a viewport-covering
// rectangle drawn with the program from resources 137 and 136 into a
// framebuffer object, read back and compared pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "tests/gl/clock_draw.h"
#include "tests/reference/clock_reference.h"

namespace {

using namespace gltest;
using clockref::Color;
using clockref::Image;

constexpr double kPi = 3.14159265358979323846;
constexpr int kTolerance = 2;  // in 1/255, every channel

// Angles as the clock hands compute them: clockwise from 12 o'clock,
// wrapped once, so the hour angle is negative after 15:00.
struct Angles {
  double second, minute, hour;
};
Angles AnglesAt(int h, int m, double s) {
  auto angle = [](double count, double perTurn) {
    double a = kPi / 2 - count * 2 * kPi / perTurn;
    return a < 0 ? a + 2 * kPi : a;
  };
  const double minutes = m + s / 60;
  return {angle(s, 60), angle(minutes, 60), angle(h + minutes / 60, 12)};
}

// The dial: black, with twelve light-grey blocks on a ring where numerals
// would stand (the one at 10 o'clock too faint in red to be tinted), a wash over
// the middle and coloured picture edges (the square's outer band samples
// them through the repeat wrap).
Image MakeDial() {
  const int n = 128;
  Image image(n, n);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const double s = (x + 0.5) / n, t = (y + 0.5) / n;
      Color c{0, 0, 0, 1};
      if (std::hypot(s - 0.5, t - 0.5) < 0.2) c = Color{0.15, 0.2, 0.25, 1};
      if (x < 4 || x >= n - 4) c = Color{0.6, 0.1, 0.1, 1};
      if (y < 4 || y >= n - 4) c = Color{0.1, 0.1, 0.6, 1};
      image.Set(x, y, c);
    }
  }
  for (int hour = 1; hour <= 12; ++hour) {
    const double a = kPi / 2 - hour * 2 * kPi / 12;
    const int cx = static_cast<int>(std::lround((0.5 + 0.40 * std::cos(a)) * n));
    const int cy = static_cast<int>(std::lround((0.5 + 0.40 * std::sin(a)) * n));
    const Color lit = hour == 10 ? Color{0.005, 0.6, 0.6, 1} : Color{0.8, 0.8, 0.8, 1};
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) image.Set(cx + dx, cy + dy, lit);
  }
  return image;
}

// The background: smooth, different in every channel and direction.
Image MakeBackground() {
  const int n = 64;
  Image image(n, n);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const double s = (x + 0.5) / n, t = (y + 0.5) / n;
      image.Set(x, y, Color{0.05 + 0.3 * s, 0.05 + 0.25 * t, 0.2 + 0.1 * std::sin(2 * kPi * s), 1});
    }
  }
  return image;
}

class ClockShader : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dial = new Image(MakeDial());
    background = new Image(MakeBackground());
    const std::string vsText = ClockShaderText(137), fsText = ClockShaderText(136);
    program = Link(CompileText(GL_VERTEX_SHADER, vsText.c_str(), "shader 137"),
                   CompileText(GL_FRAGMENT_SHADER, fsText.c_str(), "shader 136"));
    glActiveTexture(GL_TEXTURE0);
    dialTexture = MakeTexture(*dial);
    glActiveTexture(GL_TEXTURE1);
    backgroundTexture = MakeTexture(*background);
    buffer = MakeRectangleBuffer();
  }

  static void TearDownTestSuite() {
    glDeleteBuffers(1, &buffer);
    glDeleteTextures(1, &dialTexture);
    glDeleteTextures(1, &backgroundTexture);
    glDeleteProgram(program);
    delete dial;
    delete background;
  }

  clockref::ClockInputs Inputs(int w, int h, double iTime, const Angles& a) const {
    clockref::ClockInputs in;
    in.width = w;
    in.height = h;
    in.iTime = iTime;
    in.second = a.second;
    in.minute = a.minute;
    in.hour = a.hour;
    in.dial = clockref::SamplerOf(*dial);
    in.background = clockref::SamplerOf(*background);
    return in;
  }

  // Draws the picture at w x h and returns the RGBA8 pixels, rows bottom-up.
  std::vector<unsigned char> Render(const clockref::ClockInputs& in) {
    return DrawClock({program, dialTexture, backgroundTexture, buffer, static_cast<int>(in.width),
                      static_cast<int>(in.height), static_cast<float>(in.iTime), in.second, in.minute, in.hour});
  }

  // Renders and compares with the reference; prints the figures.
  std::vector<unsigned char> RenderAndCompare(const clockref::ClockInputs& in, const char* name) {
    std::vector<unsigned char> pixels = Render(in);
    const clockref::ComparisonFigures f = clockref::CompareWithReference(in, pixels.data(), kTolerance);
    std::printf("[ figures  ] %s %dx%d: %s\n", name, static_cast<int>(in.width), static_cast<int>(in.height),
                f.Summary().c_str());
    EXPECT_GE(f.WithinShare(), 0.995) << f.Summary();
    EXPECT_EQ(f.unexplained, 0u) << f.Summary();
    return pixels;
  }

  static const unsigned char* Pixel(const std::vector<unsigned char>& p, const clockref::ClockInputs& in, int x,
                                    int y) {
    return &p[(static_cast<std::size_t>(y) * static_cast<int>(in.width) + x) * 4];
  }

  // The pixel nearest to dial point (radius, angle) of the centred square.
  static const unsigned char* DialPixel(const std::vector<unsigned char>& p, const clockref::ClockInputs& in,
                                        double radius, double angle) {
    const double side = std::min(in.width, in.height);
    const double x = (in.width - side) / 2 + (0.5 + radius * std::cos(angle)) * side;
    const double y = (in.height - side) / 2 + (0.5 + radius * std::sin(angle)) * side;
    return Pixel(p, in, static_cast<int>(x), static_cast<int>(y));
  }

  // Where the dial picture's blocks show, and the direction of an hour.
  static double BlockRadius() { return 0.40 / 1.04; }
  static double OClock(int hour) { return kPi / 2 - hour * 2 * kPi / 12; }

  static Image* dial;
  static Image* background;
  static GLuint program, dialTexture, backgroundTexture, buffer;
};

Image* ClockShader::dial = nullptr;
Image* ClockShader::background = nullptr;
GLuint ClockShader::program = 0;
GLuint ClockShader::dialTexture = 0;
GLuint ClockShader::backgroundTexture = 0;
GLuint ClockShader::buffer = 0;

TEST_F(ClockShader, FullHdLandscapeHasTheDialBetween420And1500) {
  const auto in = Inputs(1920, 1080, 10.0, AnglesAt(10, 8, 30.25));
  const auto pixels = RenderAndCompare(in, "landscape 10:08:30.25");
  // The hour hand's sector is 10 o'clock, but its block has too little red
  // to be tinted.
  const unsigned char* ten = DialPixel(pixels, in, BlockRadius(), OClock(10));
  EXPECT_LT(ten[0], 40);
  EXPECT_GT(ten[1], 150);
  // The side bands hold the background alone; the square's first column
  // already shows the dial's wrapped edge.
  for (int y : {5, 300, 1070}) {  // rows clear of the marks
    for (int x : {0, 419, 1500, 1919}) {
      const Color bg = background->Sample((x + 0.5) / 1920, (y + 0.5) / 1080);
      const unsigned char* p = Pixel(pixels, in, x, y);
      EXPECT_NEAR(p[0], clockref::ToUnorm8(bg.r), 1) << x << "," << y;
      EXPECT_NEAR(p[1], clockref::ToUnorm8(bg.g), 1) << x << "," << y;
      EXPECT_NEAR(p[2], clockref::ToUnorm8(bg.b), 1) << x << "," << y;
    }
    for (int x : {420, 1499}) {
      const Color bg = background->Sample((x + 0.5) / 1920, (y + 0.5) / 1080);
      EXPECT_GT(std::abs(Pixel(pixels, in, x, y)[0] - clockref::ToUnorm8(bg.r)) +
                    std::abs(Pixel(pixels, in, x, y)[2] - clockref::ToUnorm8(bg.b)),
                20)
          << x << "," << y;
    }
  }
}

TEST_F(ClockShader, PortraitAt16HoursTintsTheFourOClockSector) {
  // 641 rows: the square starts at y = 140.5, a pixel centre, included.
  const auto in = Inputs(360, 641, 10.0, AnglesAt(16, 0, 0));
  EXPECT_NEAR(in.hour, -kPi / 6, 1e-9);
  const auto pixels = RenderAndCompare(in, "portrait 16:00");
  // Row 140 lies on the square's lower bound and belongs to it: it shows the
  // dial picture's wrapped top edge; row 139 shows the background alone.
  for (int x : {20, 100, 340}) {  // clear of the 6 o'clock mark
    const Color bg = background->Sample((x + 0.5) / 360, 139.5 / 641);
    EXPECT_NEAR(Pixel(pixels, in, x, 139)[2], clockref::ToUnorm8(bg.b), 1) << x;
    EXPECT_GT(Pixel(pixels, in, x, 140)[2], clockref::ToUnorm8(bg.b) + 60) << x;
  }
  // Mark 55 (4 o'clock) takes the hour hand's red.
  const unsigned char* mark = DialPixel(pixels, in, 0.475, 55 * 2 * kPi / 60);
  EXPECT_GT(mark[0], 200);
  EXPECT_LT(mark[1], 120);
  // The lit block at 4 o'clock is tinted half-way to red, the one at 8 is not.
  const unsigned char* four = DialPixel(pixels, in, BlockRadius(), OClock(4));
  const unsigned char* eight = DialPixel(pixels, in, BlockRadius(), OClock(8));
  EXPECT_GT(four[0] - four[1], 60);
  EXPECT_LT(std::abs(eight[0] - eight[1]), 40);
}

TEST_F(ClockShader, SquareWithHourOnAMarkAndHalfWayBetweenTwo) {
  // 2:00: the hour hand points at the 2 o'clock mark, minute and second at 12.
  const auto on = Inputs(512, 512, 10.0, AnglesAt(2, 0, 0));
  const auto onPixels = RenderAndCompare(on, "square 02:00");
  const unsigned char* two = DialPixel(onPixels, on, BlockRadius(), OClock(2));
  const unsigned char* one = DialPixel(onPixels, on, BlockRadius(), OClock(1));
  EXPECT_GT(two[0] - two[1], 60);
  EXPECT_LT(std::abs(one[0] - one[1]), 40);

  // 1:30: the hour hand half-way between 1 and 2, the minute hand at 6.
  const auto half = Inputs(512, 512, 10.0, AnglesAt(1, 30, 0));
  const auto halfPixels = RenderAndCompare(half, "square 01:30");
  for (int hour : {1, 2}) {
    const unsigned char* p = DialPixel(halfPixels, half, BlockRadius(), OClock(hour));
    EXPECT_LT(std::abs(p[0] - p[1]), 40) << hour << " o'clock";
  }
  const unsigned char* six = DialPixel(halfPixels, half, BlockRadius(), OClock(6));
  EXPECT_GT(six[1] - six[0], 60);
}

TEST_F(ClockShader, ThreeHandsOnOneMarkShowTheSecondHandsBlue) {
  const auto in = Inputs(400, 300, 10.0, AnglesAt(12, 0, 0));
  const auto pixels = RenderAndCompare(in, "landscape 12:00");
  const unsigned char* mark = DialPixel(pixels, in, 0.475, kPi / 2);
  EXPECT_GT(mark[2], 240);
  EXPECT_LT(mark[0], 130);  // background red and green only
  EXPECT_LT(mark[1], 130);
}

TEST_F(ClockShader, FadesInBetweenThreeAndFiveSeconds) {
  const Angles a = AnglesAt(7, 41, 12.5);
  const auto dark = Render(Inputs(320, 180, 2.0, a));
  std::size_t lit = 0;
  for (unsigned char c : dark) lit += c != 0;
  EXPECT_EQ(lit, 0u) << "pixels not black at iTime 2.0";

  const auto halfIn = Inputs(320, 180, 4.0, a);
  const auto halfPixels = RenderAndCompare(halfIn, "landscape iTime 4.0");
  const auto fullIn = Inputs(320, 180, 10.0, a);
  const auto fullPixels = RenderAndCompare(fullIn, "landscape iTime 10.0");
  for (int x : {3, 60, 300}) {  // the side bands: half the background
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(Pixel(halfPixels, halfIn, x, 90)[c], Pixel(fullPixels, fullIn, x, 90)[c] / 2.0, 1.0);
  }
}

}  // namespace
