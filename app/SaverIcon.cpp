// The window icon, drawn in code: a small computer monitor on a transparent
// ground. A light-blue body, a grey-rimmed screen split into red, green, blue
// and yellow quadrants, a row of dark dots on the bezel below the screen's
// right half, and a stand; edges are softened by 4 x 4 supersampling.
#include <cmath>
#include <cstring>

#include "app/ScreensaverApp.h"

namespace {

struct Rgb {
  float r, g, b;
};

// Colour and coverage of one sample point (x, y in icon pixels, y down).
bool Sample(float x, float y, Rgb* c) {
  auto in = [&](float x0, float y0, float x1, float y1) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
  // Screen: 8..56 x 7..37, rimmed in grey 1.5 px wide.
  if (in(9.5f, 8.5f, 54.5f, 35.5f)) {
    const bool left = x < 32.0f, top = y < 22.0f;
    if (top && left) *c = {255, 72, 72};
    else if (top) *c = {0, 217, 70};
    else if (left) *c = {72, 72, 255};
    else *c = {240, 240, 0};
    return true;
  }
  if (in(8.0f, 7.0f, 56.0f, 37.0f)) {
    *c = {150, 150, 150};
    return true;
  }
  // Dots on the bezel under the screen's right half.
  for (int i = 0; i < 4; ++i) {
    const float cx = 37.0f + 4.5f * i, cy = 41.5f;
    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 1.4f * 1.4f) {
      *c = {30, 40, 60};
      return true;
    }
  }
  // Body with rounded corners: 4..60 x 3..46, radius 4.
  const float bx0 = 4, by0 = 3, bx1 = 60, by1 = 46, rad = 4;
  if (in(bx0, by0, bx1, by1)) {
    const float cx = std::fmin(std::fmax(x, bx0 + rad), bx1 - rad);
    const float cy = std::fmin(std::fmax(y, by0 + rad), by1 - rad);
    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= rad * rad) {
      *c = {72, 194, 255};
      return true;
    }
  }
  // Stand: a neck and a foot, at the bottom centre.
  if (in(27.0f, 46.0f, 37.0f, 54.0f) || in(18.0f, 54.0f, 46.0f, 59.0f)) {
    *c = {72, 194, 255};
    return true;
  }
  return false;
}

}  // namespace

void BuildSaverIcon(unsigned char* pixels) {
  const int n = kSaverIconSize, ss = 4;
  for (int py = 0; py < n; ++py)
    for (int px = 0; px < n; ++px) {
      float r = 0, g = 0, b = 0;
      int hits = 0;
      for (int sy = 0; sy < ss; ++sy)
        for (int sx = 0; sx < ss; ++sx) {
          Rgb c;
          if (Sample(px + (sx + 0.5f) / ss, py + (sy + 0.5f) / ss, &c)) {
            r += c.r, g += c.g, b += c.b;
            ++hits;
          }
        }
      unsigned char* p = pixels + (py * n + px) * 4;
      if (hits == 0) {
        std::memset(p, 0, 4);
        continue;
      }
      // Colour averaged over the covered samples (not premultiplied).
      p[0] = static_cast<unsigned char>(std::lround(r / hits));
      p[1] = static_cast<unsigned char>(std::lround(g / hits));
      p[2] = static_cast<unsigned char>(std::lround(b / hits));
      p[3] = static_cast<unsigned char>(std::lround(255.0f * hits / (ss * ss)));
    }
}
