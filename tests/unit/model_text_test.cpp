#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/TextLines.h"

namespace {

using objl::AfterFirstToken;
using objl::FirstToken;
using objl::SplitOn;
using Fields = std::vector<std::string>;

TEST(ModelTextWords, FirstTokenAndTheRestSkipBlanksButNotCarriageReturns) {
  EXPECT_EQ(FirstToken(""), "");
  EXPECT_EQ(FirstToken(" \t "), "");
  EXPECT_EQ(FirstToken("\tvt 0 1"), "vt");
  EXPECT_EQ(FirstToken("newmtl\r"), "newmtl\r");
  EXPECT_EQ(AfterFirstToken("usemtl"), "");
  EXPECT_EQ(AfterFirstToken("  g \t Plane001 \t"), "Plane001");
  EXPECT_EQ(AfterFirstToken("f 1 2  3 "), "1 2  3");
  EXPECT_EQ(AfterFirstToken("newmtl wire\r"), "wire\r");
  EXPECT_EQ(objl::TrimLineEnd("wire\r\n\r"), "wire");
  EXPECT_EQ(objl::TrimLineEnd("\r\n"), "\r\n");
}

TEST(ModelTextWords, SplitKeepsEmptyFieldsButNoTrailingOne) {
  EXPECT_EQ(SplitOn("1//3", "/"), (Fields{"1", "", "3"}));
  EXPECT_EQ(SplitOn("a  b", " "), (Fields{"a", "", "b"}));
  EXPECT_EQ(SplitOn("1/2/", "/"), (Fields{"1", "2"}));
  EXPECT_EQ(SplitOn("/1", "/"), (Fields{"", "1"}));
  EXPECT_EQ(SplitOn("", "/"), Fields{});
  EXPECT_EQ(SplitOn("7", "/"), Fields{"7"});
  EXPECT_EQ(SplitOn("abc", ""), Fields{"abc"});  // must not loop forever
}

TEST(ModelTextLines, LastLineWithoutLineFeedIsRead) {
  const std::string text = "a\r\n\nb";
  std::size_t pos = 0;
  std::string line;
  Fields lines;
  while (objl::NextLine(text, &pos, &line)) lines.push_back(line);
  EXPECT_EQ(lines, (Fields{"a\r", "", "b"}));
}

}  // namespace
