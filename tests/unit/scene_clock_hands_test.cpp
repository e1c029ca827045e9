#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "scene/ClockHands.h"
#include "scene/SceneState.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class FakeClock : public WallClock {
 public:
  bool ReadLocalTime(std::tm* out) override {
    ++reads;
    if (failing) return false;
    *out = now;
    return true;
  }
  void Set(int h, int m, int s) {
    now.tm_hour = h;
    now.tm_min = m;
    now.tm_sec = s;
  }
  std::tm now{};
  bool failing = false;
  int reads = 0;
};

// Drives ClockHands the way the frame step does: start and current time set
// in the first frame, then the current time every frame.
class HandsAt {
 public:
  explicit HandsAt(double timerAtStart = 0.0) : state(0.0), hands(&clock), start(timerAtStart) {}
  void FirstFrame(int h, int m, int s) {
    clock.Set(h, m, s);
    state.SetStartTime(start);
    state.SetCurrentTime(start);
    hands.CaptureFirstFrame(state);
    hands.Update(state);
  }
  void Frame(double sceneTime, int h, int m, int s) {
    clock.Set(h, m, s);
    state.SetCurrentTime(start + sceneTime);
    hands.Update(state);
  }
  FakeClock clock;
  SceneState state;
  ClockHands hands;
  double start;
};

// Angle of a clockwise hand at `fraction` of its turn, wrapped once.
double Direction(double fraction) {
  const double a = kPi / 2 - 2 * kPi * fraction;
  return a < 0 ? a + 2 * kPi : a;
}

TEST(ClockHands, WorkedExample) {
  HandsAt t;
  t.FirstFrame(10, 8, 29);
  t.Frame(0.5, 10, 8, 30);  // the seconds field turns to 30 here
  t.Frame(0.75, 10, 8, 30);
  EXPECT_NEAR(t.hands.second, 4.686209, 2e-6);
  EXPECT_NEAR(t.hands.minute, 0.680242, 2e-6);
  EXPECT_NEAR(t.hands.hour, 2.543781, 2e-6);
}

TEST(ClockHands, HandsAtTheQuarterHours) {
  HandsAt noon;
  noon.FirstFrame(12, 0, 0);
  HandsAt midnight;
  midnight.FirstFrame(0, 0, 0);
  for (const ClockHands* h : {&noon.hands, &midnight.hands}) {
    EXPECT_FLOAT_EQ(h->second, static_cast<float>(kPi / 2));
    EXPECT_FLOAT_EQ(h->minute, static_cast<float>(kPi / 2));
    EXPECT_FLOAT_EQ(h->hour, static_cast<float>(kPi / 2));
  }
  HandsAt three;
  three.FirstFrame(3, 0, 0);
  EXPECT_EQ(three.hands.hour, 0.0f);  // not 2 pi
  HandsAt four;
  four.FirstFrame(16, 0, 0);
  EXPECT_NEAR(four.hands.hour, -kPi / 6, 1e-6);
  HandsAt late;  // wrapped once only: 23:59 stays near -3 pi / 2
  late.FirstFrame(23, 59, 0);
  EXPECT_NEAR(late.hands.hour, Direction((23 + 59 / 60.0) / 12), 1e-5);
  EXPECT_NEAR(late.hands.minute, Direction(59 / 60.0), 1e-5);
}

TEST(ClockHands, FirstFrameHasNoFractionThenTheSecondSweeps) {
  HandsAt t(2.7);  // the timer is not 0 at the first frame
  t.FirstFrame(10, 0, 5);
  EXPECT_TRUE(t.hands.started);
  EXPECT_NEAR(t.hands.second, Direction(5 / 60.0), 1e-6);
  t.Frame(0.4, 10, 0, 5);
  EXPECT_NEAR(t.hands.second, Direction(5.4 / 60.0), 1e-6);
  // The timer may run ahead of the wall clock: the count passes 6.
  t.Frame(1.1, 10, 0, 5);
  EXPECT_NEAR(t.hands.second, Direction(6.1 / 60.0), 1e-6);
  // The first frame with the new field takes it whole, the fraction restarts.
  t.Frame(1.2, 10, 0, 6);
  EXPECT_NEAR(t.hands.second, Direction(6 / 60.0), 1e-6);
  t.Frame(1.45, 10, 0, 6);
  EXPECT_NEAR(t.hands.second, Direction(6.25 / 60.0), 1e-6);
}

TEST(ClockHands, AnyChangeOfTheSecondsFieldRebases) {
  HandsAt t;
  t.FirstFrame(10, 0, 59);
  t.Frame(0.9, 10, 0, 59);
  t.Frame(1.0, 10, 1, 0);  // wrap 59 -> 0
  EXPECT_NEAR(t.hands.second, kPi / 2, 1e-6);
  EXPECT_NEAR(t.hands.minute, Direction(1 / 60.0), 1e-6);
  t.Frame(1.3, 10, 1, 0);
  EXPECT_NEAR(t.hands.second, Direction(0.3 / 60.0), 1e-5);

  HandsAt leap;
  leap.FirstFrame(23, 59, 59);
  leap.Frame(1.0, 23, 59, 60);
  EXPECT_NEAR(leap.hands.second, kPi / 2, 1e-6);  // 60 s: straight up
  leap.Frame(1.5, 23, 59, 60);
  EXPECT_NEAR(leap.hands.second, Direction(60.5 / 60.0), 1e-5);

  HandsAt back;  // the wall clock set back by 20 s
  back.FirstFrame(10, 0, 40);
  back.Frame(0.7, 10, 0, 40);
  back.Frame(0.8, 10, 0, 20);
  EXPECT_NEAR(back.hands.second, Direction(20 / 60.0), 1e-6);
  back.Frame(1.0, 10, 0, 20);
  EXPECT_NEAR(back.hands.second, Direction(20.2 / 60.0), 1e-5);
}

TEST(ClockHands, WholeMinuteJumpMovesMinuteAndHourAtOnce) {
  HandsAt t;
  t.FirstFrame(1, 59, 30);
  t.Frame(0.5, 1, 59, 30);
  // Daylight saving: same seconds field, an hour and a minute later.
  t.Frame(0.6, 3, 0, 30);
  EXPECT_NEAR(t.hands.second, Direction(30.6 / 60.0), 1e-5);
  EXPECT_NEAR(t.hands.minute, Direction(30.6 / 3600.0), 1e-5);
  EXPECT_NEAR(t.hands.hour, Direction((3 + 30.6 / 3600.0) / 12.0), 1e-5);
}

TEST(ClockHands, FailedConversionKeepsTheLastGoodTime) {
  HandsAt t;
  t.FirstFrame(10, 8, 29);
  t.Frame(0.5, 10, 8, 30);
  t.clock.failing = true;
  t.Frame(0.75, 10, 8, 31);  // not seen: the sweep goes on from 10:08:30
  EXPECT_NEAR(t.hands.second, 4.686209, 2e-6);
  EXPECT_NEAR(t.hands.minute, 0.680242, 2e-6);
  EXPECT_EQ(t.hands.localNow.tm_sec, 30);
  // A long failure keeps the hands running and the angles within a turn.
  for (double s = 1.0; s < 5000.0; s += 97.3) {
    t.Frame(s, 0, 0, 0);
    for (float a : {t.hands.second, t.hands.minute, t.hands.hour}) {
      EXPECT_GT(a, -2 * kPi);
      EXPECT_LE(a, 2 * kPi);
    }
  }
  t.clock.failing = false;
  t.Frame(5000.0, 11, 31, 0);
  EXPECT_NEAR(t.hands.minute, Direction(31 / 60.0), 1e-5);

  // Failing from the very first frame: midnight, with no crash.
  HandsAt never;
  never.clock.failing = true;
  never.FirstFrame(10, 8, 29);
  EXPECT_TRUE(never.hands.started);
  EXPECT_FLOAT_EQ(never.hands.hour, static_cast<float>(kPi / 2));
  EXPECT_EQ(never.clock.reads, 2);  // twice in the first frame
}

TEST(ClockHands, SecondHandSweepsSmoothlyAWeekAfterStart) {
  const double week = 7 * 24 * 3600.0;
  HandsAt t(3.0);
  t.FirstFrame(0, 0, 0);
  t.Frame(week, 12, 0, 10);  // re-based a week in
  float previous = t.hands.second;
  const double frame = 1.0 / 60.0;
  for (int i = 1; i < 55; ++i) {
    t.Frame(week + i * frame, 12, 0, 10);
    // Every 1/60 s frame moves the hand by 1/3600 of a turn; a float timer
    // would give steps of 0 and 1/16 s instead.
    EXPECT_NEAR(previous - t.hands.second, 2 * kPi / 3600.0, 2e-5) << "frame " << i;
    previous = t.hands.second;
  }
}

}  // namespace
