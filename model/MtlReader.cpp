// The MTL side of ObjReader.
#include <new>
#include <stdexcept>

#include "model/ObjReader.h"
#include "model/TextLines.h"

// "Ka", "Kd", "Ks": exactly three numbers, or the line is ignored.
static void ReadColour(const std::string& line, objl::Vector3* colour) {
  const std::vector<std::string> fields = objl::SplitOn(objl::AfterFirstToken(line), " ");
  if (fields.size() != 3) return;
  float c[3];
  for (int i = 0; i < 3; ++i) {
    if (!objl::ReadFloat(fields[i], &c[i])) return;
  }
  *colour = objl::Vector3{c[0], c[1], c[2]};
}

static void ReadNumber(const std::string& line, float* field) {
  float value = 0.0f;
  if (objl::ReadFloat(objl::AfterFirstToken(line), &value)) *field = value;
}

bool ObjReader::ReadMtl(unsigned mtlResourceId) {
  try {
    std::string text;
    if (!LoadSizedText(mtlResourceId, &text)) return false;
    objl::Material m;
    bool open = false;
    std::size_t pos = 0;
    std::string line;
    // Carriage returns stay in the lines: numbers ignore them, names are
    // trimmed, map texts keep them. The keyword is looked for without the
    // line end, so a bare "newmtl" on a CR LF line still starts a material.
    while (objl::NextLine(text, &pos, &line)) {
      const std::string word = objl::FirstToken(objl::TrimLineEnd(line));
      if (word == "newmtl") {
        if (open) {
          materials.push_back(m);
          m = objl::Material();
        } else {
          open = true;
        }
        m.name = line.size() <= 7 ? "none" : objl::TrimLineEnd(objl::AfterFirstToken(line));
      } else if (word == "Ka") {
        ReadColour(line, &m.ambient);
      } else if (word == "Kd") {
        ReadColour(line, &m.diffuse);
      } else if (word == "Ks") {
        ReadColour(line, &m.specular);
      } else if (word == "Ns") {
        ReadNumber(line, &m.shininess);
      } else if (word == "Ni") {
        ReadNumber(line, &m.opticalDensity);
      } else if (word == "d") {
        ReadNumber(line, &m.dissolve);
      } else if (word == "illum") {
        std::int32_t value = 0;
        if (objl::ReadInt(objl::AfterFirstToken(line), &value)) m.illumination = value;
      } else if (word == "map_Ka") {
        m.ambientMap = objl::AfterFirstToken(line);
      } else if (word == "map_Kd") {
        m.diffuseMap = objl::AfterFirstToken(line);
      } else if (word == "map_Ks") {
        m.specularMap = objl::AfterFirstToken(line);
      } else if (word == "map_Ns") {
        m.shininessMap = objl::AfterFirstToken(line);
      } else if (word == "map_d") {
        m.dissolveMap = objl::AfterFirstToken(line);
      } else if (word == "map_Bump" || word == "map_bump" || word == "bump") {
        m.bumpMap = objl::AfterFirstToken(line);
      }
    }
    // The last material, also when no "newmtl" was seen.
    materials.push_back(m);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return !materials.empty();
}
