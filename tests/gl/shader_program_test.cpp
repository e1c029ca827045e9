#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "render/ShaderProgram.h"

namespace {

const std::string kVertex =
    "#version 110\r\nattribute vec4 position;\r\nvarying vec2 uv;\r\nuniform mat4 m;\r\n"
    "void main() { uv = position.xy; gl_Position = m * position; }\r\n//~\r\n";
const std::string kFragment =
    "#version 110\r\nvarying vec2 uv;\r\nuniform float brightness;\r\n"
    "void main() { gl_FragColor = vec4(uv, brightness, 1.0); }\r\n//~\r\n";
const std::string kBadVertex = "#version 110\r\nvoid main() { gl_Position = vec4(1.0) }\r\n//~\r\n";
const std::string kUnlinkedFragment =
    "#version 110\r\nvarying vec3 neverWritten;\r\nvoid main() { gl_FragColor = vec4(neverWritten, 1.0); }\r\n//~\r\n";
const std::string kMarkerInside =
    "#version 110\r\nvoid main() { gl_FragColor = vec4(1.0); }\r\n//~ this line is never compiled (\r\n";

const platform::ResourceEntry kTable[] = {
    {"TEXTFILE", 1, nullptr, reinterpret_cast<const unsigned char*>(kVertex.data()), kVertex.size()},
    {"TEXTFILE", 2, nullptr, reinterpret_cast<const unsigned char*>(kFragment.data()), kFragment.size()},
    {"TEXTFILE", 3, nullptr, reinterpret_cast<const unsigned char*>(kBadVertex.data()), kBadVertex.size()},
    {"TEXTFILE", 4, nullptr, reinterpret_cast<const unsigned char*>(kUnlinkedFragment.data()), kUnlinkedFragment.size()},
    {"TEXTFILE", 5, nullptr, reinterpret_cast<const unsigned char*>(kMarkerInside.data()), kMarkerInside.size()},
};

class ShaderProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    platform::SetResourceTableOverride(kTable, sizeof kTable / sizeof kTable[0]);
  }
  void TearDown() override { platform::SetResourceTableOverride(nullptr, 0); }
};

TEST_F(ShaderProgramTest, CompilesTextUpToTheMarker) {
  ShaderProgram program(1, 5);
  EXPECT_NE(program.GetId(), 0u);
  const std::string fs = program.FragmentSource();
  EXPECT_EQ(fs.substr(fs.size() - 4), "\r\n//");
  EXPECT_EQ(fs.find("never compiled"), std::string::npos);
}

int gUniformQueries = 0;
PFNGLGETUNIFORMLOCATIONPROC gRealGetUniformLocation = nullptr;
GLint APIENTRY CountingGetUniformLocation(GLuint program, const GLchar* name) {
  ++gUniformQueries;
  return gRealGetUniformLocation(program, name);
}

TEST_F(ShaderProgramTest, LocationsAreAskedOnceAndMissingOnesCached) {
  ShaderProgram program(1, 2);
  gRealGetUniformLocation = glGetUniformLocation;
  glGetUniformLocation = CountingGetUniformLocation;
  gUniformQueries = 0;
  const GLint first = program.UniformLocation("brightness");
  const GLint second = program.UniformLocation("brightness");
  const GLint missing1 = program.UniformLocation("noSuchUniform");
  const GLint missing2 = program.UniformLocation("noSuchUniform");
  glGetUniformLocation = gRealGetUniformLocation;
  EXPECT_GE(first, 0);
  EXPECT_EQ(first, second);
  EXPECT_EQ(missing1, -1);
  EXPECT_EQ(missing2, -1);
  EXPECT_EQ(gUniformQueries, 2);
  // Attributes share the cache.
  EXPECT_GE(program.AttribLocation("position"), 0);
  EXPECT_EQ(program.AttribLocation("nothing"), -1);
}

PFNGLCREATESHADERPROC gRealCreateShader = nullptr;
GLuint APIENTRY NoFragmentShaders(GLenum type) {
  if (type == GL_FRAGMENT_SHADER) std::_Exit(3);  // must never be asked for
  return gRealCreateShader(type);
}

TEST_F(ShaderProgramTest, VertexCompileErrorShowsLogThenBoxAndEnds) {
  EXPECT_EXIT(
      {
        gRealCreateShader = glCreateShader;
        glCreateShader = NoFragmentShaders;
        ShaderProgram program(3, 2);
      },
      testing::ExitedWithCode(0),
      "=== Debug ===\n[^=]*(error|ERROR)[^=]*=== Debug ===\nVertex shader compilation error\n");
}

TEST_F(ShaderProgramTest, FragmentCompileErrorShowsLogThenBoxAndEnds) {
  EXPECT_EXIT({ ShaderProgram program(1, 3); }, testing::ExitedWithCode(0),
              "=== Debug ===\n[^=]*=== Debug ===\nFragment shader compilation error\n");
}

TEST_F(ShaderProgramTest, LinkErrorIsReportedLikeACompileError) {
  EXPECT_EXIT({ ShaderProgram program(1, 4); }, testing::ExitedWithCode(0),
              "=== Debug ===\n[^=]*=== Debug ===\nShader program link error\n");
}

PFNGLCREATEPROGRAMPROC gRealCreateProgram = nullptr;
GLuint gLastProgram = 0;
GLuint APIENTRY RecordingCreateProgram() { return gLastProgram = gRealCreateProgram(); }

TEST_F(ShaderProgramTest, RegistryKeepsTheFirstProgramUnderAName) {
  ProgramRegistry registry;
  gRealCreateProgram = glCreateProgram;
  glCreateProgram = RecordingCreateProgram;
  registry.Add("Clock", 1, 2);
  const GLuint first = gLastProgram;
  registry.Add("Clock", 1, 5);
  const GLuint second = gLastProgram;
  glCreateProgram = gRealCreateProgram;

  EXPECT_EQ(registry.Count(), 1u);
  EXPECT_EQ(registry.FindId("Clock"), first);
  ASSERT_NE(registry.Find("Clock"), nullptr);
  EXPECT_EQ(registry.Find("Clock")->GetId(), first);
  EXPECT_NE(first, second);
  EXPECT_EQ(glIsProgram(second), GL_FALSE);  // the unused one was deleted
  EXPECT_EQ(glIsProgram(first), GL_TRUE);

  EXPECT_EQ(registry.FindId("Nothing"), 0u);
  EXPECT_EQ(registry.Find("Nothing"), nullptr);
  registry.Use("Nothing");  // no program, no effect
  registry.Use("Clock");
  GLint current = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(static_cast<GLuint>(current), first);
  glUseProgram(0);
}

}  // namespace
