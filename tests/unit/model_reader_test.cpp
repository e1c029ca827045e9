#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "model/ModelArrays.h"
#include "model/ObjReader.h"
#include "platform/resources.h"

namespace {

using objl::Vector2;
using objl::Vector3;

constexpr unsigned kObj = 141;
constexpr unsigned kMtl = 140;

// Serves `obj` and `mtl` as the "TEXTFILE" resources 141 and 140 for the
// life of the object (without `mtl` there is no resource 140).
class TextResources {
 public:
  explicit TextResources(std::string obj) : obj_(std::move(obj)) { Install(1); }
  TextResources(std::string obj, std::string mtl) : obj_(std::move(obj)), mtl_(std::move(mtl)) {
    Install(2);
  }
  ~TextResources() { platform::SetResourceTableOverride(nullptr, 0); }

 private:
  void Install(std::size_t count) {
    entries_[0] = {"TEXTFILE", kObj, nullptr, Bytes(obj_), obj_.size()};
    entries_[1] = {"TEXTFILE", kMtl, nullptr, Bytes(mtl_), mtl_.size()};
    platform::SetResourceTableOverride(entries_, count);
  }
  static const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
  }
  std::string obj_, mtl_;
  platform::ResourceEntry entries_[2];
};

// Reads resources 141 and 140, keeping the progress lines out of the test
// log; with `progress`, they are written to standard output and kept there.
bool Read(ObjReader* reader, std::string* progress = nullptr) {
  std::FILE* const output = ObjReader::progressOutput;
  if (progress) ObjReader::progressOutput = stdout;
  testing::internal::CaptureStdout();
  const bool ok = reader->ReadObj(kObj, kMtl);
  const std::string out = testing::internal::GetCapturedStdout();
  ObjReader::progressOutput = output;
  if (progress) *progress = out;
  return ok;
}

std::unique_ptr<ModelArrays> Flatten() {
  testing::internal::CaptureStdout();
  std::unique_ptr<ModelArrays> model(ModelArrays::TryCreate(kObj, kMtl, 1.0f));
  testing::internal::GetCapturedStdout();
  return model;
}

void ExpectVec(const Vector3& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

void ExpectAt(const float* array, int i, float x, float y, float z) {
  ExpectVec(Vector3{array[3 * i], array[3 * i + 1], array[3 * i + 2]}, x, y, z);
}

// What every loaded model must hold, whatever its text: finite values and
// whole triangles into the vertex arrays.
void ExpectSound(const ModelArrays& m) {
  EXPECT_EQ(m.indexCount % 3, 0);
  for (int k = 0; k < m.indexCount; ++k) EXPECT_LT(m.indices[k], static_cast<unsigned>(m.vertexCount));
  for (const float* a : {m.positions, m.normals, m.tangents, m.bitangents}) {
    for (int i = 0; i < 3 * m.vertexCount; ++i) EXPECT_TRUE(std::isfinite(a[i])) << i;
  }
}

const char kTriangle[] = "v 0 0 0\nv 2 0 0\nv 0 3 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 2\n";

TEST(ModelBuiltIn, RectangleHasSixCornersAndItsMaterial) {
  ObjReader reader;
  std::string progress;
  ASSERT_TRUE(Read(&reader, &progress));
  ASSERT_EQ(reader.meshes.size(), 1u);
  const objl::Mesh& mesh = reader.meshes[0];
  EXPECT_EQ(mesh.name, "Plane001");
  EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}));
  ASSERT_EQ(mesh.vertices.size(), 6u);
  const Vector3 corner[4] = {{-1, 1, 0}, {-1, -1, -0.0f}, {1, 1, 0}, {1, -1, -0.0f}};
  const int order[6] = {0, 1, 2, 3, 2, 1};
  const Vector2 uv[6] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {1, 1}, {0, 0}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(mesh.vertices[i].position, corner[order[i]]) << i;
    EXPECT_EQ(mesh.vertices[i].texCoord.x, uv[i].x) << i;
    EXPECT_EQ(mesh.vertices[i].texCoord.y, uv[i].y) << i;
  }
  const objl::Material& m = mesh.material;
  EXPECT_EQ(m.name, "wire_198225087");
  ExpectVec(m.ambient, 0.7765f, 0.8824f, 0.3412f);
  ExpectVec(m.diffuse, 0.7765f, 0.8824f, 0.3412f);
  ExpectVec(m.specular, 0.35f, 0.35f, 0.35f);
  EXPECT_EQ(m.shininess, 32.0f);
  EXPECT_EQ(m.dissolve, 1.0f);
  EXPECT_EQ(m.illumination, 2);
  EXPECT_EQ(m.opticalDensity, 0.0f);
  EXPECT_EQ(m.diffuseMap + m.bumpMap + m.ambientMap, "");
  // One progress line after "o", after "g" and after "usemtl"; a line end
  // at every group line and at the end.
  const std::string counts = "\r- Plane001\t| vertices > 4\t| texcoords > 4\t| normals > 1\t| triangles > 0";
  EXPECT_EQ(progress, "\n" + counts + "\n" + counts + counts + "\t| material: wire_198225087\n");
  // Unasked, a Linux build writes none of it: it would land in terminals
  // and in the logs of screensaver daemons.
#if !defined(_WIN32) && !defined(LUMITICK_MODEL_PROGRESS)
  testing::internal::CaptureStdout();
  ASSERT_TRUE(reader.ReadObj(kObj, kMtl));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
#endif
}

TEST(ModelBuiltIn, FlattenedRectangle) {
  testing::internal::CaptureStdout();
  std::unique_ptr<ModelArrays> m(new ModelArrays(kObj, kMtl, 1.0f));
  std::unique_ptr<ModelArrays> big(new ModelArrays(kObj, kMtl, 2.5f));
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(m->GetVertexCount(), 6);
  ASSERT_EQ(m->GetIndexCount(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(m->indices[i], static_cast<unsigned>(i));
    ExpectAt(m->normals, i, 0, 0, 1);
    EXPECT_TRUE(std::signbit(m->normals[3 * i + 1])) << "normal y is -0";
    ExpectAt(m->tangents, i, 1, 0, 0);
    ExpectAt(m->bitangents, i, 0, 1, 0);
    ExpectAt(m->ambientColors, i, 0.7765f, 0.8824f, 0.3412f);
    ExpectAt(m->diffuseColors, i, 0.7765f, 0.8824f, 0.3412f);
    EXPECT_FLOAT_EQ(m->specularColors[4 * i], 0.35f);
    EXPECT_FLOAT_EQ(m->specularColors[4 * i + 3], 32.0f);
  }
  ExpectAt(m->positions, 3, 1, -1, 0);
  ExpectAt(big->positions, 0, -2.5f, 2.5f, 0);
}

TEST(ModelObjFaces, EachFieldKind) {
  TextResources text(std::string(kTriangle) +
                     "f 1 2 3\nf 1/1 2/2 3/3\nf 1//1 2//1 3//1\nf 1/2/1 2/3/1 3/1/1\nf -3 -2 -1\n");
  ObjReader reader;
  ASSERT_TRUE(Read(&reader));
  ASSERT_EQ(reader.meshes.size(), 1u);
  const auto& v = reader.meshes[0].vertices;
  ASSERT_EQ(v.size(), 15u);
  // Generated normal: Cross(p1 - p2, p3 - p2) = Cross((-2,0,0), (-2,3,0)), not unit.
  ExpectVec(v[0].normal, 0, 0, -6);
  EXPECT_EQ(v[1].texCoord.x, 0.0f);
  ExpectVec(v[4].normal, 0, 0, -6);
  EXPECT_EQ(v[4].texCoord.x, 1.0f);
  ExpectVec(v[7].normal, 0, 0, 2);
  EXPECT_EQ(v[7].texCoord.x, 0.0f);
  EXPECT_EQ(v[9].texCoord.x, 1.0f);
  ExpectVec(v[9].normal, 0, 0, 2);
  EXPECT_EQ(v[12].position, v[0].position);
  EXPECT_EQ(v[14].position, (Vector3{0, 3, 0}));
  EXPECT_EQ(reader.allIndices.size(), 15u);
  EXPECT_EQ(reader.allIndices.back(), 14u);
}

TEST(ModelObjFaces, QuadAndPentagonIndicesAreOffsetByTheFace) {
  TextResources text("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3\nf 1 2 3 4\n");
  ObjReader reader;
  ASSERT_TRUE(Read(&reader));
  EXPECT_EQ(reader.allIndices, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 6, 4, 5, 6}));
}

TEST(ModelObjGroups, UsemtlSplitsAGroupAndNamesGoInOrder) {
  TextResources text(std::string(kTriangle) +
                         "mtllib any.mtl\ng Box\nusemtl red\nf 1 2 3\nusemtl blue\nf 1 2 3\n",
                     "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n");
  ObjReader reader;
  ASSERT_TRUE(Read(&reader));
  ASSERT_EQ(reader.meshes.size(), 2u);
  EXPECT_EQ(reader.meshes[0].name, "Box_2");
  EXPECT_EQ(reader.meshes[1].name, "Box");
  EXPECT_EQ(reader.meshes[0].material.name, "red");
  EXPECT_EQ(reader.meshes[1].material.name, "blue");
  ExpectVec(reader.meshes[1].material.diffuse, 0, 0, 1);
}

TEST(ModelObjGroups, GroupWordsAndNames) {
  {
    TextResources text(std::string(kTriangle) + "gray\nf 1 2 3\ngoal two\nf 1 2 3\n");
    ObjReader reader;
    ASSERT_TRUE(Read(&reader));
    ASSERT_EQ(reader.meshes.size(), 2u);
    EXPECT_EQ(reader.meshes[0].name, "unnamed");
    EXPECT_EQ(reader.meshes[1].name, "two");  // a later group takes what follows any word
  }
  {
    TextResources text(std::string(kTriangle) + "f 1 2 3\n");
    ObjReader reader;
    ASSERT_TRUE(Read(&reader));
    ASSERT_EQ(reader.meshes.size(), 1u);
    EXPECT_EQ(reader.meshes[0].name, "");
  }
  {
    // A lone carriage return takes the character after it along.
    TextResources text(std::string(kTriangle) + "o Pla\rXne\r\nf 1 2 3\r\n");
    ObjReader reader;
    ASSERT_TRUE(Read(&reader));
    EXPECT_EQ(reader.meshes[0].name, "Plane");
  }
}

TEST(ModelObjMaterials, EveryMtllibReadsTheLibraryAgainAndFirstMatchWins) {
  TextResources text(std::string(kTriangle) + "mtllib a\nmtllib b\nusemtl m\nf 1 2 3\nusemtl x\n",
                     "newmtl m\nNs 5\n");
  ObjReader reader;
  ASSERT_TRUE(Read(&reader));
  EXPECT_EQ(reader.materials.size(), 2u);
  ASSERT_EQ(reader.meshes.size(), 1u);  // "x" names a mesh that never comes
  EXPECT_EQ(reader.meshes[0].material.shininess, 5.0f);
}

TEST(ModelMtl, NamesNumbersAndBlocks) {
  TextResources text("",
                     "Ns 7\nnewmtl\r\nKa 1 2 3\r\nKa 4 5 6 7\nKd 1  2\nNi x\nillum 3x\n"
                     "map_Kd dial.png\r\nnewmtl second one\r\nd 0.5\nbump b.png\n");
  ObjReader reader;
  ASSERT_TRUE(reader.ReadMtl(kMtl));
  ASSERT_EQ(reader.materials.size(), 2u);
  const objl::Material& a = reader.materials[0];
  EXPECT_EQ(a.name, "none");
  EXPECT_EQ(a.shininess, 7.0f);  // set before the first "newmtl"
  ExpectVec(a.ambient, 1, 2, 3);
  ExpectVec(a.diffuse, 0, 0, 0);  // three fields, one empty: ignored
  EXPECT_EQ(a.opticalDensity, 0.0f);
  EXPECT_EQ(a.illumination, 3);
  EXPECT_EQ(a.diffuseMap, "dial.png\r");
  const objl::Material& b = reader.materials[1];
  EXPECT_EQ(b.name, "second one");
  EXPECT_EQ(b.dissolve, 0.5f);
  EXPECT_EQ(b.bumpMap, "b.png");
  EXPECT_EQ(b.shininess, 0.0f);
}

TEST(ModelMtl, MissingOrNameless) {
  TextResources text("");  // no resource 140
  ObjReader reader;
  ASSERT_TRUE(reader.ReadMtl(kMtl));
  ASSERT_EQ(reader.materials.size(), 1u);
  EXPECT_EQ(reader.materials[0].name, "");
}

TEST(ModelBadInput, UnreadableTextIsRejected) {
  const std::string t = kTriangle;
  const std::vector<std::string> texts = {
      "",
      "v 1 2 3\n# no face\n",
      "v 1 2\nv 0 0 0\nv 1 1 1\nf 1 2 3\n",
      t + "v 1 x 3\nf 1 2 3\n",
      t + "v 1 nan 3\nf 1 2 3\n",
      t + "v 1e60 0 0\nf 1 2 3\n",
      t + "v 1  2 3\nf 1 2 3\n",
      t + "vt 0\nf 1 2 3\n",
      t + "vn 0 0\nf 1 2 3\n",
      t + "f 0 1 2\n",
      t + "f 1 2 4\n",
      t + "f -4 1 2\n",
      t + "f 1 2 99999999999\n",
      t + "f 1  2 3\n",
      t + "f 1/1/1/1 2 3\n",
      t + "f 1/x 2/1 3/1\n",
      t + "f 1/4 2/1 3/1\n",
      t + "f 1//2 2//1 3//1\n",
      t + "f 1 2\n",  // read, but closes no mesh: nothing to draw
  };
  for (const std::string& obj : texts) {
    TextResources text(obj);
    EXPECT_EQ(Flatten(), nullptr) << obj;
  }
  TextResources none("v 1 2 3\n");
  platform::SetResourceTableOverride(nullptr, 0);
  testing::internal::CaptureStdout();
  std::unique_ptr<ModelArrays> missing(ModelArrays::TryCreate(999, 998, 1.0f));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(missing, nullptr);
}

TEST(ModelBadInput, DegenerateGeometryGetsDefinedValues) {
  // A later four-part field follows the kind before it; a two-corner face
  // leaves vertices no triangle uses; "vn 0 0 0" has no direction; equal
  // texture coordinates span no area; huge positions overflow the cross
  // product.
  TextResources text(std::string(kTriangle) +
                     "vn 0 0 0\nf 1 2/1/1/1 3\nf 1 2\nf 1//2 2//2 3//2\nf 1/1 2/1 3/1\n"
                     "v 3e38 0 0\nv 0 3e38 0\nf 4 5 1\n");
  std::unique_ptr<ModelArrays> m = Flatten();
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->vertexCount, 14);
  ExpectSound(*m);
  ExpectAt(m->normals, 3, 0, 0, 0);    // two-corner face: no normal
  ExpectAt(m->tangents, 3, 0, 0, 0);   // and no frame
  ExpectAt(m->normals, 5, 0, 0, 0);    // zero-length normal
  ExpectAt(m->tangents, 5, 0, 0, 0);   // all texture coordinates (0, 0)
  ExpectAt(m->tangents, 8, 0, 0, 0);   // one texture coordinate three times
  ExpectAt(m->normals, 11, 0, 0, 0);   // overflowed cross product
  ExpectAt(m->normals, 0, 0, 0, -1);
}

TEST(ModelBadInput, UnreadableModelEndsTheProcessWithABox) {
  TextResources text("# nothing here\n");
  EXPECT_EXIT(ModelArrays(kObj, kMtl, 1.0f), testing::ExitedWithCode(0),
              "=== Debug ===\nFailed to load mesh");
}

}  // namespace
