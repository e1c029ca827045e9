#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/HugePages.h"
#include "app/ScreensaverArgs.h"
#include "app/XScreensaverConfig.h"
#include "platform/host_window.h"
#include "platform/instance_marker.h"

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

TEST(ParseWindowId, DecimalOrHexadecimalOnly) {
  platform::NativeHandle id = 0;
  EXPECT_TRUE(platform::ParseWindowId("010", &id));
  EXPECT_EQ(id, 10u);  // not octal 8
  EXPECT_TRUE(platform::ParseWindowId("0x4000Ee", &id));
  EXPECT_EQ(id, 0x4000EEu);
  EXPECT_TRUE(platform::ParseWindowId("4294967295", &id));
  EXPECT_EQ(id, 0xFFFFFFFFu);
  for (const char* bad : {"", "0", "0x", "0x0x5", "12a", "0xg", " 5", "+5", "-5", "4294967296", "0x100000000"})
    EXPECT_FALSE(platform::ParseWindowId(bad, &id)) << bad;
  EXPECT_FALSE(platform::ParseWindowId(nullptr, &id));
}

// The restart with glibc's huge-page tunable hands nothing of it on: the
// restarted image puts GLIBC_TUNABLES back as it found it.
TEST(HugePageRestart, RestartedImageRestoresTheEnvironment) {
  for (const char* before : {static_cast<const char*>(nullptr), "glibc.malloc.check=0"}) {
    if (before) {
      setenv("GLIBC_TUNABLES", before, 1);
    } else {
      unsetenv("GLIBC_TUNABLES");
    }
    ASSERT_TRUE(huge_pages::PrepareRestart());
    const std::string tunables = std::getenv("GLIBC_TUNABLES");
    EXPECT_NE(tunables.find("glibc.malloc.hugetlb=1"), std::string::npos);
    EXPECT_TRUE(huge_pages::RestoreEnvironment());  // as the new image does
    const char* after = std::getenv("GLIBC_TUNABLES");
    if (before) {
      EXPECT_EQ(tunables.find(before), 0u);
      ASSERT_NE(after, nullptr);
      EXPECT_STREQ(after, before);
    } else {
      EXPECT_EQ(after, nullptr);
    }
    EXPECT_EQ(std::getenv("LUMITICK_TUNED"), nullptr);
  }
  setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1);
  EXPECT_FALSE(huge_pages::PrepareRestart()) << "the user's own tunable is enough";
  unsetenv("GLIBC_TUNABLES");
}

// The programs list as xscreensaver-settings 6.06 writes it (an excerpt of
// a real file), and as xscreensaver's X resource defaults hold it.
const char kWritten[] =
    "mode:\t\trandom\nselected:\t-1\n\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n"
    "\n\npointerHysteresis:  10\n";
const char kDefaults[] =
    "*mode:\t\t\trandom\n"
    "*programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsquirtorus --root\t\t\t    \\n\n"
    "\n*hacks.maze.name: Maze\n";

std::string Added(const std::string& text, const std::string& defaults = "") {
  std::string out, problem;
  EXPECT_TRUE(xscreensaver_config::AddEntry(text, defaults, "lumitick --root", &out, &problem)) << problem;
  return out;
}

TEST(XScreensaverConfig, AddsOneEntryAtTheEndOfTheList) {
  const std::string text = kWritten;
  const std::string out = Added(text);
  const std::string line = "\t\t\t\tlumitick --root\t\t\t\t    \\n\\\n";
  const std::size_t at = text.find("\n\n\npointerHysteresis") + 1;
  EXPECT_EQ(out, text.substr(0, at) + line + text.substr(at));
  bool off = true;
  EXPECT_TRUE(xscreensaver_config::ListsProgram(out, "lumitick", &off));
  EXPECT_FALSE(off);
  EXPECT_FALSE(xscreensaver_config::ListsProgram(text, "lumitick"));
  EXPECT_TRUE(xscreensaver_config::ListsProgram(text, "superquadrics"));
  EXPECT_FALSE(xscreensaver_config::ListsProgram(text, "pointerHysteresis"));
}

TEST(XScreensaverConfig, ListsEntriesInEveryForm) {
  bool off = false;
  for (const char* entry : {"lumitick --root", "GL: /opt/x/lumitick --root", "\"Clock\" lumitick -root",
                            "default: \"Clock\" /usr/libexec/xscreensaver/lumitick"}) {
    EXPECT_TRUE(xscreensaver_config::ListsProgram(std::string("programs: maze \\n\\\n ") + entry + " \\n\n",
                                                  "lumitick", &off)) << entry;
    EXPECT_FALSE(off) << entry;
  }
  EXPECT_TRUE(xscreensaver_config::ListsProgram("programs:\t\\\n-  GL: lumitick --root\\n\\\n\n", "lumitick", &off));
  EXPECT_TRUE(off);
  EXPECT_FALSE(xscreensaver_config::ListsProgram("programs: lumitickish --root\n", "lumitick"));
  EXPECT_FALSE(xscreensaver_config::ListsProgram("! programs: lumitick\nmode: one\n", "lumitick"));
}

TEST(XScreensaverConfig, ListsThatEndOnTheirLastEntry) {
  // The defaults' form: the last entry ends the value itself.
  std::string out = Added("programs: maze --root \\n\\\n  qix --root \\n\nmode: one\n");
  EXPECT_EQ(out, "programs: maze --root \\n\\\n  qix --root \\n\\\n\t\t\t\tlumitick --root\t\t\t\t    \\n\nmode: one\n");
  out = Added("programs: qix --root\n");
  EXPECT_EQ(out, "programs: qix --root\\n\\\n\t\t\t\tlumitick --root\t\t\t\t    \\n\n");
  out = Added("programs:\n");
  EXPECT_EQ(out, "programs:\t\\\n\t\t\t\tlumitick --root\t\t\t\t    \\n\n");
}

TEST(XScreensaverConfig, WithoutAListTheDefaultsListComesFirst) {
  const std::string out = Added("mode:\t\tone\nselected:\t3\n", kDefaults);
  EXPECT_EQ(out.find("mode:\t\tone\nselected:\t3\n\nprograms:"), 0u);
  EXPECT_TRUE(xscreensaver_config::ListsProgram(out, "squirtorus"));
  EXPECT_TRUE(xscreensaver_config::ListsProgram(out, "lumitick"));
  EXPECT_LT(out.find("squirtorus"), out.find("lumitick"));
  EXPECT_EQ(out.find("*hacks"), std::string::npos);
  EXPECT_EQ(Added("", kDefaults).find("programs:"), 0u);
  std::string ignored, problem;
  EXPECT_FALSE(xscreensaver_config::AddEntry("mode: one\n", "*mode: random\n", "lumitick --root", &ignored, &problem));
  EXPECT_FALSE(problem.empty());
}

TEST(XScreensaverConfig, EntryNamesTheProgramByPathOutsideTheHackFolder) {
  EXPECT_EQ(xscreensaver_config::EntryCommand("/usr/libexec/xscreensaver/lumitick", "/usr/libexec/xscreensaver"),
            "lumitick --root");
  EXPECT_EQ(xscreensaver_config::EntryCommand("/home/u/build/lumitick", "/usr/libexec/xscreensaver"),
            "/home/u/build/lumitick --root");
}

// Runs AcquireInstanceMarker(name) in a child process; answers its result.
bool AcquiredByAnotherProcess(const std::string& name) {
  const pid_t pid = fork();
  if (pid == 0) _exit(platform::AcquireInstanceMarker(name.c_str()) ? 1 : 0);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(InstanceMarker, FirstHolderKeepsOthersOutUntilItDies) {
  // A name of this test's own, so that a saver running on the machine does
  // not interfere.
  const std::string name = "lumitick-unit-marker-" + std::to_string(getpid());
  EXPECT_TRUE(AcquiredByAnotherProcess(name));  // its holder has ended: free again
  EXPECT_TRUE(AcquiredByAnotherProcess(name));

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    const char ok = platform::AcquireInstanceMarker(name.c_str()) ? 'y' : 'n';
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    for (;;) pause();
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  EXPECT_EQ(ok, 'y');
  EXPECT_FALSE(AcquiredByAnotherProcess(name));
  EXPECT_TRUE(AcquiredByAnotherProcess(name + "-other"));
  kill(holder, SIGKILL);  // no clean-up runs: the kernel must free the name
  waitpid(holder, nullptr, 0);
  EXPECT_TRUE(AcquiredByAnotherProcess(name));
  close(ready[0]);
  close(ready[1]);
}

TEST(InstanceMarker, HeldForTheLifeOfTheProcess) {
  const std::string name = "lumitick-unit-self-" + std::to_string(getpid());
  EXPECT_TRUE(platform::AcquireInstanceMarker(name.c_str()));
  EXPECT_FALSE(platform::AcquireInstanceMarker(name.c_str()));
  EXPECT_FALSE(AcquiredByAnotherProcess(name));
}

}  // namespace
