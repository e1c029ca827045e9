// The model records: vectors, vertices, materials and meshes, plain values
// copied member by member.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace objl {

struct Vector2 {
  float x = 0.0f;
  float y = 0.0f;
};

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

// Exact equality of all three components (a NaN component never compares
// equal); corners of a face are told apart by this.
inline bool operator==(const Vector3& a, const Vector3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const Vector3& a, const Vector3& b) { return !(a == b); }
inline Vector3 operator-(const Vector3& a, const Vector3& b) {
  return Vector3{a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3 operator+(const Vector3& a, const Vector3& b) {
  return Vector3{a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3 operator*(const Vector3& a, float s) { return Vector3{a.x * s, a.y * s, a.z * s}; }
inline Vector2 operator-(const Vector2& a, const Vector2& b) { return Vector2{a.x - b.x, a.y - b.y}; }

struct Vertex {
  Vector3 position;
  Vector3 normal;
  Vector2 texCoord;
};

struct Material {
  std::string name;
  Vector3 ambient;
  Vector3 diffuse;
  Vector3 specular;
  float shininess = 0.0f;
  float opticalDensity = 0.0f;
  float dissolve = 0.0f;
  std::int32_t illumination = 0;
  std::string ambientMap;
  std::string diffuseMap;
  std::string specularMap;
  std::string shininessMap;
  std::string dissolveMap;
  std::string bumpMap;
};

struct Mesh {
  Mesh() = default;
  Mesh(const std::vector<Vertex>& vertexList, const std::vector<std::uint32_t>& indexList)
      : vertices(vertexList), indices(indexList) {}

  std::string name;
  std::vector<Vertex> vertices;
  std::vector<std::uint32_t> indices;  // positions in this mesh's own `vertices`
  Material material;
};

}  // namespace objl
