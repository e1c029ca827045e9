// Where a frame of the clock can differ from the static layer (the picture
// without hands, highlights and tints): each hand's glow, the tick marks
// within 3 degrees of a hand, and the lit parts of the dial in the two
// tinted hour sectors. Plain geometry, no OpenGL.
//
// Dial coordinates (u, v) run from 0 to 1 across the centred square, v
// upward; angles are radians, 0 at 3 o'clock, counter-clockwise.
#pragma once

#include <array>

#include "scene/ClockGeometry.h"

namespace scene {

constexpr int kMarks = static_cast<int>(kMarkCount), kSectors = static_cast<int>(kSectorCount);

// A box in dial coordinates; empty until something is added.
struct DialBox {
  float u0 = 1.0f, v0 = 1.0f, u1 = 0.0f, v1 = 0.0f;
  bool Empty() const { return u0 > u1 || v0 > v1; }
  void Add(float ua, float va, float ub, float vb);
};

// For each 30 degree sector (index j: the sector about the mark at angle
// j * 30 degrees, j = 0 the 3 o'clock one), the box of the dial points
// between radii 0.30 and 0.45 where the dial picture, sampled with linear
// filtering, can have red above 0.01: what a sector tint can change.
// Learnt once from the dial texture's texels as they are uploaded.
class DialLitBoxes {
 public:
  // `side`: the dial texture's width and height in texels.
  explicit DialLitBoxes(int side) : side(side) {}

  // A band of texels (red, green, blue, alpha floats), `rows` rows of
  // `width` from row `firstRow` (0 at the bottom); the BitmapTexture
  // observer's arguments.
  void AddBand(int firstRow, int rows, int width, const float* texels);

  const DialBox& Sector(int j) const { return sectors[static_cast<unsigned>(j % kSectors)]; }

 private:
  int side;
  std::array<DialBox, kSectors> sectors;
};

// Appends to `out` two triangles per region (clip-space x, y pairs, so 12
// floats a region) covering, with a margin of a few pixels, every pixel of
// a width x height viewport whose colour with the hands at these angles can
// differ from the static layer's. Answers the number of vertices written;
// `capacity` (in floats) of kMaxRegionFloats is always enough; a region
// that does not fit ends the process (a fault in this count, never a
// silent gap in the picture).
// Three hands, two marks a hand at most, two sectors for each of the hour
// and minute hands at most (the second hand tints nothing).
constexpr int kMaxRegions = 3 + 6 + 4;
constexpr int kMaxRegionFloats = kMaxRegions * 12;
int ChangingRegions(float hour, float minute, float second, int width, int height, const DialLitBoxes& dial,
                    float* out, int capacity);

// A rectangle of a viewport's pixels, x and y from the bottom left.
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The pixels of each region of `triangles` (`vertices` of them, as
// ChangingRegions writes them): the rectangle, within the width x height
// viewport, holding every pixel the region's two triangles cover. Empty
// ones are left out; answers how many were written (at most vertices / 6),
// rectangles that overlap so much that one holding both is no larger than
// the two apart joined into one.
int RegionPixelRects(const float* triangles, int vertices, int width, int height, PixelRect* out);

// Appends `add` to the `count` rectangles of `rects` (room for
// count + addCount) and joins them as RegionPixelRects does; answers the
// new count.
int JoinRects(PixelRect* rects, int count, const PixelRect* add, int addCount);

}  // namespace scene
