#include "model/ObjReader.h"

#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>

#include "model/TextLines.h"
#include "model/Triangulate.h"
#include "model/VectorMath.h"
#include "platform/resources.h"

using objl::Vector2;
using objl::Vector3;
using objl::Vertex;

#if defined(_WIN32) || defined(LUMITICK_MODEL_PROGRESS)
std::FILE* ObjReader::progressOutput = stdout;
#else
std::FILE* ObjReader::progressOutput = nullptr;
#endif

static void WriteLineEnd() {
  if (ObjReader::progressOutput) std::fputc('\n', ObjReader::progressOutput);
}

struct ObjReader::ObjState {
  std::vector<Vector3> positions;
  std::vector<Vector2> texCoords;
  std::vector<Vector3> normals;
  std::vector<Vertex> vertices;          // the mesh being read
  std::vector<std::uint32_t> indices;    // into `vertices`
  std::vector<std::string> materialNames;
  std::string meshName;
  bool grouping = false;
  int progress = 1000;
};

bool ObjReader::LoadSizedText(unsigned resourceId, std::string* text) {
  text->clear();
  platform::ResourceData data;
  if (!platform::FindResourceData("TEXTFILE", static_cast<std::uint16_t>(resourceId & 0xFFFFu), &data) ||
      !data.bytes) {
    return true;
  }
  try {
    text->assign(reinterpret_cast<const char*>(data.bytes), data.size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

bool ObjReader::ReadObj(unsigned objResourceId, unsigned mtlResourceId) {
  meshes.clear();
  allVertices.clear();
  allIndices.clear();
  bool read = false;
  try {
    std::string text;
    read = LoadSizedText(objResourceId, &text) && ReadObjText(text, mtlResourceId);
  } catch (const std::bad_alloc&) {
    read = false;
  } catch (const std::length_error&) {
    read = false;
  }
  if (!read) {
    meshes.clear();
    allVertices.clear();
    allIndices.clear();
    return false;
  }
  return !(meshes.empty() && allVertices.empty() && allIndices.empty());
}

// "v", "vt", "vn": the first `count` fields of the line, each a finite number.
static bool ReadNumbers(const std::string& line, std::size_t count, float* out) {
  const std::vector<std::string> fields = objl::SplitOn(objl::AfterFirstToken(line), " ");
  if (fields.size() < count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (!objl::ReadFloat(fields[i], &out[i])) return false;
  }
  return true;
}

bool ObjReader::ReadObjText(const std::string& text, unsigned mtlResourceId) {
  ObjState s;
  std::size_t pos = 0;
  std::string line;
  while (objl::NextLine(text, &pos, &line)) {
    // A carriage return goes together with the character after it.
    for (std::size_t cr = line.find('\r'); cr != std::string::npos; cr = line.find('\r')) {
      line.erase(cr, 2);
    }
    s.progress = (s.progress + 1) % 1000;
    if (s.progress == 1 && !s.meshName.empty()) WriteProgress(s);

    const std::string word = objl::FirstToken(line);
    float n[3];
    if (word == "o" || word == "g" || (!line.empty() && line[0] == 'g')) {
      ReadGroupLine(s, line, word);
    } else if (word == "v") {
      if (!ReadNumbers(line, 3, n)) return false;
      s.positions.push_back(Vector3{n[0], n[1], n[2]});
    } else if (word == "vt") {
      if (!ReadNumbers(line, 2, n)) return false;
      s.texCoords.push_back(Vector2{n[0], n[1]});
    } else if (word == "vn") {
      if (!ReadNumbers(line, 3, n)) return false;
      s.normals.push_back(Vector3{n[0], n[1], n[2]});
    } else if (word == "f") {
      if (!ReadFaceLine(s, line)) return false;
    } else if (word == "usemtl") {
      s.materialNames.push_back(objl::AfterFirstToken(line));
      if (!s.vertices.empty() && !s.indices.empty()) {
        CloseMesh(s, s.meshName + "_2");
        s.vertices.clear();
        s.indices.clear();
      }
      s.progress = 0;
    } else if (word == "mtllib") {
      // The library named on the line plays no part: it is always the given
      // resource, read again at every "mtllib".
      ReadMtl(mtlResourceId);
    }
  }
  WriteLineEnd();
  if (!s.vertices.empty() && !s.indices.empty()) CloseMesh(s, s.meshName);

  // The i-th "usemtl" name goes to the i-th mesh; names beyond the last mesh
  // have no mesh to go to.
  for (std::size_t i = 0; i < s.materialNames.size() && i < meshes.size(); ++i) {
    for (const objl::Material& m : materials) {
      if (m.name == s.materialNames[i]) {
        meshes[i].material = m;
        break;
      }
    }
  }
  return true;
}

void ObjReader::ReadGroupLine(ObjState& s, const std::string& line, const std::string& word) {
  const bool named = word == "o" || word == "g";
  if (!s.grouping) {
    s.grouping = true;
    s.meshName = named ? objl::AfterFirstToken(line) : "unnamed";
  } else if (!s.vertices.empty() && !s.indices.empty()) {
    CloseMesh(s, s.meshName);
    s.vertices.clear();
    s.indices.clear();
    s.meshName = objl::AfterFirstToken(line);
  } else {
    s.meshName = named ? objl::AfterFirstToken(line) : "unnamed";
  }
  WriteLineEnd();
  s.progress = 0;
}

bool ObjReader::ReadFaceLine(ObjState& s, const std::string& line) {
  std::vector<Vertex> face;
  if (!BuildFaceVertices(s, line, &face)) return false;
  if (allVertices.size() + face.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  for (const Vertex& v : face) {
    s.vertices.push_back(v);
    allVertices.push_back(v);
  }
  std::vector<std::uint32_t> local;
  objl::TriangulateFace(face, local);
  // Faces with repeated corner positions can yield a partial triangle at the
  // end; only whole triangles are kept so every later triple stays aligned.
  local.resize(local.size() - local.size() % 3);
  const std::uint32_t faceCount = static_cast<std::uint32_t>(face.size());
  const std::uint32_t meshBase = static_cast<std::uint32_t>(s.vertices.size()) - faceCount;
  const std::uint32_t allBase = static_cast<std::uint32_t>(allVertices.size()) - faceCount;
  for (std::uint32_t k : local) {
    s.indices.push_back(meshBase + k);
    allIndices.push_back(allBase + k);
  }
  return true;
}

bool ObjReader::BuildFaceVertices(const ObjState& s, const std::string& line,
                                  std::vector<Vertex>* face) {
  const std::vector<std::string> fields = objl::SplitOn(objl::AfterFirstToken(line), " ");
  Vertex vertex;
  bool noNormal = false;
  int kind = 0;  // 1 position, 2 position/texture, 3 position//normal, 4 all three
  for (const std::string& field : fields) {
    const std::vector<std::string> parts = objl::SplitOn(field, "/");
    if (parts.empty()) return false;  // an empty field: a doubled blank
    if (parts.size() == 1) {
      kind = 1;
    } else if (parts.size() == 2) {
      kind = 2;
    } else if (parts.size() == 3) {
      kind = parts[1].empty() ? 3 : 4;
    } else if (kind == 0) {
      return false;  // more than three parts, and no earlier field to follow
    }
    const Vector3* position = objl::ResolveIndex(s.positions, parts[0]);
    if (!position) return false;
    vertex.position = *position;
    if (kind == 2 || kind == 4) {
      const Vector2* texCoord = objl::ResolveIndex(s.texCoords, parts[1]);
      if (!texCoord) return false;
      vertex.texCoord = *texCoord;
    } else {
      vertex.texCoord = Vector2{};
    }
    if (kind == 3 || kind == 4) {
      const Vector3* normal = objl::ResolveIndex(s.normals, parts[2]);
      if (!normal) return false;
      vertex.normal = *normal;
    } else {
      noNormal = true;
    }
    face->push_back(vertex);
  }
  if (noNormal) {
    // The face's own normal, not scaled to unit length; a face of fewer than
    // three corners has none and gets (0, 0, 0).
    Vector3 normal;
    if (face->size() >= 3) {
      const Vector3& p1 = (*face)[1].position;
      normal = objl::Cross((*face)[0].position - p1, (*face)[2].position - p1);
    }
    for (Vertex& v : *face) v.normal = normal;
  }
  return true;
}

void ObjReader::CloseMesh(ObjState& s, const std::string& name) {
  objl::Mesh mesh(s.vertices, s.indices);
  mesh.name = name;
  meshes.push_back(std::move(mesh));
}

void ObjReader::WriteProgress(const ObjState& s) {
  if (!progressOutput) return;
  std::string text = "\r- ";
  text += s.meshName;
  text += "\t| vertices > " + std::to_string(s.positions.size());
  text += "\t| texcoords > " + std::to_string(s.texCoords.size());
  text += "\t| normals > " + std::to_string(s.normals.size());
  text += "\t| triangles > " + std::to_string(s.vertices.size() / 3);
  if (!s.materialNames.empty()) text += "\t| material: " + s.materialNames.back();
  std::fwrite(text.data(), 1, text.size(), progressOutput);
}
