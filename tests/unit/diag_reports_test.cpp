#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "diag/DebugReports.h"
#include "diag/FrameTimes.h"
#include "platform/message_box.h"

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0, at;
  while ((at = text.find(separator, start)) != std::string::npos) {
    parts.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

TEST(GLCapabilityReport, TenLinesInOrderWithoutATrailingLineEnd) {
  GLCapabilityValues v;
  v.majorVersion = 4;
  v.minorVersion = 5;
  v.versionString = "4.5 (Compatibility Profile) Mesa 22.3.6";
  v.rendererString = "llvmpipe (LLVM 15.0.6, 256 bits)";
  v.maxVertexAttribs = 16;
  v.maxUniformLocations = 98304;
  v.maxVertexUniformComponents = 4096;
  v.maxFragmentUniformComponents = 4095;
  v.maxElementsIndices = 3000;
  v.maxElementsVertices = 3001;
  v.maxTextureSize = 16384;
  const std::string text = FormatGLCapabilities(v);
  EXPECT_EQ(Split(text, "\r\n"), (std::vector<std::string>{
                                     "OpenGL Major and Minor version: 4.5",
                                     "OpenGL Version string: 4.5 (Compatibility Profile) Mesa 22.3.6",
                                     "OpenGL Renderer string: llvmpipe (LLVM 15.0.6, 256 bits)",
                                     "Max Attrib Count: 16",
                                     "Max Uniform Locations: 98304",
                                     "Max Vertex Uniform Count: 4096",
                                     "Max Fragment Uniform Count: 4095",
                                     "Max Elements Indices: 3000",
                                     "Max Elements Vertices: 3001",
                                     "Max Texture Size: 16384",
                                 }));
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // no bare line feeds
}

TEST(GLCapabilityReport, WithoutAContextEverythingStaysEmpty) {
  // No entry points are loaded in this process.
  const GLCapabilityValues v = QueryGLCapabilities();
  EXPECT_EQ(v.majorVersion, 0);
  EXPECT_EQ(v.versionString, "");
  EXPECT_EQ(v.rendererString, "");
  EXPECT_EQ(v.maxTextureSize, 0);
}

TEST(ValueReports, FloatsInTheStreamsGeneralFormat) {
  EXPECT_EQ(FormatFrameTimes(16.666666f, 0.5f, 1234567.0f), "Min: 16.6667\r\nMax: 0.5\r\nAverage: 1.23457e+06");
  EXPECT_EQ(FormatThreeFloats(1.0f, -2.25f, 0.0001f), "Float X: 1\r\nFloat Y: -2.25\r\nFloat Z: 0.0001");
  EXPECT_EQ(FormatThreeFloats(100000.0f, 1e-5f, -0.0f), "Float X: 100000\r\nFloat Y: 1e-05\r\nFloat Z: -0");
}

std::vector<std::string> sBoxes;
void RecordBox(const char* text, const char* title, platform::MessageIcon icon) {
  sBoxes.push_back(std::string(title) + (icon == platform::MessageIcon::Information ? "(i)|" : "(w)|") + text);
}

TEST(ValueReports, ShowAnInfoBox) {
  sBoxes.clear();
  platform::SetMessageBoxHook(RecordBox);
  ShowThreeFloats(1, 2, 3);
  ShowFrameTimes(4, 5, 6);
  platform::SetMessageBoxHook(nullptr);
  EXPECT_EQ(sBoxes, (std::vector<std::string>{"Info(i)|Float X: 1\r\nFloat Y: 2\r\nFloat Z: 3",
                                              "Info(i)|Min: 4\r\nMax: 5\r\nAverage: 6"}));
}

TEST(FrameTimeStats, OneSampleGivesOneValueThreeTimes) {
  FrameTimeStats s;
  s.Start(2.0);
  s.Finish(2.016);
  EXPECT_NEAR(s.elapsed, 16.0f, 0.01f);
  EXPECT_EQ(s.minimum, s.elapsed);
  EXPECT_EQ(s.maximum, s.elapsed);
  EXPECT_EQ(s.average, s.elapsed);
  EXPECT_EQ(s.count, 1);
}

TEST(FrameTimeStats, AFirstFrameLongerThanASecondIsItsOwnMinimum) {
  FrameTimeStats s;
  s.Start(1.0);
  s.Finish(3.5);
  EXPECT_NEAR(s.minimum, 2500.0f, 0.01f);
  EXPECT_EQ(s.minimum, s.maximum);
}

TEST(FrameTimeStats, TracksExtremesAndMeanOverFrames) {
  FrameTimeStats s;
  const double frames[][2] = {{10.0, 10.020}, {10.020, 10.030}, {10.030, 10.060}};
  for (const auto& f : frames) {
    s.Start(f[0]);
    s.Finish(f[1]);
  }
  EXPECT_EQ(s.count, 3);
  EXPECT_NEAR(s.minimum, 10.0f, 0.01f);
  EXPECT_NEAR(s.maximum, 30.0f, 0.01f);
  EXPECT_NEAR(s.average, 20.0f, 0.01f);
  EXPECT_NEAR(s.total, 60.0f, 0.02f);
}

// The box goes to standard error on every platform, so that no real box
// waits for a click inside the death test.
void BoxToStderr(const char* text, const char* title, platform::MessageIcon) {
  std::fprintf(stderr, "%s: %s\n", title, text);
}

TEST(FrameTimesDeathTest, EndOfTheFirstFrameReportsAndEndsWithStatusZero) {
  EXPECT_EXIT(
      {
        platform::SetMessageBoxHook(BoxToStderr);
        BeginFrameTimes();
        EndFrameTimes();
      },
      testing::ExitedWithCode(0), "Info: Min: \\S+\\s+Max: \\S+\\s+Average: \\S+");
}

}  // namespace
