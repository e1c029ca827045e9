#include "tests/reference/clock_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace clockref {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTurn = 2.0 * kPi;

double Wrap(double a) {
  double r = std::fmod(a, kTurn);
  if (r < 0.0) r += kTurn;
  return r;
}

// Angle between two directions, 0 to pi.
double Between(double a, double b) {
  const double d = Wrap(a - b);
  return std::min(d, kTurn - d);
}

double Smoothstep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

Color Mix(const Color& c, double tr, double tg, double tb, double amount) {
  return Color{c.r + (tr - c.r) * amount, c.g + (tg - c.g) * amount, c.b + (tb - c.b) * amount, 1.0};
}

Color Scale(const Color& c, double s) { return Color{c.r * s, c.g * s, c.b * s, c.a * s}; }

Color Clamp01(const Color& c) {
  return Color{std::clamp(c.r, 0.0, 1.0), std::clamp(c.g, 0.0, 1.0), std::clamp(c.b, 0.0, 1.0),
               std::clamp(c.a, 0.0, 1.0)};
}

struct Hand {
  double angle;  // wrapped into [0, 2 pi)
  double reach;  // distance from the dial's origin of the line's far point
  double width;
  double length;
  double tipStart;
};

// Glow of a hand at a dial point given in polar (alpha, r) and Cartesian
// (u, v) form.
double Glow(const Hand& hand, double u, double v, double alpha, double r) {
  // The line runs from the centre toward a far point measured from the
  // dial's origin, so it leans slightly off the hand's direction.
  const double fx = hand.reach * std::cos(hand.angle) - 0.5;
  const double fy = hand.reach * std::sin(hand.angle) - 0.5;
  const double fl = std::hypot(fx, fy);
  const double d = std::fabs((u - 0.5) * fy / fl - (v - 0.5) * fx / fl);
  const bool behind = Between(alpha, hand.angle) >= kPi / 2;
  const bool inside = d < hand.width && (behind ? r < 0.048 : r < hand.length);
  if (!inside) return 0.0;
  double spread = d;
  if (behind) {
    spread = r;
  } else if (r > hand.tipStart) {
    spread = std::hypot(d, r - hand.tipStart);
  }
  return 1.0 - Smoothstep(0.0, hand.width, spread);
}

// Tint amount (0 to 0.5) that a hand gives to the hour sector holding the
// pixel: only the sector of the 30 degree mark nearest the hand is tinted.
double SectorTint(double handAngle, double alpha) {
  const double sector = kTurn / 12.0;
  const double nearest = std::round(handAngle / sector) * sector;
  const double off = Between(handAngle, nearest);
  if (Between(alpha, nearest) >= sector / 2) return 0.0;
  return 0.5 * std::max(0.0, 1.0 - off / (sector / 2));
}

}  // namespace

Image::Image(int w, int h) : width(w), height(h), texels(static_cast<std::size_t>(w) * h * 4, 0.0f) {}

Color Image::Get(int x, int y) const {
  const float* p = &texels[(static_cast<std::size_t>(y) * width + x) * 4];
  return Color{p[0], p[1], p[2], p[3]};
}

void Image::Set(int x, int y, const Color& c) {
  float* p = &texels[(static_cast<std::size_t>(y) * width + x) * 4];
  p[0] = static_cast<float>(c.r);
  p[1] = static_cast<float>(c.g);
  p[2] = static_cast<float>(c.b);
  p[3] = static_cast<float>(c.a);
}

Color Image::Sample(double s, double t) const {
  if (width <= 0 || height <= 0) return Color{};
  const double fx = s * width - 0.5;
  const double fy = t * height - 0.5;
  const double x0 = std::floor(fx);
  const double y0 = std::floor(fy);
  const double ax = fx - x0;
  const double ay = fy - y0;
  auto wrap = [](double i, int n) {
    long long k = static_cast<long long>(i) % n;
    return static_cast<int>(k < 0 ? k + n : k);
  };
  const int xa = wrap(x0, width), xb = wrap(x0 + 1, width);
  const int ya = wrap(y0, height), yb = wrap(y0 + 1, height);
  const Color c00 = Get(xa, ya), c10 = Get(xb, ya), c01 = Get(xa, yb), c11 = Get(xb, yb);
  auto lerp2 = [&](double p00, double p10, double p01, double p11) {
    return (p00 * (1 - ax) + p10 * ax) * (1 - ay) + (p01 * (1 - ax) + p11 * ax) * ay;
  };
  return Color{lerp2(c00.r, c10.r, c01.r, c11.r), lerp2(c00.g, c10.g, c01.g, c11.g),
               lerp2(c00.b, c10.b, c01.b, c11.b), lerp2(c00.a, c10.a, c01.a, c11.a)};
}

Sampler SamplerOf(const Image& image) {
  return [&image](double s, double t) { return image.Sample(s, t); };
}

Color EvaluateClockPixel(const ClockInputs& in, double x, double y) {
  const double brightness = Smoothstep(3.0, 5.0, in.iTime);
  const Color bg = in.background(x / in.width, y / in.height);

  // The dial's square: as large as the shorter side, centred on the longer.
  const double side = std::min(in.width, in.height);
  const double left = (in.width - side) / 2;
  const double bottom = (in.height - side) / 2;
  if (x < left || x > left + side || y < bottom || y > bottom + side) {
    return Scale(Color{bg.r, bg.g, bg.b, bg.a + 1.0}, brightness);
  }
  const double u = (x - left) / side;
  const double v = (y - bottom) / side;
  const double r = std::hypot(u - 0.5, v - 0.5);
  const double alpha = r == 0.0 ? 0.0 : Wrap(std::atan2(v - 0.5, u - 0.5));

  // The picture shown at 1/1.04 of the square about its centre.
  Color dial = in.dial(0.5 + (u - 0.5) * 1.04, 0.5 + (v - 0.5) * 1.04);

  const double hourAngle = Wrap(in.hour), minuteAngle = Wrap(in.minute), secondAngle = Wrap(in.second);

  // Only the nearest of the sixty marks can hold the pixel: they are 6
  // degrees apart and at most 1 degree wide on either side.
  const double step = kTurn / 60.0;
  const int k = static_cast<int>(std::lround(alpha / step)) % 60;
  const double markAngle = k * step;
  const bool bold = k % 5 == 0;
  const double halfWidth = bold ? 0.018 : 0.016;
  const double halfLength = bold ? 0.032 : 0.016;
  const double markRadius = bold ? 0.475 : 0.48;
  const double off = Between(alpha, markAngle);
  if (off < halfWidth && std::fabs(r - markRadius) < halfLength) {
    const double grey = bold ? 1.0 : 0.8;
    Color mark{grey, grey, grey, 1.0};
    // A hand within 3 degrees draws the mark toward its colour; the later
    // hands work on the earlier ones' result.
    const double reach = kPi / 60.0;
    const struct { double angle, r, g, b; } hands[3] = {
        {hourAngle, 1, 0, 0}, {minuteAngle, 0, 1, 0}, {secondAngle, 0, 0, 1}};
    for (const auto& h : hands) {
      const double f = Between(h.angle, markAngle) / reach;
      if (f <= 1.0) mark = Mix(mark, h.r, h.g, h.b, 1.0 - f);
    }
    dial = Clamp01(Scale(mark, 1.0 - (bold ? 44.0 : 70.0) * std::hypot(r - markRadius, off)));
  }

  const Hand hour{hourAngle, 100.0, 0.02, 0.336, 0.312};
  const Hand minute{minuteAngle, 1000.0, 0.015, 0.486, 0.442};
  const Hand second{secondAngle, 1000.0, 0.01, 0.526, 0.482};
  const double red = Glow(hour, u, v, alpha, r);
  const double green = Glow(minute, u, v, alpha, r);
  const double blue = Glow(second, u, v, alpha, r);

  // Lit parts of the picture in the ring of the numerals take the colour of
  // the hand whose sector they are in: first the hour hand's red, then the
  // minute hand's green on the result.
  if (r > 0.30 && r < 0.45) {
    if (dial.r > 0.01) {
      const double t = SectorTint(hourAngle, alpha);
      dial = Color{dial.r + t * (1 - dial.r), dial.g * (1 - t), dial.b * (1 - t), dial.a};
    }
    if (dial.r > 0.01) {
      const double t = SectorTint(minuteAngle, alpha);
      dial = Color{dial.r * (1 - t), dial.g + t * (1 - dial.g), dial.b * (1 - t), dial.a};
    }
  }

  return Scale(Color{bg.r + dial.r + red, bg.g + dial.g + green, bg.b + dial.b + blue, bg.a + dial.a},
               brightness);
}

unsigned char ToUnorm8(double c) {
  return static_cast<unsigned char>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
}

namespace {

int Difference(const unsigned char* a, const Color& c) {
  const double channels[4] = {c.r, c.g, c.b, c.a};
  int worst = 0;
  for (int i = 0; i < 4; ++i) worst = std::max(worst, std::abs(static_cast<int>(a[i]) - ToUnorm8(channels[i])));
  return worst;
}

}  // namespace

ComparisonFigures CompareWithReference(const ClockInputs& in, const unsigned char* rgba, int tolerance,
                                       double jitter) {
  ComparisonFigures figures;
  const int w = static_cast<int>(in.width), h = static_cast<int>(in.height);
  const double shifts[] = {-1.0, -0.5, 0.0, 0.5, 1.0};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = rgba + (static_cast<std::size_t>(y) * w + x) * 4;
      const double cx = x + 0.5, cy = y + 0.5;
      const Color expected = EvaluateClockPixel(in, cx, cy);
      const int diff = Difference(p, expected);
      figures.largestDifference = std::max(figures.largestDifference, diff);
      ++figures.total;
      if (diff <= tolerance) {
        ++figures.within;
        continue;
      }
      bool matched = false;
      for (double sx : shifts) {
        for (double sy : shifts) {
          if (!matched && Difference(p, EvaluateClockPixel(in, cx + sx * jitter, cy + sy * jitter)) <= tolerance)
            matched = true;
        }
      }
      if (matched) {
        ++figures.explained;
        continue;
      }
      ++figures.unexplained;
      if (figures.unexplainedSamples.size() < 8) {
        Mismatch m;
        m.x = x;
        m.y = y;
        const double channels[4] = {expected.r, expected.g, expected.b, expected.a};
        for (int i = 0; i < 4; ++i) {
          m.rendered[i] = p[i];
          m.expected[i] = ToUnorm8(channels[i]);
        }
        figures.unexplainedSamples.push_back(m);
      }
    }
  }
  return figures;
}

std::string ComparisonFigures::Summary() const {
  char line[256];
  std::snprintf(line, sizeof line,
                "%zu pixels: %.4f %% within tolerance, %zu outside at threshold edges, %zu unexplained; "
                "largest difference %d/255",
                total, 100.0 * WithinShare(), explained, unexplained, largestDifference);
  std::string text = line;
  for (const Mismatch& m : unexplainedSamples) {
    std::snprintf(line, sizeof line, "\n  (%d, %d): rendered %d %d %d %d, expected %d %d %d %d", m.x, m.y,
                  m.rendered[0], m.rendered[1], m.rendered[2], m.rendered[3], m.expected[0], m.expected[1],
                  m.expected[2], m.expected[3]);
    text += line;
  }
  return text;
}

}  // namespace clockref
