// Vector functions on objl::Vector3, in 32-bit float arithmetic. All of them
// return new values.
#pragma once

#include "model/ObjTypes.h"

namespace objl {

Vector3 Cross(const Vector3& a, const Vector3& b);
float Dot(const Vector3& a, const Vector3& b);
float Magnitude(const Vector3& a);

// Angle in radians, 0 to pi; NaN when either vector has no length.
float AngleBetween(const Vector3& a, const Vector3& b);

// Barycentric test: true when p (projected onto the triangle's plane) lies in
// the triangle, edges and corners included. A degenerate triangle contains
// no point.
bool PointInTriangle(const Vector3& p, const Vector3& t1, const Vector3& t2, const Vector3& t3);

}  // namespace objl
