#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "app/ScreensaverArgs.h"

namespace {

CScreensaverArgs Parse(const char* text) {
  std::unique_ptr<CScreensaverArgs> args(ParseCommandLine(text));
  return *args;
}

TEST(ParseCommandLine, SwitchesSelectTheirModes) {
  EXPECT_EQ(Parse("").mode, ScreensaverMode::None);
  EXPECT_EQ(Parse("/s").mode, ScreensaverMode::Run);
  EXPECT_EQ(Parse("/c").mode, ScreensaverMode::Configure);
  EXPECT_EQ(Parse("/p 1").mode, ScreensaverMode::Preview);
  EXPECT_EQ(Parse(nullptr).mode, ScreensaverMode::None);
}

TEST(ParseCommandLine, OnlyLowerCaseLettersCount) {
  EXPECT_EQ(Parse("/S").mode, ScreensaverMode::None);
  EXPECT_EQ(Parse("/P 12").parentWindow, 0);
  EXPECT_EQ(Parse("-s").mode, ScreensaverMode::None);
}

TEST(ParseCommandLine, HandleStartsThreeCharactersAfterTheSlash) {
  EXPECT_EQ(Parse("/p 1234").parentWindow, 1234);
  EXPECT_EQ(Parse("/p:1234").parentWindow, 1234);
  EXPECT_EQ(Parse("/p1234").parentWindow, 234);
  EXPECT_EQ(Parse("/c:1234").mode, ScreensaverMode::Configure);
  EXPECT_EQ(Parse("/c:1234").parentWindow, 1234);
  EXPECT_EQ(Parse("/p   -42x").parentWindow, -42);
  EXPECT_EQ(Parse("/p window").parentWindow, 0);
}

TEST(ParseCommandLine, LaterSwitchOverridesEarlier) {
  CScreensaverArgs a = Parse("/p 1234 /s");
  EXPECT_EQ(a.mode, ScreensaverMode::Run);
  EXPECT_EQ(a.parentWindow, 0);
  // An unknown switch leaves the mode but still re-reads the handle.
  a = Parse("/p 1234 /x 99");
  EXPECT_EQ(a.mode, ScreensaverMode::Preview);
  EXPECT_EQ(a.parentWindow, 99);
  // Before any mode is set, an unknown switch reads nothing.
  a = Parse("/x 99");
  EXPECT_EQ(a.mode, ScreensaverMode::None);
  EXPECT_EQ(a.parentWindow, 0);
}

TEST(ParseCommandLine, NeverReadsPastTheEndOfTheText) {
  // Switch letter last, or one character before the end: no number follows.
  for (const char* text : {"/p", "/p ", "/", "/p 5 /", "/p 5 /s", "/p 5 /s "}) {
    // A heap copy of exact size lets AddressSanitizer catch any over-read.
    const std::size_t n = std::strlen(text) + 1;
    std::unique_ptr<char[]> copy(new char[n]);
    std::memcpy(copy.get(), text, n);
    CScreensaverArgs a = Parse(copy.get());
    EXPECT_EQ(a.parentWindow, 0) << text;
  }
  EXPECT_EQ(Parse("/p").mode, ScreensaverMode::Preview);
  EXPECT_EQ(Parse("/p 5 /").mode, ScreensaverMode::Preview);
}

TEST(ParseHandleNumber, BehavesLikeAtoiWithinRange) {
  EXPECT_EQ(ParseHandleNumber("  \t+17abc"), 17);
  EXPECT_EQ(ParseHandleNumber("-0"), 0);
  EXPECT_EQ(ParseHandleNumber("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseHandleNumber("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseHandleNumber("+-3"), 0);
  EXPECT_EQ(ParseHandleNumber(""), 0);
}

TEST(ParseHandleNumber, SaturatesOutOfRangeNumbers) {
  EXPECT_EQ(ParseHandleNumber("2147483648"), INT32_MAX);
  EXPECT_EQ(ParseHandleNumber("99999999999999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseHandleNumber("-2147483649"), INT32_MIN);
  EXPECT_EQ(ParseHandleNumber("-99999999999999999999999999999"), INT32_MIN);
}

}  // namespace
