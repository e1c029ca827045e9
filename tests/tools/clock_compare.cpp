// Compares a picture of the clock (a PNG: a snapshot or a screenshot) with
// the CPU reference fed with the program's own dial and background pictures.
//
//   clock_compare IMAGE.png --time HH:MM:SS[.fff] [--until HH:MM:SS[.fff]]
//                 [--itime T] [--rect X,Y,W,H] [--tolerance N] [--min-share P]
//
// The hand angles come straight from the time of day. --rect takes the part
// of the image that shows the saver's viewport (default: all of it).
// --until says the picture was taken at some moment between --time and it
// (a screenshot of a running saver): the hands are compared at the middle,
// and the sectors the second and minute hands sweep meanwhile are left out
// (copied from the reference), though the second hand must show somewhere
// in its sector. Prints the figures and exits 0 when at least P (default
// 0.995) of the pixels are within N/255 (default 2) in every channel.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "tests/reference/clock_reference.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

bool LoadPicture(int id, clockref::Image* out) {
  platform::BitmapPixels px;
  if (!platform::LoadBitmapPixels(static_cast<std::uint16_t>(id), &px)) return false;
  *out = clockref::Image(px.width, px.height);
  for (int y = 0; y < px.height; ++y)
    for (int x = 0; x < px.width; ++x) {
      const std::uint8_t* p = &px.bgrx[(static_cast<std::size_t>(y) * px.width + x) * 4];
      out->Set(x, y, {p[2] / 255.0, p[1] / 255.0, p[0] / 255.0, 1.0});
    }
  return true;
}

double Wrap(double a) { return a < 0 ? a + 2 * kPi : a; }

// Angular distance between two directions.
double AngleGap(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 2 * kPi);
  return std::fmin(d, 2 * kPi - d);
}

int Fail(const char* what) {
  std::fprintf(stderr, "clock_compare: %s\n", what);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: clock_compare IMAGE.png --time HH:MM:SS[.fff] [options]");
  const char* path = argv[1];
  double seconds = -1, until = -1, iTime = 10, minShare = 0.995;
  int tolerance = 2, rx = 0, ry = 0, rw = 0, rh = 0;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string opt = argv[i];
    const char* v = argv[i + 1];
    if (opt == "--time" || opt == "--until") {
      int h = 0, m = 0;
      double s = 0;
      if (std::sscanf(v, "%d:%d:%lf", &h, &m, &s) != 3) return Fail(("bad " + opt).c_str());
      (opt == "--time" ? seconds : until) = h * 3600.0 + m * 60.0 + s;
    } else if (opt == "--itime") {
      iTime = std::atof(v);
    } else if (opt == "--rect") {
      if (std::sscanf(v, "%d,%d,%d,%d", &rx, &ry, &rw, &rh) != 4) return Fail("bad --rect");
    } else if (opt == "--tolerance") {
      tolerance = std::atoi(v);
    } else if (opt == "--min-share") {
      minShare = std::atof(v);
    } else {
      return Fail(("unknown option " + opt).c_str());
    }
  }
  if (seconds < 0) return Fail("--time is needed");
  double start = seconds;
  if (until >= 0) {
    if (until < seconds) until += 24 * 3600.0;  // past midnight
    seconds = std::fmod((seconds + until) / 2, 24 * 3600.0);
  }

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return Fail("cannot read the PNG");
  image.format = PNG_FORMAT_RGBA;
  std::vector<unsigned char> top(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, top.data(), 0, nullptr)) return Fail("cannot decode the PNG");
  const int iw = static_cast<int>(image.width), ih = static_cast<int>(image.height);
  if (rw == 0) rw = iw, rh = ih;
  if (rx < 0 || ry < 0 || rw <= 0 || rh <= 0 || rx + rw > iw || ry + rh > ih) return Fail("--rect outside the image");

  clockref::Image dial, background;
  if (!LoadPicture(208, &dial) || !LoadPicture(209, &background)) return Fail("cannot load the pictures");

  // Hand angles of the time of day: 0 at 3 o'clock, counter-clockwise.
  const double s = std::fmod(seconds, 60.0), m = std::fmod(seconds / 60.0, 60.0), h = std::fmod(seconds / 3600.0, 24.0);
  clockref::ClockInputs in;
  in.width = rw;
  in.height = rh;
  in.iTime = iTime;
  in.second = Wrap(kPi / 2 - s * 2 * kPi / 60);
  in.minute = Wrap(kPi / 2 - m * 2 * kPi / 60);
  in.hour = kPi / 2 - h * 2 * kPi / 12;
  in.dial = clockref::SamplerOf(dial);
  in.background = clockref::SamplerOf(background);

  // The viewport's pixels, rows bottom-up as OpenGL stores them.
  std::vector<unsigned char> rgba(static_cast<std::size_t>(rw) * rh * 4);
  for (int y = 0; y < rh; ++y)
    std::memcpy(&rgba[static_cast<std::size_t>(y) * rw * 4],
                &top[(static_cast<std::size_t>(ry + rh - 1 - y) * iw + rx) * 4], static_cast<std::size_t>(rw) * 4);

  // A picture on screen has no alpha: take the reference's, so that only
  // what shows is compared.
  for (int y = 0; y < rh; ++y)
    for (int x = 0; x < rw; ++x)
      rgba[(static_cast<std::size_t>(y) * rw + x) * 4 + 3] =
          clockref::ToUnorm8(clockref::EvaluateClockPixel(in, x + 0.5, y + 0.5).a);

  // The sectors the second hand (plus 4 degrees each side: its glow and the
  // marks it tints) and the minute hand (plus 1.5 degrees) sweep between the
  // two moments, widened by the hands' glow, are copied from the reference,
  // so they always match.
  std::size_t masked = 0, blueShown = 0, blueExpected = 0;
  // On the dark dial face the second hand's glow is the only strong blue
  // that is not white (over the hour hand it shows magenta, over the minute
  // hand cyan).
  auto blue = [](int r8, int g8, int b8) { return b8 >= 200 && std::min(r8, g8) <= 100; };
  if (until >= 0) {
    struct Sweep {
      double mid, half;
    };
    auto sweep = [&](double turns0, double turns1, double marginDegrees) {
      const double a0 = kPi / 2 - turns0 * 2 * kPi, a1 = kPi / 2 - turns1 * 2 * kPi;
      return Sweep{(a0 + a1) / 2, std::fabs(a0 - a1) / 2 + marginDegrees * kPi / 180};
    };
    const Sweep sweeps[] = {sweep(start / 60, until / 60, 4.0), sweep(start / 3600, until / 3600, 1.5)};
    const double side = std::fmin(rw, rh), mx = (rw - side) / 2, my = (rh - side) / 2;
    for (int y = 0; y < rh; ++y)
      for (int x = 0; x < rw; ++x) {
        const double u = (x + 0.5 - mx) / side - 0.5, v = (y + 0.5 - my) / side - 0.5;
        if (std::fabs(u) > 0.5 || std::fabs(v) > 0.5) continue;
        // Near the centre a hand's glow (0.01 of the square wide, and its
        // half-disc) spans more angle than the margin: widen the sector by
        // the angle its width takes at this radius.
        const double r = std::sqrt(u * u + v * v), glow = 0.012;
        const double reach = r > glow ? std::asin(glow / r) : kPi;
        bool inside = r < 0.03;
        for (const Sweep& w : sweeps) inside = inside || AngleGap(std::atan2(v, u), w.mid) <= w.half + reach;
        if (!inside) continue;
        const clockref::Color c = clockref::EvaluateClockPixel(in, x + 0.5, y + 0.5);
        unsigned char* p = &rgba[(static_cast<std::size_t>(y) * rw + x) * 4];
        // The second hand must still be there.
        if (r > 0.05 && r < 0.45) {
          blueShown += blue(p[0], p[1], p[2]);
          blueExpected += blue(clockref::ToUnorm8(c.r), clockref::ToUnorm8(c.g), clockref::ToUnorm8(c.b));
        }
        p[0] = clockref::ToUnorm8(c.r), p[1] = clockref::ToUnorm8(c.g), p[2] = clockref::ToUnorm8(c.b);
        ++masked;
      }
  }

  clockref::ComparisonFigures f = clockref::CompareWithReference(in, rgba.data(), tolerance);
  std::printf("%s: %dx%d, %zu pixels masked: %s\n", path, rw, rh, masked, f.Summary().c_str());
  if (blueShown * 2 < blueExpected) {
    std::printf("%s: no second hand where it sweeps (%zu strongly blue pixels of the %zu expected)\n", path, blueShown,
                blueExpected);
    return 1;
  }
  return f.WithinShare() >= minShare ? 0 : 1;
}
