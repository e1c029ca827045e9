#include "model/Triangulate.h"

#include <cstddef>

#include "model/VectorMath.h"

namespace objl {
namespace {

constexpr double kDegreesPerRadian = 57.29577951307855;

// Walks the face and appends j once for each of c1, c2, c3 at the position of
// face[j]: for distinct positions this lists the triangle in face order,
// keeping the face's winding.
void EmitTriangle(const std::vector<Vertex>& face, const Vector3& c1, const Vector3& c2,
                  const Vector3& c3, std::vector<std::uint32_t>& out) {
  for (std::size_t j = 0; j < face.size(); ++j) {
    const Vector3& p = face[j].position;
    const std::uint32_t index = static_cast<std::uint32_t>(j);
    if (c1 == p) out.push_back(index);
    if (c2 == p) out.push_back(index);
    if (c3 == p) out.push_back(index);
  }
}

// The last four corners: (cur, prev, next), then (prev, next, the first
// corner whose position is none of theirs). When every corner repeats one of
// those three positions there is no fourth, and the second triangle is left
// out.
void SplitFour(const std::vector<Vertex>& face, const std::vector<Vertex>& rest, std::size_t i,
               std::vector<std::uint32_t>& out) {
  const Vector3 prev = rest[i == 0 ? rest.size() - 1 : i - 1].position;
  const Vector3 cur = rest[i].position;
  const Vector3 next = rest[i + 1 == rest.size() ? 0 : i + 1].position;
  EmitTriangle(face, cur, prev, next, out);
  for (const Vertex& v : rest) {
    if (v.position != cur && v.position != prev && v.position != next) {
      EmitTriangle(face, prev, next, v.position, out);
      return;
    }
  }
}

bool IsEar(const std::vector<Vertex>& face, const Vector3& prev, const Vector3& cur,
           const Vector3& next) {
  const double angle = AngleBetween(prev - cur, next - cur) * kDegreesPerRadian;
  // Straight and folded-back corners are never ears; a NaN angle (a corner
  // sharing its neighbour's position) passes on to the containment test.
  if (angle <= 0.0 || angle >= 180.0) return false;
  for (const Vertex& v : face) {
    const Vector3& p = v.position;
    if (PointInTriangle(p, prev, cur, next) && p != prev && p != cur && p != next) return false;
  }
  return true;
}

}  // namespace

void TriangulateFace(const std::vector<Vertex>& face, std::vector<std::uint32_t>& out) {
  if (face.size() < 3) return;
  if (face.size() == 3) {
    out.push_back(0);
    out.push_back(1);
    out.push_back(2);
    return;
  }
  // One walk over the corners still to be cut, restarted from the front
  // after every ear. When a full walk finds no ear, a further one would see
  // the same polygon and find none either, so that is where clipping ends.
  std::vector<Vertex> rest = face;
  std::size_t i = 0;
  while (i < rest.size()) {
    if (rest.size() == 4) {
      SplitFour(face, rest, i, out);
      return;
    }
    const Vector3 prev = rest[i == 0 ? rest.size() - 1 : i - 1].position;
    const Vector3 cur = rest[i].position;
    const Vector3 next = rest[i + 1 == rest.size() ? 0 : i + 1].position;
    if (!IsEar(face, prev, cur, next)) {
      ++i;
      continue;
    }
    EmitTriangle(face, cur, prev, next, out);
    // Remove the first corner at cur's position (the corner itself when its
    // position equals nothing, as a NaN does).
    std::size_t cut = i;
    for (std::size_t k = 0; k < rest.size(); ++k) {
      if (rest[k].position == cur) {
        cut = k;
        break;
      }
    }
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(cut));
    i = 0;
  }
}

}  // namespace objl
