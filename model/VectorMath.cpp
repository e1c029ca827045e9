#include "model/VectorMath.h"

#include <cmath>

namespace objl {

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float Magnitude(const Vector3& a) {
  return std::sqrt(std::pow(a.x, 2.0f) + std::pow(a.y, 2.0f) + std::pow(a.z, 2.0f));
}

float AngleBetween(const Vector3& a, const Vector3& b) {
  const float lengths = Magnitude(a) * Magnitude(b);
  if (lengths == 0.0f) return std::nanf("");
  return std::acos(Dot(a, b) / lengths);
}

static bool InUnitRange(float w) { return w >= 0.0f && w <= 1.0f; }

bool PointInTriangle(const Vector3& p, const Vector3& t1, const Vector3& t2, const Vector3& t3) {
  const Vector3 u = t2 - t1;
  const Vector3 v = t3 - t1;
  const Vector3 w = p - t1;
  const Vector3 n = Cross(u, v);
  const float nn = Dot(n, n);
  if (nn == 0.0f) return false;
  const float gamma = Dot(Cross(u, w), n) / nn;  // weight of t3
  const float beta = Dot(Cross(w, v), n) / nn;   // weight of t2
  const float alpha = 1.0f - gamma - beta;       // weight of t1
  return InUnitRange(alpha) && InUnitRange(beta) && InUnitRange(gamma);
}

}  // namespace objl
