#include "scene/ChangingRegions.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "scene/ClockGeometry.h"

namespace scene {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSector = 2.0 * kPi / kSectorCount;
constexpr double kMarkStep = 2.0 * kPi / kMarkCount;
// Float rounding in the shader moves an edge by far less than a pixel; the
// margin also takes the rasteriser's snapping of the regions' corners.
constexpr double kMarginPixels = 2.0;
// Slack on angles computed here and in float on the GPU (which mark, which
// sector a hand is nearest to).
constexpr double kAngleSlack = 1e-4;

struct HandShape {
  double reach, width, tipStart;
};
constexpr HandShape kHands[3] = {
    {kHourReach, kHourWidth, kHourTipStart},
    {kMinuteReach, kMinuteWidth, kMinuteTipStart},
    {kSecondReach, kSecondWidth, kSecondTipStart},
};
struct MarkShape {
  double halfWidth, halfLength, falloff, centre;
};
constexpr MarkShape kBold = {kBoldHalfWidth, kBoldHalfLength, kBoldFalloff, kBoldCentre};
constexpr MarkShape kNormal = {kMarkHalfWidth, kMarkHalfLength, kMarkFalloff, kMarkCentre};

// The angle between two directions, from 0 to pi.
double Between(double a, double b) { return std::fabs(std::remainder(a - b, 2.0 * kPi)); }

int SectorIndex(long j) { return static_cast<int>(((j % kSectors) + kSectors) % kSectors); }

// Writes regions given in dial coordinates as clip-space triangles.
class RegionWriter {
 public:
  RegionWriter(int width, int height, float* out, int capacity)
      : width(width), height(height), out(out), capacity(capacity) {
    side = std::min(width, height);
    marginX = std::max(width - height, 0) * 0.5;
    marginY = std::max(height - width, 0) * 0.5;
    margin = kMarginPixels / side;
  }

  // The rectangle about the dial centre reaching from `s0` to `s1` along
  // the unit direction (ax, ay) and from `t0` to `t1` across it, widened
  // by the margin.
  void AboutCentre(double ax, double ay, double s0, double s1, double t0, double t1) {
    s0 -= margin, s1 += margin, t0 -= margin, t1 += margin;
    const double s[4] = {s0, s1, s1, s0}, t[4] = {t0, t0, t1, t1};
    double u[4], v[4];
    for (int i = 0; i < 4; ++i) {
      u[i] = 0.5 + s[i] * ax - t[i] * ay;
      v[i] = 0.5 + s[i] * ay + t[i] * ax;
    }
    Quad(u, v);
  }

  void Box(const DialBox& b) {
    if (b.Empty()) return;
    const double u0 = b.u0 - margin, u1 = b.u1 + margin, v0 = b.v0 - margin, v1 = b.v1 + margin;
    const double u[4] = {u0, u1, u1, u0}, v[4] = {v0, v0, v1, v1};
    Quad(u, v);
  }

  int Vertices() const { return written / 2; }

 private:
  void Quad(const double* u, const double* v) {
    // kMaxRegions counts the most regions a frame can have; a frame with
    // more is a fault here, and its missing pixels would go unseen.
    if (written + 12 > capacity) {
      std::fprintf(stderr, "lumitick: more changing regions than the buffer holds\n");
      std::abort();
    }
    static const int kOrder[6] = {0, 1, 2, 0, 2, 3};
    for (int i : kOrder) {
      out[written++] = static_cast<float>(2.0 * (marginX + u[i] * side) / width - 1.0);
      out[written++] = static_cast<float>(2.0 * (marginY + v[i] * side) / height - 1.0);
    }
  }

  int width, height;
  float* out;
  int capacity;
  int written = 0;
  double side = 0.0, marginX = 0.0, marginY = 0.0, margin = 0.0;
};

}  // namespace

void DialBox::Add(float ua, float va, float ub, float vb) {
  if (Empty()) {
    u0 = ua, v0 = va, u1 = ub, v1 = vb;
    return;
  }
  u0 = std::min(u0, ua), v0 = std::min(v0, va);
  u1 = std::max(u1, ub), v1 = std::max(v1, vb);
}

void DialLitBoxes::AddBand(int firstRow, int rows, int width, const float* texels) {
  const double n = side;
  // A sample takes texels up to one texel away (linear filtering); half a
  // texel more for safety, in dial units through the picture's scale.
  const double h = 1.5 / n / kDialScale;
  const double reach = h * std::sqrt(2.0);
  for (int y = 0; y < rows; ++y) {
    const float* row = texels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4u;
    const double v = 0.5 + ((firstRow + y + 0.5) / n - 0.5) / kDialScale;
    for (int x = 0; x < width; ++x) {
      if (!(row[4 * x] > kLitRed)) continue;
      const double u = 0.5 + ((x + 0.5) / n - 0.5) / kDialScale;
      const double du = u - 0.5, dv = v - 0.5, r = std::hypot(du, dv);
      if (r + reach <= kRingInner || r - reach >= kRingOuter) continue;
      // Every sector the texel's reach overlaps.
      const double a = std::atan2(dv, du);
      const double within = kSector / 2.0 + std::asin(std::min(1.0, reach / r)) + kAngleSlack;
      const long j0 = std::lround(a / kSector);
      for (long j = j0 - 1; j <= j0 + 1; ++j) {
        if (Between(a, static_cast<double>(j) * kSector) < within)
          sectors[static_cast<unsigned>(SectorIndex(j))].Add(static_cast<float>(u - h), static_cast<float>(v - h),
                                                            static_cast<float>(u + h), static_cast<float>(v + h));
      }
    }
  }
}

int ChangingRegions(float hour, float minute, float second, int width, int height, const DialLitBoxes& dial,
                    float* out, int capacity) {
  if (width <= 0 || height <= 0) return 0;
  RegionWriter writer(width, height, out, capacity);
  const double angles[3] = {hour, minute, second};

  // Each hand's glow: within its width of its line, up to the rounded tip,
  // and a half-disc of the same radius behind the centre. The line leans
  // off the hand's direction (its far point is measured from the dial
  // origin), so the rectangle follows the line itself.
  for (int i = 0; i < 3; ++i) {
    const HandShape& hand = kHands[i];
    const double dx = hand.reach * std::cos(angles[i]) - 0.5, dy = hand.reach * std::sin(angles[i]) - 0.5;
    const double length = std::hypot(dx, dy);
    writer.AboutCentre(dx / length, dy / length, -hand.width, hand.tipStart + hand.width, -hand.width, hand.width);
  }

  // Marks within 3 degrees of a hand take its colour; only where a mark's
  // brightness is above 0 does its colour show.
  bool markDone[kMarks] = {};
  for (double angle : angles) {
    for (int k = 0; k < kMarks; ++k) {
      if (markDone[k] || Between(angle, k * kMarkStep) >= kMarkStep / 2.0 + kAngleSlack) continue;
      markDone[k] = true;
      const MarkShape& mark = k % 5 == 0 ? kBold : kNormal;
      const double across = std::min(mark.halfWidth, 1.0 / mark.falloff);
      const double radial = std::min(mark.halfLength, 1.0 / mark.falloff);
      const double inner = mark.centre - radial, outer = mark.centre + radial;
      const double a = k * kMarkStep;
      writer.AboutCentre(std::cos(a), std::sin(a), inner * std::cos(across), outer, -outer * std::sin(across),
                         outer * std::sin(across));
    }
  }

  // The hour and minute hands tint the lit dial in the sector of the 30
  // degree mark nearest to them; near half-way between two marks either
  // may be the one. Where a bold mark reaches into the ring its brightness
  // is below 0 (black), so only the dial picture can be tinted.
  bool sectorDone[kSectors] = {};
  for (int i = 0; i < 2; ++i) {
    const double q = angles[i] / kSector + 0.5;
    const double j = std::floor(q);
    const double fraction = q - j;
    for (double candidate : {j - 1.0, j, j + 1.0}) {
      const bool near = candidate == j || (candidate < j && fraction < kAngleSlack) ||
                        (candidate > j && fraction > 1.0 - kAngleSlack);
      const int index = SectorIndex(static_cast<long>(candidate));
      if (!near || sectorDone[index]) continue;
      sectorDone[index] = true;
      writer.Box(dial.Sector(index));
    }
  }
  return writer.Vertices();
}

namespace {

long Area(const PixelRect& r) { return static_cast<long>(r.width) * r.height; }

PixelRect Holding(const PixelRect& a, const PixelRect& b) {
  PixelRect r;
  r.x = std::min(a.x, b.x), r.y = std::min(a.y, b.y);
  r.width = std::max(a.x + a.width, b.x + b.width) - r.x;
  r.height = std::max(a.y + a.height, b.y + b.height) - r.y;
  return r;
}

// Joins pairs until no pair is worth joining; answers the new count.
int JoinOverlapping(PixelRect* rects, int count) {
  for (bool joined = true; joined;) {
    joined = false;
    for (int i = 0; i < count && !joined; ++i) {
      for (int j = i + 1; j < count; ++j) {
        const PixelRect both = Holding(rects[i], rects[j]);
        if (Area(both) > Area(rects[i]) + Area(rects[j])) continue;
        rects[i] = both;
        rects[j] = rects[--count];
        joined = true;
        break;
      }
    }
  }
  return count;
}

}  // namespace

int RegionPixelRects(const float* triangles, int vertices, int width, int height, PixelRect* out) {
  int count = 0;
  for (int first = 0; first + 6 <= vertices; first += 6) {
    double x0 = width, y0 = height, x1 = 0.0, y1 = 0.0;
    for (int i = first; i < first + 6; ++i) {
      const double x = (triangles[2 * i] + 1.0) * 0.5 * width, y = (triangles[2 * i + 1] + 1.0) * 0.5 * height;
      x0 = std::min(x0, x), x1 = std::max(x1, x);
      y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
    // A pixel is covered where its centre is; one pixel more each way
    // takes the float rounding of the corners.
    PixelRect r;
    r.x = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    r.y = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    r.width = std::min(width, static_cast<int>(std::ceil(x1)) + 1) - r.x;
    r.height = std::min(height, static_cast<int>(std::ceil(y1)) + 1) - r.y;
    if (r.width > 0 && r.height > 0) out[count++] = r;
  }
  return JoinOverlapping(out, count);
}

int JoinRects(PixelRect* rects, int count, const PixelRect* add, int addCount) {
  for (int i = 0; i < addCount; ++i) rects[count + i] = add[i];
  return JoinOverlapping(rects, count + addCount);
}

}  // namespace scene
