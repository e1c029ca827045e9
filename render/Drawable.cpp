#include "render/Drawable.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "gl/GLEntryPoints.h"
#include "model/ModelArrays.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "render/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/SceneState.h"

namespace {

void DebugBox(const char* text) { platform::ShowMessageBox(text, "Debug", platform::MessageIcon::Information); }

// Copies `bytes` bytes of "TEXTFILE" `id` into `out`. False, after a box,
// when the resource is missing or shorter.
bool CopyBakedResource(std::uint16_t id, void* out, std::size_t bytes) {
  platform::ResourceData data;
  char text[128];
  if (!platform::FindResourceData("TEXTFILE", id, &data)) {
    std::snprintf(text, sizeof text, "Baked mesh resource %u is missing", static_cast<unsigned>(id));
    DebugBox(text);
    return false;
  }
  if (data.size < bytes) {
    std::snprintf(text, sizeof text, "Baked mesh resource %u holds %zu bytes, %zu expected", static_cast<unsigned>(id),
                  data.size, bytes);
    DebugBox(text);
    return false;
  }
  if (bytes) std::memcpy(out, data.bytes, bytes);
  return true;
}

}  // namespace

// ---------------------------------------------------------------- mesh

InterleavedMesh::InterleavedMesh(std::uint32_t objId, std::uint32_t mtlId, float scale) {
  modelArrays = new ModelArrays(objId, mtlId, scale);
  ownsModel = 1;
  Build();
}

InterleavedMesh::InterleavedMesh(std::uint16_t vertexResourceId, int vCount, std::uint16_t indexResourceId,
                                 int iCount) {
  if (vCount < 0 || iCount < 0 || vCount > (1 << 24) || iCount > (1 << 26)) {
    DebugBox("Baked mesh counts out of range");
    return;
  }
  float* v = new float[static_cast<std::size_t>(vCount) * 24];
  std::uint32_t* ix = new std::uint32_t[static_cast<std::size_t>(iCount)];
  bool ok = CopyBakedResource(vertexResourceId, v, static_cast<std::size_t>(vCount) * 96) &&
            CopyBakedResource(indexResourceId, ix, static_cast<std::size_t>(iCount) * 4);
  for (int k = 0; ok && k < iCount; ++k) {
    if (ix[k] >= static_cast<std::uint32_t>(vCount)) {
      DebugBox("Baked mesh index beyond its vertices");
      ok = false;
    }
  }
  if (!ok) {
    delete[] v;
    delete[] ix;
    return;
  }
  vertices = v;
  indices = ix;
  vertexCount = vCount;
  indexCount = iCount;
}

InterleavedMesh::~InterleavedMesh() {
  delete[] vertices;
  delete[] indices;
  if (ownsModel == 1) delete modelArrays;
}

void InterleavedMesh::Build() {
  vertexCount = modelArrays->GetVertexCount();
  indexCount = modelArrays->GetIndexCount();
  vertices = new float[static_cast<std::size_t>(vertexCount) * floatsPerVertex];
  indices = new std::uint32_t[static_cast<std::size_t>(indexCount)];
  const ModelArrays& m = *modelArrays;
  for (int i = 0; i < vertexCount; ++i) {
    float* r = vertices + static_cast<std::size_t>(i) * floatsPerVertex;
    std::memcpy(r + positionOffset, &m.positions[3 * i], 3 * sizeof(float));
    std::memcpy(r + texCoordOffset, &m.texCoords[2 * i], 2 * sizeof(float));
    std::memcpy(r + normalOffset, &m.normals[3 * i], 3 * sizeof(float));
    std::memcpy(r + tangentOffset, &m.tangents[3 * i], 3 * sizeof(float));
    std::memcpy(r + bitangentOffset, &m.bitangents[3 * i], 3 * sizeof(float));
    std::memcpy(r + ambientOffset, &m.ambientColors[3 * i], 3 * sizeof(float));
    std::memcpy(r + diffuseOffset, &m.diffuseColors[3 * i], 3 * sizeof(float));
    std::memcpy(r + specularOffset, &m.specularColors[4 * i], 4 * sizeof(float));
  }
  for (int k = 0; k < indexCount; ++k) indices[k] = m.indices[k];
}

// ---------------------------------------------------------------- buffers

VertexBuffers::VertexBuffers(ProgramRegistry* r) : registry(r) {
  glGenBuffers(1, &vertexBuffer);
  glGenBuffers(1, &indexBuffer);
}

VertexBuffers::~VertexBuffers() {
  glDeleteBuffers(1, &vertexBuffer);
  glDeleteBuffers(1, &indexBuffer);
}

void VertexBuffers::SetVertexData(int bytes, const float* data, int perVertex) {
  vertexBytes = bytes;
  vertexData = data;
  floatsPerVertex = perVertex;
}

void VertexBuffers::SetIndexData(int bytes, const std::uint32_t* data, int count) {
  indexBytes = bytes;
  indexData = data;
  indexCount = count;
}

void VertexBuffers::AddAttribute(const char* programName, const char* attribute, int components, int offsetFloats) {
  ShaderProgram* program = registry->Find(programName);
  const GLint location = program ? program->AttribLocation(attribute) : -1;
  attribLocations.emplace(attribute, location);
  attribSizes.emplace(attribute, components);
  attribOffsets.emplace(attribute, offsetFloats);
}

void VertexBuffers::Bind() {
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
}

void VertexBuffers::EnableAttributes() {
  for (const auto& entry : attribLocations) {  // ascending name order
    const GLint location = entry.second;
    // Inactive attributes have no location; OpenGL would reject -1 anyway.
    if (location < 0) continue;
    const int components = attribSizes.at(entry.first);
    const int offset = attribOffsets.at(entry.first);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, floatsPerVertex * 4,
                          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset) * 4));
  }
}

void VertexBuffers::BindAttributes() {
  Bind();
  EnableAttributes();
}

void VertexBuffers::Upload() {
  BindAttributes();
  glBufferData(GL_ARRAY_BUFFER, vertexBytes, vertexData, GL_STATIC_DRAW);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, indexBytes, indexData, GL_STATIC_DRAW);
}

void VertexBuffers::Update() {
  Bind();
  glBufferSubData(GL_ARRAY_BUFFER, 0, vertexBytes, vertexData);
  glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, indexBytes, indexData);
}

// ---------------------------------------------------------------- drawables

GLFWDrawableObject::GLFWDrawableObject(SceneState* s, Camera* c, ProgramRegistry* r, const char* name,
                                       std::uint32_t objId, std::uint32_t mtlId, float scale)
    : sceneState(s), registry(r), camera(c), programName(name) {
  mesh = new InterleavedMesh(objId, mtlId, scale);
  ConnectBuffers();
}

GLFWDrawableObject::GLFWDrawableObject(SceneState* s, Camera* c, ProgramRegistry* r, const char* name,
                                       std::uint16_t vertexResourceId, int vertexCount,
                                       std::uint16_t indexResourceId, int indexCount)
    : sceneState(s), registry(r), camera(c), programName(name) {
  mesh = new InterleavedMesh(vertexResourceId, vertexCount, indexResourceId, indexCount);
  ConnectBuffers();
}

void GLFWDrawableObject::ConnectBuffers() {
  buffers = new VertexBuffers(registry);
  buffers->SetVertexData(mesh->GetVertexBytes(), mesh->GetVertexData(), mesh->GetFloatsPerVertex());
  buffers->SetIndexData(mesh->GetIndexBytes(), mesh->GetIndexData(), mesh->GetIndexCount());
}

GLFWDrawableObject::~GLFWDrawableObject() {
  delete mesh;
  delete buffers;
}

void GLFWDrawableObject::Init() {
  DeclareAttributes();
  buffers->Upload();
}

GLint GLFWDrawableObject::Uniform(const char* name) {
  ShaderProgram* program = registry->Find(programName);
  return program ? program->UniformLocation(name) : -1;
}

void GLFWDrawableObject::SetMatrices() {
  const scene::Mat4 v = camera->View();
  const scene::Mat4 p = camera->Projection();
  const scene::Mat4 worldProjection = p * v;
  const scene::Mat4 modelProjection = worldProjection * model;
  glUniformMatrix4fv(Uniform("model_world"), 1, GL_FALSE, model.Data());
  glUniformMatrix4fv(Uniform("world_projection"), 1, GL_FALSE, worldProjection.Data());
  glUniformMatrix4fv(Uniform("model_projection"), 1, GL_FALSE, modelProjection.Data());
}

void GLFWDrawableObject::Draw() {
  registry->Use(programName);
  PreDraw();
  SetMatrices();
  SetUniforms();
  buffers->BindAttributes();
  glDrawElements(GL_TRIANGLES, buffers->GetIndexCount(), GL_UNSIGNED_INT, nullptr);
}

void GLFWDrawableObject::DrawTriangles(const char* positionAttribute, GLuint buffer, int vertexCount) {
  registry->Use(programName);
  PreDraw();
  SetMatrices();
  SetUniforms();
  GLint position = -1;
  for (const auto& entry : buffers->attribLocations) {
    if (entry.first == positionAttribute) position = entry.second;
    else if (entry.second >= 0) glDisableVertexAttribArray(static_cast<GLuint>(entry.second));
  }
  if (position < 0) return;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glEnableVertexAttribArray(static_cast<GLuint>(position));
  glVertexAttribPointer(static_cast<GLuint>(position), 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glDrawArrays(GL_TRIANGLES, 0, vertexCount);
}

void GLFWDrawableObject::DumpBuffers() {
  WriteBinaryFile("GLFWDrawableObject_data.bin", mesh->GetVertexData(), static_cast<std::size_t>(mesh->GetVertexBytes()));
  WriteBinaryFile("GLFWDrawableObject_index.bin", mesh->GetIndexData(), static_cast<std::size_t>(mesh->GetIndexBytes()));
}

bool WriteBinaryFile(const char* path, const void* bytes, std::size_t length) {
  std::ofstream out(path, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!out) return false;
  if (length) out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(length));
  out.close();
  return out.good();
}

GLFWDrawableSky::GLFWDrawableSky(SceneState* s, Camera* c, ProgramRegistry* r, const char* name, std::uint32_t objId,
                                 std::uint32_t mtlId, float scale)
    : GLFWDrawableObject(s, c, r, name, objId, mtlId, scale) {}

void GLFWDrawableSky::DeclareAttributes() {
  buffers->AddAttribute(programName, "position", 3, 0);
  buffers->AddAttribute(programName, "position_tex", 2, 3);
  buffers->AddAttribute(programName, "position_normal", 3, 5);
}

void GLFWDrawableSky::SetUniforms() {
  glUniform1f(Uniform("psecond"), second);
  glUniform1f(Uniform("pminute"), minute);
  glUniform1f(Uniform("phour"), hour);
  glUniform1f(Uniform("iTime"), sceneState->CurrentTime());
  glUniform1f(Uniform("viewportWidth"), sceneState->ViewportWidth());
  glUniform1f(Uniform("viewportHeight"), sceneState->ViewportHeight());
}
