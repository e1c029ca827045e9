#include <gtest/gtest.h>

#include <string>

#include "platform/resources.h"

namespace {

std::string ResourceText(std::uint16_t id) {
  platform::ResourceData data;
  if (!platform::FindResourceData("TEXTFILE", id, &data)) return std::string();
  return std::string(reinterpret_cast<const char*>(data.bytes), data.size);
}

// The text loader stops at the first "~": each shader must carry exactly
// one, on its last line "//~", and use CR LF line ends throughout.
TEST(ClockShaderTexts, HaveTheResourceForm) {
  for (std::uint16_t id : {136, 137}) {
    SCOPED_TRACE(id);
    const std::string text = ResourceText(id);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.rfind("#version 110\r\n", 0), 0u);
    EXPECT_EQ(text.find('~'), text.rfind('~'));
    const std::size_t tail = text.rfind("\r\n//~");
    ASSERT_NE(tail, std::string::npos);
    EXPECT_TRUE(text.substr(tail + 5).empty() || text.substr(tail + 5) == "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        ASSERT_GT(i, 0u);
        EXPECT_EQ(text[i - 1], '\r') << "bare LF at byte " << i;
      }
      if (text[i] == '\r') {
        EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at byte " << i;
      }
    }
  }
}

TEST(ClockShaderTexts, DeclareTheUniformsTheSceneSets) {
  const std::string fragment = ResourceText(136);
  for (const char* name : {"uniform float iTime;", "uniform float viewportWidth;", "uniform float viewportHeight;",
                           "uniform float psecond;", "uniform float pminute;", "uniform float phour;",
                           "uniform sampler2D clockTexture;", "uniform sampler2D backgroundTexture;"}) {
    EXPECT_NE(fragment.find(name), std::string::npos) << name;
  }
  const std::string vertex = ResourceText(137);
  for (const char* name : {"attribute vec4 position;", "attribute vec2 position_tex;", "varying vec2 fs_tex;"}) {
    EXPECT_NE(vertex.find(name), std::string::npos) << name;
  }
}

}  // namespace
