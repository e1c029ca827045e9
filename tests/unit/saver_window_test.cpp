#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/FramePacer.h"
#include "app/SaverWindows.h"
#include "app/ScreensaverApp.h"
#include "platform/os_version.h"

namespace {

TEST(StoreWindowSize, KeepsWidthHeightAndRatio) {
  StoreWindowSize(1024, 768);
  EXPECT_EQ(gWindowWidth, 1024);
  EXPECT_EQ(gWindowHeight, 768);
  EXPECT_FLOAT_EQ(gAspectRatio, 1.3333334f);
}

TEST(StoreWindowSize, ZeroSizeKeepsTheLastFiniteRatio) {
  StoreWindowSize(1920, 1080);
  StoreWindowSize(1920, 0);  // minimised
  EXPECT_EQ(gWindowHeight, 0);
  EXPECT_TRUE(std::isfinite(gAspectRatio));
  EXPECT_FLOAT_EQ(gAspectRatio, 1920.0f / 1080.0f);
  StoreWindowSize(0, 0);
  EXPECT_FLOAT_EQ(gAspectRatio, 1920.0f / 1080.0f);
  StoreWindowSize(600, 800);
  EXPECT_FLOAT_EQ(gAspectRatio, 0.75f);
}

TEST(ChooseFullScreenSize, MonitorModeOnNewWindowsAndElsewhere) {
  int w = 0, h = 0;
  ChooseFullScreenSize(platform::kNotWindows, 1920, 1080, &w, &h);
  EXPECT_EQ(w, 1920);
  EXPECT_EQ(h, 1080);
  ChooseFullScreenSize(60, 2560, 1440, &w, &h);
  EXPECT_EQ(w, 2560);
  EXPECT_EQ(h, 1440);
}

TEST(ChooseFullScreenSize, OldWindowsAndNoModeGive800x600) {
  int w = 0, h = 0;
  ChooseFullScreenSize(51, 1920, 1080, &w, &h);  // Windows XP
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  ChooseFullScreenSize(platform::kNotWindows, 0, 0, &w, &h);  // no monitor or mode
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
}

TEST(SaverIcon, MonitorOnTransparentGround) {
  std::vector<unsigned char> px(kSaverIconSize * kSaverIconSize * 4);
  BuildSaverIcon(px.data());
  auto at = [&](int x, int y) { return &px[(y * kSaverIconSize + x) * 4]; };
  EXPECT_EQ(at(0, 0)[3], 0);      // corner: transparent
  EXPECT_EQ(at(63, 63)[3], 0);
  const unsigned char* tl = at(16, 14);  // screen quadrants
  EXPECT_EQ(tl[0], 255); EXPECT_EQ(tl[1], 72); EXPECT_EQ(tl[2], 72); EXPECT_EQ(tl[3], 255);
  const unsigned char* tr = at(48, 14);
  EXPECT_EQ(tr[0], 0); EXPECT_EQ(tr[1], 217); EXPECT_EQ(tr[2], 70);
  const unsigned char* bl = at(16, 30);
  EXPECT_EQ(bl[0], 72); EXPECT_EQ(bl[1], 72); EXPECT_EQ(bl[2], 255);
  const unsigned char* br = at(48, 30);
  EXPECT_EQ(br[0], 240); EXPECT_EQ(br[1], 240); EXPECT_EQ(br[2], 0);
  const unsigned char* body = at(6, 42);
  EXPECT_EQ(body[0], 72); EXPECT_EQ(body[1], 194); EXPECT_EQ(body[2], 255);
  // Softened edges: some pixels are partly covered.
  int partial = 0;
  for (int i = 0; i < kSaverIconSize * kSaverIconSize; ++i) partial += px[i * 4 + 3] > 0 && px[i * 4 + 3] < 255;
  EXPECT_GT(partial, 10);
}

// The clock of the frame pacer and the focus rules.
double sNow = 0.0;
double FakeNow() { return sNow; }
void FakeWait(double s) { sNow += s; }

// The frame pacer: `work` seconds of drawing, then swaps that take `swap`
// seconds; answers the periods of the turns.
std::vector<double> PacedPeriods(FramePacer& pacer, int turns, double work, double swap) {
  std::vector<double> periods;
  for (int i = 0; i < turns; ++i) {
    const double start = sNow;
    sNow += work;
    pacer.BeforeSwaps();
    sNow += swap;
    pacer.AfterSwaps();
    periods.push_back(sNow - start);
  }
  return periods;
}

TEST(FramePacer, SwapsThatReturnAtOnceArePacedToTheRefreshRate) {
  FramePacer pacer(0, {FakeNow, FakeWait});  // Xvfb reports 0 Hz: 60
  const std::vector<double> periods = PacedPeriods(pacer, 40, 0.002, 0.0005);
  EXPECT_TRUE(pacer.Pacing());
  for (int i = FramePacer::kEarlyTurnsToPace + 1; i < 40; ++i) EXPECT_NEAR(periods[i], 1.0 / 60, 1e-9) << i;
  // A turn longer than the interval is not made longer still.
  EXPECT_NEAR(PacedPeriods(pacer, 1, 0.030, 0.0005)[0], 0.0305, 1e-9);
}

TEST(FramePacer, SwapsThatWaitForTheRetraceAreLeftAlone) {
  FramePacer pacer(75, {FakeNow, FakeWait});
  PacedPeriods(pacer, 40, 0.002, 1.0 / 75 - 0.002);
  EXPECT_FALSE(pacer.Pacing());
  // Paced while swaps returned at once (a hidden window), then no longer
  // once they wait again.
  PacedPeriods(pacer, 20, 0.002, 0.0005);
  ASSERT_TRUE(pacer.Pacing());
  const std::vector<double> periods = PacedPeriods(pacer, 10, 0.002, 0.010);
  EXPECT_FALSE(pacer.Pacing());
  EXPECT_NEAR(periods.back(), 0.012, 1e-9);
}

// The focus rules; the windows asked at the end hold the focus or not.
const auto kNoneHoldsIt = [] { return false; };
constexpr double kGrace = SaverFocusRules::kFocusGrace;

TEST(SaverFocusRules, FocusMovingBetweenSaverWindowsKeepsTheSaver) {
  SaverFocusRules rules(FakeNow);
  sNow = 10.0;
  rules.FocusLost();  // a loss and a gain in one turn
  EXPECT_FALSE(rules.ShouldEnd(true, kNoneHoldsIt));
  rules.FocusLost();  // the gain a turn later
  EXPECT_FALSE(rules.ShouldEnd(false, kNoneHoldsIt));
  sNow += kGrace / 2;
  EXPECT_FALSE(rules.ShouldEnd(true, kNoneHoldsIt));
  rules.FocusLost();  // no gain reported, but a window holds it
  sNow += 2 * kGrace;
  EXPECT_FALSE(rules.ShouldEnd(false, [] { return true; }));
  sNow += 5.0;  // nothing lost since
  EXPECT_FALSE(rules.ShouldEnd(false, kNoneHoldsIt));
}

TEST(SaverFocusRules, FocusTakenByAnotherProgramEndsAfterTheGraceOrTheQuietPeriod) {
  SaverFocusRules rules(FakeNow);
  sNow = 10.0;
  rules.FocusLost();
  sNow += kGrace * 0.9;
  EXPECT_FALSE(rules.ShouldEnd(false, kNoneHoldsIt));
  sNow += kGrace * 0.2;
  EXPECT_TRUE(rules.ShouldEnd(false, kNoneHoldsIt));

  SaverFocusRules quiet(FakeNow);  // a window opened for a monitor took the focus
  quiet.OwnChange();
  quiet.FocusLost();
  sNow += SaverFocusRules::kQuietAfterChange * 0.9;
  EXPECT_FALSE(quiet.ShouldEnd(false, kNoneHoldsIt));
  sNow += SaverFocusRules::kQuietAfterChange * 0.2;
  EXPECT_TRUE(quiet.ShouldEnd(false, kNoneHoldsIt));

  SaverFocusRules iconified(FakeNow);
  iconified.Iconified();
  EXPECT_TRUE(iconified.ShouldEnd(true, kNoneHoldsIt));
}

GLFWmonitor* Monitor(std::uintptr_t i) { return reinterpret_cast<GLFWmonitor*>(i); }

TEST(PlanMonitors, MonitorsAddedGetAWindowGoneOnesLoseItAndTheFirstFollowsThePrimary) {
  GLFWmonitor *a = Monitor(1), *b = Monitor(2), *c = Monitor(3);
  MonitorPlan plan = PlanMonitors({a, b}, {a, b, c}, a);
  EXPECT_TRUE(plan.close.empty() && !plan.movePrimary);
  EXPECT_EQ(plan.open, std::vector<GLFWmonitor*>({c}));
  plan = PlanMonitors({a, nullptr, b, nullptr}, {a, b}, a);
  EXPECT_EQ(plan.close, std::vector<std::size_t>({3, 1}));  // last first: the indices stay right
  EXPECT_TRUE(plan.open.empty() && !plan.movePrimary);
  // The primary monitor went; b is primary now, and its window gives way.
  plan = PlanMonitors({nullptr, b, c}, {b, c}, b);
  EXPECT_TRUE(plan.movePrimary);
  EXPECT_EQ(plan.close, std::vector<std::size_t>({1}));
  EXPECT_TRUE(plan.open.empty());
  plan = PlanMonitors({nullptr}, {}, nullptr);  // no monitor left at all
  EXPECT_FALSE(plan.movePrimary);
}

}  // namespace
