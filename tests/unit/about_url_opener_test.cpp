// The X11 opener (xdg-open); the Windows one is ShellExecuteA.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/url_opener.h"

namespace {

// A directory with a fake xdg-open that records its arguments, put first on
// PATH for the test.
class UrlOpener : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumitick-url-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    record_ = dir_ + "/opened";
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    setenv("PATH", (dir_ + ":" + oldPath_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  void InstallFakeOpener() {
    const std::string script = dir_ + "/xdg-open";
    std::ofstream out(script);
    out << "#!/bin/sh\nprintf '%s' \"$#\" > '" << record_ << ".tmp'\n"
        << "for a in \"$@\"; do printf '|%s' \"$a\" >> '" << record_ << ".tmp'; done\n"
        << "mv '" << record_ << ".tmp' '" << record_ << "'\n";
    out.close();
    chmod(script.c_str(), 0755);
  }
  std::string WaitForRecord() {
    for (int i = 0; i < 200; ++i) {
      std::ifstream in(record_);
      if (in) {
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return "(not started)";
  }
  std::string dir_, record_, oldPath_;
};

TEST_F(UrlOpener, HandsTheAddressOverAsOneArgumentWithoutAShell) {
  InstallFakeOpener();
  const std::string url = "https://a.example/?q=1&r=$(touch " + dir_ + "/pwned);`x` 'y' \"z\" *";
  EXPECT_TRUE(platform::OpenUrl(url.c_str()));
  EXPECT_EQ(WaitForRecord(), "1|" + url);
  EXPECT_NE(access((dir_ + "/pwned").c_str(), F_OK), 0);
}

TEST_F(UrlOpener, ReturnsAtOnceAndLeavesNoChildBehind) {
  InstallFakeOpener();
  EXPECT_TRUE(platform::OpenUrl("https://b.example/"));
  EXPECT_EQ(WaitForRecord(), "1|https://b.example/");
  // The opener belongs to init, not to us: nothing is left to reap.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(UrlOpener, FailsWhenThereIsNothingToStart) {
  setenv("PATH", dir_.c_str(), 1);  // no xdg-open there
  EXPECT_FALSE(platform::OpenUrl("https://c.example/"));
  EXPECT_FALSE(platform::OpenUrl(""));
  EXPECT_FALSE(platform::OpenUrl(nullptr));
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace

#endif
