// A model read from OBJ and MTL text resources, flattened into plain arrays
// for the drawable's interleaved mesh: one entry per face corner (vertices
// are never merged), unit normals, a tangent frame per vertex, the owning
// mesh's material colours, and a triangle index list.
#pragma once

#include <cstdint>

class ModelArrays {
 public:
  // Stores `scale` and runs Load. Returns only with every array filled: a
  // model that cannot be read ends the process inside.
  ModelArrays(unsigned objResourceId, unsigned mtlResourceId, float scale);
  ~ModelArrays();
  ModelArrays(const ModelArrays&) = delete;
  ModelArrays& operator=(const ModelArrays&) = delete;

  // Reads and flattens the model; when it cannot be read, shows "Failed to
  // load mesh" (title "Debug"), terminates GLFW and exits with status 0.
  void Load(unsigned objResourceId, unsigned mtlResourceId, float scale);

  // The same read without ending the process: nullptr when the model cannot
  // be read (for tools and fuzzing).
  static ModelArrays* TryCreate(unsigned objResourceId, unsigned mtlResourceId, float scale);

  std::int32_t GetVertexCount() const { return vertexCount; }
  std::int32_t GetIndexCount() const { return indexCount; }

  float* positions = nullptr;        // 3 per vertex, position x scale
  float* texCoords = nullptr;        // 2 per vertex
  float* normals = nullptr;          // 3 per vertex, unit length; (0, 0, 0) when the normal has no length
  float* tangents = nullptr;         // 3 per vertex, unit; (0, 0, 0) when no triangle defines one
  float* bitangents = nullptr;       // 3 per vertex, likewise
  float* ambientColors = nullptr;    // 3 per vertex
  float* diffuseColors = nullptr;    // 3 per vertex
  float* specularColors = nullptr;   // 4 per vertex: specular x, y, z, shininess
  std::uint32_t* indices = nullptr;  // triangle list, every index below vertexCount
  std::int32_t vertexCount = 0;
  std::int32_t indexCount = 0;       // a multiple of 3
  float scale = 1.0f;

 private:
  explicit ModelArrays(float modelScale) : scale(modelScale) {}
  // Load's work; false (arrays released) when the text cannot be read or
  // gives no triangle.
  bool TryLoad(unsigned objResourceId, unsigned mtlResourceId, float modelScale);
  void Release();
  void WriteTangentFrames();
};
