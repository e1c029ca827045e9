// The background, the About picture and the program icon, drawn from simple
// formulas; everything depends on the pixel position alone, so every run
// gives the same pictures.
#include <algorithm>
#include <cmath>

#include "pictures.h"

namespace pictures {

namespace {

constexpr double kPi = 3.14159265358979323846;

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double Smoothstep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// Blue, violet and red along t from 0 to 1.
Rgb GlowColour(double t) {
  const Rgb blue = {0.10, 0.28, 1.00}, violet = {0.62, 0.16, 0.92}, red = {1.00, 0.14, 0.16};
  return t < 0.5 ? Mix(blue, violet, Smoothstep(0.0, 0.5, t)) : Mix(violet, red, Smoothstep(0.5, 1.0, t));
}

}  // namespace

void DrawBackground(Image& img) {
  const Rgb ground = {0.050, 0.020, 0.078};
  for (int y = 0; y < img.h; ++y) {
    const double up = (img.h - 0.5 - y) / img.h;  // 0 at the bottom edge, 1 at the top
    for (int x = 0; x < img.w; ++x) {
      const double t = (x + 0.5) / img.w;
      // The glow's height breathes gently along the edge.
      const double reach = 0.10 + 0.025 * std::sin(2.0 * kPi * t * 1.5 + 0.7) + 0.015 * std::sin(2.0 * kPi * t * 3.7);
      const double glow = 0.80 * std::exp(-up / reach) + 0.14 * std::exp(-up / (reach * 2.5));
      const Rgb c = GlowColour(t);
      const double shade = 1.0 + 0.35 * (1.0 - up);  // a touch lighter toward the bottom
      img.At(x, y) = {ground.r * shade + glow * c.r, ground.g * shade + glow * c.g, ground.b * shade + glow * c.b};
    }
  }
}

void DrawSwirl(Image& img) {
  const Rgb ground = {0.030, 0.012, 0.045};
  const Rgb red = {1.00, 0.12, 0.18}, magenta = {0.95, 0.10, 0.80}, blue = {0.22, 0.28, 1.00};
  const int ss = 4;  // samples a side
  const double cx = img.w * 0.5, cy = img.h * 0.5, scale = std::min(img.w, img.h) * 0.5;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      Rgb sum = {0, 0, 0};
      for (int sy = 0; sy < ss; ++sy)
        for (int sx = 0; sx < ss; ++sx) {
          const double px = (x + (sx + 0.5) / ss - cx) / scale, py = (y + (sy + 0.5) / ss - cy) / scale;
          const double r = std::sqrt(px * px + py * py), a = std::atan2(py, px);
          // Three arms wound into a spiral, fading outward and at the core.
          const double phase = 3.0 * a + 7.0 * r;
          const double arm = std::pow(0.5 + 0.5 * std::cos(phase), 4.0);
          const double fade = std::exp(-r * r * 1.6) * Smoothstep(0.02, 0.22, r);
          const double core = 0.55 * std::exp(-r * r * 60.0);
          // The colour turns from red through magenta to blue along the arms.
          const double t = 0.5 + 0.5 * std::sin(a + 2.5 * r);
          const Rgb c = t < 0.5 ? Mix(red, magenta, t * 2.0) : Mix(magenta, blue, t * 2.0 - 1.0);
          const double v = arm * fade;
          sum.r += ground.r + v * c.r + core * 0.9;
          sum.g += ground.g + v * c.g + core * 0.5;
          sum.b += ground.b + v * c.b + core * 0.95;
        }
      img.At(x, y) = {sum.r / (ss * ss), sum.g / (ss * ss), sum.b / (ss * ss)};
    }
}

namespace {

// Colour of the monitor at (x, y) on a 64-unit square, y down; false outside.
bool MonitorSample(double x, double y, Rgb* c) {
  auto in = [&](double x0, double y0, double x1, double y1) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
  const Rgb body = {72 / 255.0, 194 / 255.0, 1.0};
  if (in(10, 9, 54, 35)) {  // screen in four quadrants
    const bool left = x < 32, top = y < 22;
    *c = top ? (left ? Rgb{1.0, 72 / 255.0, 72 / 255.0} : Rgb{0.0, 217 / 255.0, 70 / 255.0})
             : (left ? Rgb{72 / 255.0, 72 / 255.0, 1.0} : Rgb{240 / 255.0, 240 / 255.0, 0.0});
    return true;
  }
  if (in(8, 7, 56, 37)) {  // grey rim
    *c = {0.6, 0.6, 0.6};
    return true;
  }
  for (int i = 0; i < 3; ++i) {  // dots on the bezel, under the right half
    const double dx = x - (39.0 + 6.0 * i), dy = y - 41.5;
    if (dx * dx + dy * dy <= 2.0 * 2.0) {
      *c = {0.12, 0.15, 0.24};
      return true;
    }
  }
  // Body with rounded corners.
  const double x0 = 4, y0 = 3, x1 = 60, y1 = 47, rad = 5;
  if (in(x0, y0, x1, y1)) {
    const double qx = std::clamp(x, x0 + rad, x1 - rad), qy = std::clamp(y, y0 + rad, y1 - rad);
    if ((x - qx) * (x - qx) + (y - qy) * (y - qy) <= rad * rad) {
      *c = body;
      return true;
    }
  }
  if (in(27, 47, 37, 54) || in(17, 54, 47, 60)) {  // neck and foot
    *c = body;
    return true;
  }
  return false;
}

}  // namespace

std::vector<Image> DrawMonitorIcons(const std::vector<int>& sizes) {
  std::vector<Image> icons;
  const int ss = 8;
  for (int n : sizes) {
    Image img(n, n);
    const double unit = 64.0 / n;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        Rgb sum = {0, 0, 0};
        int hits = 0;
        for (int sy = 0; sy < ss; ++sy)
          for (int sx = 0; sx < ss; ++sx) {
            Rgb c;
            if (!MonitorSample((x + (sx + 0.5) / ss) * unit, (y + (sy + 0.5) / ss) * unit, &c)) continue;
            sum.r += c.r, sum.g += c.g, sum.b += c.b;
            ++hits;
          }
        if (hits) img.At(x, y) = {sum.r / hits, sum.g / hits, sum.b / hits};
        img.alpha[static_cast<std::size_t>(y) * n + x] = static_cast<double>(hits) / (ss * ss);
      }
    icons.push_back(std::move(img));
  }
  return icons;
}

}  // namespace pictures
