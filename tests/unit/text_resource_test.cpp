#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/resources.h"
#include "render/TextResource.h"

namespace {

std::vector<std::string> gBoxes;
void CatchBox(const char* text, const char* title, platform::MessageIcon) {
  gBoxes.push_back(std::string(title) + ": " + text);
}

// Installs a resource table holding `texts` as "TEXTFILE" 1, 2, ... and
// catches message boxes, for the life of the fixture.
class TextResourceTest : public testing::Test {
 protected:
  void SetUp() override {
    gBoxes.clear();
    platform::SetMessageBoxHook(CatchBox);
  }
  void TearDown() override {
    platform::SetResourceTableOverride(nullptr, 0);
    platform::SetMessageBoxHook(nullptr);
  }
  void Install(std::vector<std::string> texts) {
    texts_ = std::move(texts);
    table_.clear();
    for (std::size_t i = 0; i < texts_.size(); ++i)
      table_.push_back({"TEXTFILE", static_cast<std::uint16_t>(i + 1), nullptr,
                        reinterpret_cast<const unsigned char*>(texts_[i].data()), texts_[i].size()});
    platform::SetResourceTableOverride(table_.data(), table_.size());
  }
  std::vector<std::string> texts_;
  std::vector<platform::ResourceEntry> table_;
};

TEST_F(TextResourceTest, ShaderTextEndsBeforeTheMarkerLine) {
  Install({"#version 110\r\nvoid main() {}\r\n//~\r\nafter the marker"});
  std::vector<char> buf(64 + 4, 'x');
  EXPECT_EQ(LoadTextResource(1, buf.data(), 64), TextResourceStatus::Ok);
  EXPECT_STREQ(buf.data(), "#version 110\r\nvoid main() {}\r\n//");
  const std::size_t end = std::string("#version 110\r\nvoid main() {}\r\n//").size();
  for (std::size_t i = end; i < end + 4; ++i) EXPECT_EQ(buf[i], '\0');
  EXPECT_EQ(buf[end + 4], 'x');  // nothing written past the four NULs
  EXPECT_TRUE(gBoxes.empty());
}

TEST_F(TextResourceTest, FirstMarkerCutsTheText) {
  Install({"abc~def~ghi"});
  std::vector<char> buf(32 + 4);
  LoadTextResource(1, buf.data(), 32);
  EXPECT_STREQ(buf.data(), "abc");
}

TEST_F(TextResourceTest, BadTextsAreReportedAndNeverOverrun) {
  Install({"no marker here", std::string(100, 'a') + "~"});
  // The table holds exactly these bytes: a heap buffer of the exact capacity
  // plus 4 lets AddressSanitizer catch any write past it.
  std::vector<char> small(10 + 4);
  EXPECT_EQ(LoadTextResource(2, small.data(), 10), TextResourceStatus::TooLong);
  EXPECT_EQ(std::string(small.data()), std::string(10, 'a'));

  std::vector<char> buf(64 + 4);
  EXPECT_EQ(LoadTextResource(1, buf.data(), 64), TextResourceStatus::NoMarker);
  EXPECT_STREQ(buf.data(), "no marker here");

  EXPECT_EQ(LoadTextResource(77, buf.data(), 64), TextResourceStatus::Missing);
  EXPECT_STREQ(buf.data(), "");

  ASSERT_EQ(gBoxes.size(), 3u);
  EXPECT_EQ(gBoxes[0], "Debug: Text resource 2 is longer than 10 bytes");
  EXPECT_EQ(gBoxes[1], "Debug: Text resource 1 has no end marker \"~\"");
  EXPECT_EQ(gBoxes[2], "Debug: Text resource 77 is missing");
}

TEST_F(TextResourceTest, SizedTextsAreTakenWhole) {
  Install({std::string("v 1 2 3\r\n~\0tail", 15)});
  std::string text;
  ASSERT_TRUE(LoadSizedTextResource(1, &text));
  EXPECT_EQ(text.size(), 15u);
  EXPECT_EQ(text[9], '~');  // no marker is looked for
  EXPECT_EQ(text.substr(10), std::string("\0tail", 5));
  EXPECT_FALSE(LoadSizedTextResource(5, &text));
  EXPECT_TRUE(text.empty());
}

TEST(EmbeddedResources, ShaderTextsHaveTheirForm) {
  // The program's own shaders: "#version 110" first, CR LF lines, "//~" last,
  // and no other marker.
  for (std::uint16_t id : {136, 137}) {
    platform::ResourceData data;
    ASSERT_TRUE(platform::FindResourceData("TEXTFILE", id, &data)) << id;
    const std::string text(reinterpret_cast<const char*>(data.bytes), data.size);
    EXPECT_EQ(text.rfind("#version 110\r\n", 0), 0u) << id;
    EXPECT_EQ(text.find('~'), text.rfind("//~") + 2) << id;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << id << " at " << i;
      }
    }
  }
}

}  // namespace
