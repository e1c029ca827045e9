#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/AboutWindow.h"
#include "platform/message_box.h"

namespace {

std::pair<int, int> Position(int width, int height) {
  int x = -1, y = -1;
  about::WindowPosition(width, height, &x, &y);
  return {x, y};
}

TEST(AboutWindowPosition, CentresTheOuterFrame) {
  EXPECT_EQ(Position(1920, 1080), std::make_pair(760, 390));
  EXPECT_EQ(Position(1366, 768), std::make_pair(483, 234));
  EXPECT_EQ(Position(1365, 767), std::make_pair(482, 233));  // halves are dropped
}

TEST(AboutWindowPosition, TruncatesTowardZeroOnTinyScreens) {
  EXPECT_EQ(Position(399, 299), std::make_pair(0, 0));  // -0.5 becomes 0, not -1
  EXPECT_EQ(Position(300, 100), std::make_pair(-50, -100));
  EXPECT_EQ(Position(397, 297), std::make_pair(-1, -1));
}

// Every character is 10 pixels wide.
int Tens(const std::string& s) { return static_cast<int>(s.size()) * 10; }

std::vector<std::string> Break(const std::string& text, int width) { return about::BreakLines(text, width, Tens); }

TEST(AboutTextLines, BreakAtEveryKindOfLineEnd) {
  EXPECT_EQ(Break("one\r\ntwo\nthree\rfour", 1000), (std::vector<std::string>{"one", "two", "three", "four"}));
  EXPECT_EQ(Break("a\r\n\r\nb", 1000), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Break("", 1000), (std::vector<std::string>{""}));
  EXPECT_EQ(Break("end\r\n", 1000), (std::vector<std::string>{"end", ""}));
}

TEST(AboutTextLines, WrapBetweenWordsThatPassTheEdge) {
  EXPECT_EQ(Break("aaa bbb ccc", 70), (std::vector<std::string>{"aaa bbb", "ccc"}));
  EXPECT_EQ(Break("aaa bbb ccc", 69), (std::vector<std::string>{"aaa", "bbb", "ccc"}));
  EXPECT_EQ(Break("aaa   bbb", 50), (std::vector<std::string>{"aaa", "bbb"}));  // spaces at the wrap go
  EXPECT_EQ(Break("  lead", 1000), (std::vector<std::string>{"  lead"}));
}

TEST(AboutTextLines, AWordWiderThanTheLineKeepsALineOfItsOwn) {
  EXPECT_EQ(Break("x verylongword y", 50), (std::vector<std::string>{"x", "verylongword", "y"}));
  EXPECT_EQ(Break("verylongword", 50), (std::vector<std::string>{"verylongword"}));
}

TEST(AboutTexts, ThreeMakerLinesAndAReservedWebsite) {
  const auto lines = Break(about::kAboutText, 1 << 30);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("\xC2\xA9"), std::string::npos);
  EXPECT_NE(lines[0].find("Lumitick"), std::string::npos);
  EXPECT_NE(lines[1].find("lumitick.example"), std::string::npos);
  EXPECT_NE(lines[2].find("@lumitick.example"), std::string::npos);
  // The lines fit the 380-pixel text control at its 6-pixel average width.
  for (const auto& line : lines) EXPECT_LE(line.size() * 6, 380u) << line;
  const std::string url = about::WebsiteUrl();
  EXPECT_EQ(url.rfind("https://", 0), 0u);
  EXPECT_EQ(url.substr(url.size() - 18), "/?utm_source=About");
  EXPECT_NE(url.find(".example/"), std::string::npos);
}

// Windows would show a real window here and wait for it to be closed.
#if !defined(_WIN32)
std::vector<std::string> sBoxes;
void RecordBox(const char* text, const char* title, platform::MessageIcon icon) {
  sBoxes.push_back(std::string(title) + "|" + text + (icon == platform::MessageIcon::Warning ? "|warning" : "|info"));
}

TEST(AboutWindow, WithoutADisplayReportsBothFailuresAndReturns) {
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  sBoxes.clear();
  platform::SetMessageBoxHook(RecordBox);
  CAboutWindow window(nullptr, 1);
  platform::SetMessageBoxHook(nullptr);
  if (display) setenv("DISPLAY", saved.c_str(), 1);
  EXPECT_EQ(sBoxes, (std::vector<std::string>{"Error!|Window Registration Failed!|warning",
                                              "Error!|Window Creation Failed!|warning"}));
}
#endif

}  // namespace
