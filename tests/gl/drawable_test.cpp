#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "render/Drawable.h"
#include "render/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/SceneState.h"

namespace {

// Shaders that use every attribute and uniform the sky sets, so that none is
// optimised away and each can be read back.
const std::string kVertex =
    "#version 110\r\nattribute vec4 position;\r\nattribute vec2 position_tex;\r\nattribute vec3 position_normal;\r\n"
    "uniform mat4 model_world;\r\nuniform mat4 world_projection;\r\nuniform mat4 model_projection;\r\n"
    "varying vec2 fs_tex;\r\nvoid main() {\r\n  fs_tex = position_tex + position_normal.xy;\r\n"
    "  gl_Position = model_projection * world_projection * model_world * position;\r\n}\r\n//~\r\n";
const std::string kFragment =
    "#version 110\r\nuniform float psecond, pminute, phour, iTime, viewportWidth, viewportHeight;\r\n"
    "varying vec2 fs_tex;\r\nvoid main() {\r\n"
    "  gl_FragColor = vec4(psecond + pminute + phour + iTime, viewportWidth, viewportHeight, fs_tex.x);\r\n}\r\n//~\r\n";

class DrawableTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ResourceData obj, mtl;
    ASSERT_TRUE(platform::FindResourceData("TEXTFILE", 141, &obj));
    ASSERT_TRUE(platform::FindResourceData("TEXTFILE", 140, &mtl));
    table_ = {
        {"TEXTFILE", 1, nullptr, reinterpret_cast<const unsigned char*>(kVertex.data()), kVertex.size()},
        {"TEXTFILE", 2, nullptr, reinterpret_cast<const unsigned char*>(kFragment.data()), kFragment.size()},
        {"TEXTFILE", 141, nullptr, obj.bytes, obj.size},
        {"TEXTFILE", 140, nullptr, mtl.bytes, mtl.size},
    };
    platform::SetResourceTableOverride(table_.data(), table_.size());
    registry_.Add("Test", 1, 2);
    state_.SetViewportSize(640.0f, 480.0f);
    camera_.Pitch(1.0f);
    camera_.UpdateView(0);
    camera_.SetProjection(scene::Perspective(50.0f, 4.0f / 3.0f, 0.1f, 1000.0f));
  }
  void TearDown() override { platform::SetResourceTableOverride(nullptr, 0); }

  std::vector<platform::ResourceEntry> table_;
  ProgramRegistry registry_;
  SceneState state_{0.0};
  Camera camera_{0.0f, 0.0f, 100.0f};
};

TEST_F(DrawableTest, RectangleBuffersAndAttributeLayout) {
  GLFWDrawableSky sky(&state_, &camera_, &registry_, "Test", 141, 140, 1.0f);
  sky.Init();
  EXPECT_EQ(sky.mesh->GetIndexCount(), 6);
  EXPECT_EQ(sky.mesh->GetIndexBytes(), 24);
  EXPECT_EQ(sky.mesh->GetVertexBytes(), 6 * 96);

  GLint size = 0;
  glBindBuffer(GL_ARRAY_BUFFER, sky.buffers->vertexBuffer);
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  EXPECT_EQ(size, 576);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, sky.buffers->indexBuffer);
  glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  EXPECT_EQ(size, 24);

  const struct { const char* name; GLint components; std::uintptr_t offset; } expected[] = {
      {"position", 3, 0}, {"position_tex", 2, 12}, {"position_normal", 3, 20}};
  ShaderProgram* program = registry_.Find("Test");
  for (const auto& e : expected) {
    const GLint loc = program->AttribLocation(e.name);
    ASSERT_GE(loc, 0) << e.name;
    GLint stride = 0, components = 0, enabled = 0;
    void* pointer = nullptr;
    glGetVertexAttribiv(static_cast<GLuint>(loc), GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
    glGetVertexAttribiv(static_cast<GLuint>(loc), GL_VERTEX_ATTRIB_ARRAY_SIZE, &components);
    glGetVertexAttribiv(static_cast<GLuint>(loc), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glGetVertexAttribPointerv(static_cast<GLuint>(loc), GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
    EXPECT_EQ(stride, 96) << e.name;
    EXPECT_EQ(components, e.components) << e.name;
    EXPECT_EQ(enabled, GL_TRUE) << e.name;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pointer), e.offset) << e.name;
  }
}

TEST_F(DrawableTest, DrawSendsAnglesTimeViewportAndMatrices) {
  GLFWDrawableSky sky(&state_, &camera_, &registry_, "Test", 141, 140, 1.0f);
  sky.Init();
  const scene::Mat4 model = scene::Translation(0.0f, 0.0f, -100.0f);
  sky.SetModel(model);
  state_.SetCurrentTime(12.5);
  sky.Draw();

  const GLuint id = registry_.FindId("Test");
  ShaderProgram* program = registry_.Find("Test");
  auto uniform = [&](const char* name) {
    GLfloat v = -1.0f;
    glGetUniformfv(id, program->UniformLocation(name), &v);
    return v;
  };
  // A fresh sky sends zero angles until SetAngles.
  EXPECT_EQ(uniform("psecond"), 0.0f);
  EXPECT_EQ(uniform("pminute"), 0.0f);
  EXPECT_EQ(uniform("phour"), 0.0f);
  EXPECT_FLOAT_EQ(uniform("iTime"), 12.5f);
  EXPECT_EQ(uniform("viewportWidth"), 640.0f);
  EXPECT_EQ(uniform("viewportHeight"), 480.0f);

  sky.SetAngles(1.0f, 2.0f, -0.5f);
  sky.Draw();
  EXPECT_EQ(uniform("psecond"), 1.0f);
  EXPECT_EQ(uniform("pminute"), 2.0f);
  EXPECT_EQ(uniform("phour"), -0.5f);

  // model_projection = P x V x model, P on the left; computed here by hand.
  const scene::Mat4& p = camera_.Projection();
  const scene::Mat4& v = camera_.View();
  GLfloat got[16];
  glGetUniformfv(id, program->UniformLocation("model_projection"), got);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double pv_m = 0.0;
      for (int k = 0; k < 4; ++k) {
        double pv = 0.0;
        for (int j = 0; j < 4; ++j) pv += p.at(r, j) * v.at(j, k);
        pv_m += pv * model.at(k, c);
      }
      EXPECT_NEAR(got[4 * c + r], pv_m, 1e-3 * (1.0 + std::abs(pv_m))) << r << "," << c;
    }
  glGetUniformfv(id, program->UniformLocation("model_world"), got);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(got[i], model.m[i]);
}

TEST_F(DrawableTest, AddAttributeKeepsTheFirstEntry) {
  VertexBuffers buffers(&registry_);
  buffers.AddAttribute("Test", "position", 3, 0);
  buffers.AddAttribute("Test", "position", 4, 7);
  EXPECT_EQ(buffers.attribSizes.at("position"), 3);
  EXPECT_EQ(buffers.attribOffsets.at("position"), 0);
  EXPECT_EQ(buffers.attribLocations.size(), 1u);
}

TEST_F(DrawableTest, DumpBuffersWritesTheRawArrays) {
  GLFWDrawableSky sky(&state_, &camera_, &registry_, "Test", 141, 140, 1.0f);
  char dir[] = "/tmp/lumitick-dump-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir), 0);
  sky.DumpBuffers();
  auto size = [](const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return -1L;
    std::fseek(f, 0, SEEK_END);
    long n = std::ftell(f);
    std::fclose(f);
    return n;
  };
  EXPECT_EQ(size("GLFWDrawableObject_data.bin"), 576);
  EXPECT_EQ(size("GLFWDrawableObject_index.bin"), 24);

  // The dumps read back through the baked-resource constructor give the
  // same mesh.
  std::vector<unsigned char> data(576), index(24);
  FILE* f = std::fopen("GLFWDrawableObject_data.bin", "rb");
  ASSERT_EQ(std::fread(data.data(), 1, 576, f), 576u);
  std::fclose(f);
  f = std::fopen("GLFWDrawableObject_index.bin", "rb");
  ASSERT_EQ(std::fread(index.data(), 1, 24, f), 24u);
  std::fclose(f);
  std::remove("GLFWDrawableObject_data.bin");
  std::remove("GLFWDrawableObject_index.bin");
  ASSERT_EQ(chdir(old), 0);
  rmdir(dir);

  table_.push_back({"TEXTFILE", 900, nullptr, data.data(), data.size()});
  table_.push_back({"TEXTFILE", 901, nullptr, index.data(), index.size()});
  platform::SetResourceTableOverride(table_.data(), table_.size());
  InterleavedMesh baked(900, 6, 901, 6);
  ASSERT_EQ(baked.GetVertexCount(), 6);
  EXPECT_EQ(std::memcmp(baked.GetVertexData(), sky.mesh->GetVertexData(), 576), 0);
  EXPECT_EQ(std::memcmp(baked.GetIndexData(), sky.mesh->GetIndexData(), 24), 0);
}

std::vector<std::string> gBoxes;
void CatchBox(const char* text, const char*, platform::MessageIcon) { gBoxes.push_back(text); }

TEST_F(DrawableTest, BakedMeshFromShortOrMissingResourcesIsEmpty) {
  std::vector<unsigned char> few(100), badIndex(4, 0xFF);
  table_.push_back({"TEXTFILE", 900, nullptr, few.data(), few.size()});
  table_.push_back({"TEXTFILE", 901, nullptr, badIndex.data(), badIndex.size()});
  platform::SetResourceTableOverride(table_.data(), table_.size());
  platform::SetMessageBoxHook(CatchBox);
  gBoxes.clear();
  InterleavedMesh shortVertices(900, 6, 901, 1);  // 576 bytes wanted, 100 there
  InterleavedMesh missing(950, 1, 901, 1);
  std::vector<unsigned char> one(96);
  table_.push_back({"TEXTFILE", 902, nullptr, one.data(), one.size()});
  platform::SetResourceTableOverride(table_.data(), table_.size());
  InterleavedMesh indexBeyond(902, 1, 901, 1);  // index 0xFFFFFFFF, one vertex
  platform::SetMessageBoxHook(nullptr);
  for (InterleavedMesh* m : {&shortVertices, &missing, &indexBeyond}) {
    EXPECT_EQ(m->GetVertexCount(), 0);
    EXPECT_EQ(m->GetIndexCount(), 0);
    EXPECT_EQ(m->GetVertexBytes(), 0);
  }
  EXPECT_EQ(gBoxes.size(), 3u);
}

}  // namespace
