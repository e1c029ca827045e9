// Reader of the model's Wavefront OBJ text and of its MTL material library,
// both taken whole from "TEXTFILE" resources. Progress lines go to
// `progressOutput` (see below).
//
// Text the rules cannot read is rejected (ReadObj returns false) rather than
// guessed at: a "v", "vt" or "vn" line with fewer numbers than it needs, or
// with a field that holds no finite number; a face index that holds no
// number, is 0 or lies beyond either end of its list; a face field of no
// part ("f 1  2 3"), or of more than three parts as the face's first field.
// In the MTL text a number that cannot be read leaves its field unchanged,
// as a colour line of the wrong length does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model/ObjTypes.h"

class ObjReader {
 public:
  // Reads the OBJ text of resource `objResourceId` (low 16 bits) into
  // `meshes`, `allVertices` and `allIndices`, and the MTL text of
  // `mtlResourceId` at every "mtllib" line. False when the text is missing,
  // holds no face, cannot be read, or memory runs out; the three lists are
  // then empty.
  bool ReadObj(unsigned objResourceId, unsigned mtlResourceId);

  // Appends the materials of the MTL text of `mtlResourceId` to `materials`.
  // False only when memory runs out.
  bool ReadMtl(unsigned mtlResourceId);

  std::vector<objl::Mesh> meshes;            // in the order they were closed
  std::vector<objl::Vertex> allVertices;     // every face vertex, in reading order
  std::vector<std::uint32_t> allIndices;     // triangles into allVertices
  std::vector<objl::Material> materials;     // grows with every ReadMtl

  // Where the progress lines and their line ends go; null writes none.
  // Standard output on Windows, where a windowed process's output goes
  // nowhere. Elsewhere none, unless the build asks (LUMITICK_MODEL_PROGRESS):
  // on Linux they would land in terminals and in every screensaver daemon's
  // log at each activation.
  static std::FILE* progressOutput;

 private:
  struct ObjState;

  // The sized text of a "TEXTFILE" resource; empty when there is none.
  static bool LoadSizedText(unsigned resourceId, std::string* text);

  bool ReadObjText(const std::string& text, unsigned mtlResourceId);
  void ReadGroupLine(ObjState& s, const std::string& line, const std::string& word);
  bool ReadFaceLine(ObjState& s, const std::string& line);
  static bool BuildFaceVertices(const ObjState& s, const std::string& line,
                                std::vector<objl::Vertex>* face);
  void CloseMesh(ObjState& s, const std::string& name);
  static void WriteProgress(const ObjState& s);
};
