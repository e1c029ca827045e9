#include "scene/SceneMath.h"

#include <cmath>

namespace scene {

Vec3 operator+(const Vec3& a, const Vec3& b) { return Vec3(a.x + b.x, a.y + b.y, a.z + b.z); }
Vec3 operator-(const Vec3& a, const Vec3& b) { return Vec3(a.x - b.x, a.y - b.y, a.z - b.z); }
Vec3 operator-(const Vec3& a) { return Vec3(-a.x, -a.y, -a.z); }
Vec3 operator*(const Vec3& a, float s) { return Vec3(a.x * s, a.y * s, a.z * s); }
Vec3 operator*(float s, const Vec3& a) { return a * s; }

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }

Vec3 Normalize(const Vec3& a) {
  const float length = Length(a);
  return Vec3(a.x / length, a.y / length, a.z / length);
}

Mat4::Mat4() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Mat4::Mat4(const Vec4& c0, const Vec4& c1, const Vec4& c2, const Vec4& c3)
    : m{c0.x, c0.y, c0.z, c0.w, c1.x, c1.y, c1.z, c1.w, c2.x, c2.y, c2.z, c2.w, c3.x, c3.y, c3.z, c3.w} {}

Mat4 operator*(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int c = 0; c < 4; ++c) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.at(row, k) * b.at(k, c);
      r.at(row, c) = sum;
    }
  }
  return r;
}

Vec4 operator*(const Mat4& a, const Vec4& v) {
  const float in[4] = {v.x, v.y, v.z, v.w};
  float out[4];
  for (int row = 0; row < 4; ++row) {
    out[row] = 0.0f;
    for (int k = 0; k < 4; ++k) out[row] += a.at(row, k) * in[k];
  }
  return Vec4(out[0], out[1], out[2], out[3]);
}

Mat4 Perspective(float fovyDegrees, float aspect, float zNear, float zFar) {
  const float t = std::tan(radians(0.5f * fovyDegrees));
  return Mat4(Vec4(1.0f / t / aspect, 0, 0, 0), Vec4(0, 1.0f / t, 0, 0),
              Vec4(0, 0, (zNear + zFar) / (zNear - zFar), -1.0f),
              Vec4(0, 0, 2.0f * zNear * zFar / (zNear - zFar), 0));
}

Mat4 Translation(float x, float y, float z) {
  return Mat4(Vec4(1, 0, 0, 0), Vec4(0, 1, 0, 0), Vec4(0, 0, 1, 0), Vec4(x, y, z, 1));
}

Mat4 LookAt(const Vec3& eye, const Vec3& target, const Vec3& up) {
  const Vec3 f = Normalize(target - eye);
  const Vec3 u0 = Normalize(up);
  const Vec3 s = Cross(f, u0);
  const Vec3 u = Cross(s, f);
  const Mat4 rotation(Vec4(s.x, u.x, -f.x, 0), Vec4(s.y, u.y, -f.y, 0), Vec4(s.z, u.z, -f.z, 0),
                      Vec4(0, 0, 0, 1));
  return rotation * Translation(-eye.x, -eye.y, -eye.z);
}

}  // namespace scene
