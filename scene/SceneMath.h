// Single-precision vector and matrix types of the scene and the camera.
//
// Mat4 is stored column-major (element (row r, column c) is m[4 * c + r]),
// the layout glUniformMatrix4fv takes with its transpose flag false.
#pragma once

namespace scene {

// Degrees to radians, with the factor the scene has always used.
constexpr float kRadiansPerDegree = 0.017453292f;
inline float radians(float degrees) { return degrees * kRadiansPerDegree; }

struct Vec3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  Vec3() = default;
  Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

// Made without values it is zero; callers must not rely on that.
struct Vec4 {
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
  Vec4() = default;
  Vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a);
Vec3 operator*(const Vec3& a, float s);
Vec3 operator*(float s, const Vec3& a);
Vec3 Cross(const Vec3& a, const Vec3& b);
float Dot(const Vec3& a, const Vec3& b);
float Length(const Vec3& a);
// Divides by the length without a guard: a zero vector gives NaNs.
Vec3 Normalize(const Vec3& a);

struct Mat4 {
  float m[16];  // column-major

  Mat4();  // identity
  Mat4(const Vec4& c0, const Vec4& c1, const Vec4& c2, const Vec4& c3);

  float& at(int row, int column) { return m[4 * column + row]; }
  float at(int row, int column) const { return m[4 * column + row]; }
  Vec4 Column(int c) const { return Vec4(m[4 * c], m[4 * c + 1], m[4 * c + 2], m[4 * c + 3]); }
  const float* Data() const { return m; }
};

Mat4 operator*(const Mat4& a, const Mat4& b);
Vec4 operator*(const Mat4& a, const Vec4& v);

// Vertical field of view in degrees; OpenGL's clip-space convention.
Mat4 Perspective(float fovyDegrees, float aspect, float zNear, float zFar);
Mat4 Translation(float x, float y, float z);
// Rows s, u, -f of the rotation, then a move of the eye to the origin.
Mat4 LookAt(const Vec3& eye, const Vec3& target, const Vec3& up);

}  // namespace scene
