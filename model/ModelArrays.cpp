#include "model/ModelArrays.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#include "model/ObjReader.h"
#include "platform/message_box.h"

namespace {

// `v` scaled to unit length; (0, 0, 0) when it has no finite, non-zero
// length. The length is taken in double so large components do not overflow.
bool UnitVector(const objl::Vector3& v, objl::Vector3* out) {
  const double x = v.x, y = v.y, z = v.z;
  const double length = std::sqrt(x * x + y * y + z * z);
  if (!(length > 0.0) || !std::isfinite(length)) {
    *out = objl::Vector3{};
    return false;
  }
  *out = objl::Vector3{static_cast<float>(x / length), static_cast<float>(y / length),
                       static_cast<float>(z / length)};
  return true;
}

void Put3(float* array, std::size_t i, const objl::Vector3& v) {
  array[3 * i] = v.x;
  array[3 * i + 1] = v.y;
  array[3 * i + 2] = v.z;
}

objl::Vector3 Get3(const float* array, std::size_t i) {
  return objl::Vector3{array[3 * i], array[3 * i + 1], array[3 * i + 2]};
}

}  // namespace

ModelArrays::ModelArrays(unsigned objResourceId, unsigned mtlResourceId, float modelScale)
    : scale(modelScale) {
  Load(objResourceId, mtlResourceId, modelScale);
}

ModelArrays::~ModelArrays() { Release(); }

void ModelArrays::Load(unsigned objResourceId, unsigned mtlResourceId, float modelScale) {
  if (TryLoad(objResourceId, mtlResourceId, modelScale)) return;
  platform::ShowMessageBox("Failed to load mesh", "Debug", platform::MessageIcon::Information);
  glfwTerminate();
  std::exit(0);
}

ModelArrays* ModelArrays::TryCreate(unsigned objResourceId, unsigned mtlResourceId, float modelScale) {
  ModelArrays* model = new ModelArrays(modelScale);
  if (model->TryLoad(objResourceId, mtlResourceId, modelScale)) return model;
  delete model;
  return nullptr;
}

void ModelArrays::Release() {
  delete[] positions;
  delete[] texCoords;
  delete[] normals;
  delete[] tangents;
  delete[] bitangents;
  delete[] ambientColors;
  delete[] diffuseColors;
  delete[] specularColors;
  delete[] indices;
  positions = texCoords = normals = tangents = bitangents = nullptr;
  ambientColors = diffuseColors = specularColors = nullptr;
  indices = nullptr;
  vertexCount = indexCount = 0;
}

bool ModelArrays::TryLoad(unsigned objResourceId, unsigned mtlResourceId, float modelScale) {
  Release();
  scale = modelScale;
  ObjReader reader;
  if (!reader.ReadObj(objResourceId, mtlResourceId)) return false;
  // Corners that formed no triangle close no mesh: with no mesh there is
  // nothing to draw, which is a model that cannot be used either.
  if (reader.meshes.empty()) return false;

  std::size_t vertexTotal = 0, indexTotal = 0;
  for (const objl::Mesh& mesh : reader.meshes) {
    for (std::uint32_t index : mesh.indices) {
      if (index >= mesh.vertices.size()) return false;
    }
    vertexTotal += mesh.vertices.size();
    indexTotal += mesh.indices.size();
  }
  // Four floats a vertex at most: keep every array size within int range.
  const std::size_t limit = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 4);
  if (vertexTotal > limit || indexTotal > limit) return false;

  try {
    positions = new float[3 * vertexTotal]();
    texCoords = new float[2 * vertexTotal]();
    normals = new float[3 * vertexTotal]();
    tangents = new float[3 * vertexTotal]();
    bitangents = new float[3 * vertexTotal]();
    ambientColors = new float[3 * vertexTotal]();
    diffuseColors = new float[3 * vertexTotal]();
    specularColors = new float[4 * vertexTotal]();
    indices = new std::uint32_t[indexTotal]();
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  vertexCount = static_cast<std::int32_t>(vertexTotal);
  indexCount = static_cast<std::int32_t>(indexTotal);

  std::size_t base = 0, indexBase = 0;
  for (const objl::Mesh& mesh : reader.meshes) {
    const objl::Material& m = mesh.material;
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
      const objl::Vertex& v = mesh.vertices[i];
      const std::size_t at = base + i;
      Put3(positions, at, v.position * modelScale);
      objl::Vector3 normal;
      UnitVector(v.normal, &normal);
      Put3(normals, at, normal);
      texCoords[2 * at] = v.texCoord.x;
      texCoords[2 * at + 1] = v.texCoord.y;
      Put3(ambientColors, at, m.ambient);
      Put3(diffuseColors, at, m.diffuse);
      specularColors[4 * at] = m.specular.x;
      specularColors[4 * at + 1] = m.specular.y;
      specularColors[4 * at + 2] = m.specular.z;
      specularColors[4 * at + 3] = m.shininess;
    }
    for (std::size_t j = 0; j < mesh.indices.size(); ++j) {
      indices[indexBase + j] = static_cast<std::uint32_t>(base + mesh.indices[j]);
    }
    base += mesh.vertices.size();
    indexBase += mesh.indices.size();
  }
  WriteTangentFrames();
  return true;
}

// Each triangle writes its tangent and bitangent at its three corners; a
// vertex shared by several triangles keeps the last one's, unaveraged. A
// triangle whose texture coordinates span no area (or whose frame has no
// length) defines no frame and writes nothing.
void ModelArrays::WriteTangentFrames() {
  for (std::int32_t k = 0; k + 2 < indexCount; k += 3) {
    const std::uint32_t a = indices[k], b = indices[k + 1], c = indices[k + 2];
    const objl::Vector3 pa = Get3(positions, a);
    const objl::Vector3 e1 = Get3(positions, b) - pa;
    const objl::Vector3 e2 = Get3(positions, c) - pa;
    const objl::Vector2 ta{texCoords[2 * a], texCoords[2 * a + 1]};
    const objl::Vector2 d1 = objl::Vector2{texCoords[2 * b], texCoords[2 * b + 1]} - ta;
    const objl::Vector2 d2 = objl::Vector2{texCoords[2 * c], texCoords[2 * c + 1]} - ta;
    const float area = d1.x * d2.y - d2.x * d1.y;
    if (area == 0.0f) continue;
    const float r = 1.0f / area;
    if (!std::isfinite(r)) continue;
    objl::Vector3 tangent, bitangent;
    if (!UnitVector((e1 * d2.y - e2 * d1.y) * r, &tangent) ||
        !UnitVector((e2 * d1.x - e1 * d2.x) * r, &bitangent)) {
      continue;
    }
    for (std::uint32_t corner : {a, b, c}) {
      Put3(tangents, corner, tangent);
      Put3(bitangents, corner, bitangent);
    }
  }
}
