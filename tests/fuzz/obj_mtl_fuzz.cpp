// Fuzzes the OBJ and MTL readers and the flattening into model arrays.
// Input: the OBJ text, then optionally a NUL byte and the MTL text (with no
// NUL the MTL resource is missing). Every model that loads must hold finite
// values and whole triangles into its vertex arrays.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/ModelArrays.h"
#include "model/ObjReader.h"
#include "platform/resources.h"

static void Check(bool condition) {
  if (!condition) std::abort();
}

static void CheckFinite(const float* array, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) Check(std::isfinite(array[i]));
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's progress lines would drown the fuzzer's own output.
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const void* nul = std::memchr(data, 0, size);
  const std::size_t objSize = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data) : size;
  const platform::ResourceEntry table[2] = {
      {"TEXTFILE", 141, nullptr, data, objSize},
      {"TEXTFILE", 140, nullptr, nul ? data + objSize + 1 : nullptr, nul ? size - objSize - 1 : 0},
  };
  platform::SetResourceTableOverride(table, nul ? 2 : 1);

  ObjReader reader;
  if (reader.ReadObj(141, 140)) {
    for (const objl::Mesh& mesh : reader.meshes) {
      Check(mesh.indices.size() % 3 == 0);
      for (std::uint32_t i : mesh.indices) Check(i < mesh.vertices.size());
    }
    for (std::uint32_t i : reader.allIndices) Check(i < reader.allVertices.size());
  }
  reader.ReadMtl(140);

  if (ModelArrays* model = ModelArrays::TryCreate(141, 140, 1.0f)) {
    const std::int32_t n = model->GetVertexCount();
    Check(model->GetIndexCount() % 3 == 0 && model->GetIndexCount() > 0);
    for (std::int32_t k = 0; k < model->GetIndexCount(); ++k) {
      Check(model->indices[k] < static_cast<std::uint32_t>(n));
    }
    for (const float* a : {model->positions, model->normals, model->tangents, model->bitangents}) {
      CheckFinite(a, 3 * n);
    }
    CheckFinite(model->texCoords, 2 * n);
    delete model;
  }
  platform::SetResourceTableOverride(nullptr, 0);
  return 0;
}
