// Drawable objects: a model read from OBJ and MTL text resources, held in
// OpenGL buffers and drawn with one registered shader program.
//
// The vertex record is 24 floats (96 bytes): position 0-2, texture
// coordinate 3-4, normal 5-7, tangent 8-10, bitangent 11-13, ambient 14-16,
// diffuse 17-19, specular colour 20-22 and exponent 23.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "gl/gl_api.h"
#include "scene/SceneMath.h"

class Camera;
class ModelArrays;
class ProgramRegistry;
class SceneState;

// The model's CPU-side copy in interleaved vertex records.
class InterleavedMesh {
 public:
  // From the model resources; a model that cannot be read ends the process.
  InterleavedMesh(std::uint32_t objId, std::uint32_t mtlId, float scale);
  // From baked resources: the raw bytes of a vertex dump and an index dump,
  // as "TEXTFILE" resources. A missing or short resource leaves the mesh
  // empty (no vertices, no indices) after a "Debug" box naming it, and
  // indices beyond the vertices are dropped the same way.
  InterleavedMesh(std::uint16_t vertexResourceId, int vertexCount, std::uint16_t indexResourceId, int indexCount);
  ~InterleavedMesh();
  InterleavedMesh(const InterleavedMesh&) = delete;
  InterleavedMesh& operator=(const InterleavedMesh&) = delete;

  void Build();

  const float* GetVertexData() const { return vertices; }
  int GetVertexBytes() const { return vertexCount * floatsPerVertex * 4; }
  int GetFloatsPerVertex() const { return floatsPerVertex; }
  const std::uint32_t* GetIndexData() const { return indices; }
  int GetIndexBytes() const { return indexCount * 4; }
  int GetIndexCount() const { return indexCount; }
  int GetVertexCount() const { return vertexCount; }

  float* vertices = nullptr;
  int floatsPerVertex = 24;
  int positionOffset = 0, texCoordOffset = 3, normalOffset = 5, tangentOffset = 8, bitangentOffset = 11,
      ambientOffset = 14, diffuseOffset = 17, specularOffset = 20;
  std::uint32_t* indices = nullptr;
  ModelArrays* modelArrays = nullptr;
  int vertexCount = 0;
  int indexCount = 0;
  int ownsModel = 0;
};

// The buffer objects of a drawable and its table of vertex attributes.
class VertexBuffers {
 public:
  explicit VertexBuffers(ProgramRegistry* registry);
  ~VertexBuffers();
  VertexBuffers(const VertexBuffers&) = delete;
  VertexBuffers& operator=(const VertexBuffers&) = delete;

  void SetVertexData(int bytes, const float* data, int floatsPerVertex);
  void SetIndexData(int bytes, const std::uint32_t* data, int indexCount);
  // Records an attribute of the named program; a name already recorded
  // keeps its first entry.
  void AddAttribute(const char* programName, const char* attribute, int components, int offsetFloats);
  void Bind();
  void EnableAttributes();
  void BindAttributes();
  void Upload();
  void Update();
  int GetIndexCount() const { return indexCount; }

  ProgramRegistry* registry;
  GLuint vertexBuffer = 0;
  GLuint indexBuffer = 0;
  const float* vertexData = nullptr;
  int vertexBytes = 0;
  int floatsPerVertex = 24;
  std::map<std::string, GLint> attribLocations;
  std::map<std::string, int> attribSizes;
  std::map<std::string, int> attribOffsets;
  const std::uint32_t* indexData = nullptr;
  int indexBytes = 0;
  int indexCount = 0;
};

// A model drawn with a registered program. Subclasses declare its
// attributes and set their own uniforms.
class GLFWDrawableObject {
 public:
  GLFWDrawableObject(SceneState* sceneState, Camera* camera, ProgramRegistry* registry, const char* programName,
                     std::uint32_t objId, std::uint32_t mtlId, float scale);
  GLFWDrawableObject(SceneState* sceneState, Camera* camera, ProgramRegistry* registry, const char* programName,
                     std::uint16_t vertexResourceId, int vertexCount, std::uint16_t indexResourceId, int indexCount);
  ~GLFWDrawableObject();  // not virtual: drawables are never deleted through the base
  GLFWDrawableObject(const GLFWDrawableObject&) = delete;
  GLFWDrawableObject& operator=(const GLFWDrawableObject&) = delete;

  virtual void DeclareAttributes() = 0;
  virtual void SetUniforms() = 0;
  virtual void PreDraw() = 0;

  void Init();
  void Draw();
  // The draw sequence over other triangles than the model's: `vertexCount`
  // vertices of clip-space x, y pairs from `buffer`, fed to the attribute
  // `positionAttribute`, with the model's other attribute arrays switched
  // off for the draw (Draw switches them on again).
  void DrawTriangles(const char* positionAttribute, GLuint buffer, int vertexCount);
  void SetModel(scene::Mat4 matrix) { model = matrix; }
  void SetMatrices();
  void DumpBuffers();

  SceneState* sceneState;
  ProgramRegistry* registry;
  InterleavedMesh* mesh = nullptr;
  VertexBuffers* buffers = nullptr;
  Camera* camera;
  const char* programName;
  scene::Mat4 model;

 protected:
  // Location of a uniform of this drawable's program (-1 when it has none).
  GLint Uniform(const char* name);

 private:
  void ConnectBuffers();
};

// The clock's screen-filling rectangle, which sends the hand angles, the
// time and the viewport size to the clock face shaders.
class GLFWDrawableSky : public GLFWDrawableObject {
 public:
  GLFWDrawableSky(SceneState* sceneState, Camera* camera, ProgramRegistry* registry, const char* programName,
                  std::uint32_t objId, std::uint32_t mtlId, float scale);

  void SetAngles(float s, float m, float h) {
    second = s;
    minute = m;
    hour = h;
  }
  void DeclareAttributes() override;
  void SetUniforms() override;
  void PreDraw() override {}
  // The picture over part of the viewport only: the given triangles
  // (clip-space x, y pairs). The fragment shader works from the window
  // position alone, so those pixels come out as Draw makes them.
  void DrawOver(GLuint buffer, int vertexCount) { DrawTriangles("position", buffer, vertexCount); }

  float second = 0.0f;
  float minute = 0.0f;
  float hour = 0.0f;
};

// Writes `length` bytes to `path` (created or truncated, no newline
// translation). True when the stream was still good after closing.
bool WriteBinaryFile(const char* path, const void* bytes, std::size_t length);
