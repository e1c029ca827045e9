// Paces the saver's loop to the display's refresh rate where buffer swaps
// do not: software renderers and virtual displays (Xvfb, remote desktops,
// virtual machines) return from a swap at once, and the loop would draw as
// many frames as the processor allows. Where swaps wait for the retrace the
// pacer never waits.
//
// Once per loop turn, after the turn's frames are finished (glFinish, so
// that a swap's time is its own): BeforeSwaps, the buffer swaps, AfterSwaps.
// A swap that returns within a quarter of the refresh interval did not wait
// for the retrace; after several such turns in a row the pacer waits out
// the rest of each interval, and it stops as soon as swaps are seen to wait.
#pragma once

class FramePacer {
 public:
  struct Clock {
    double (*now)();               // seconds, steady
    void (*wait)(double seconds);  // sleeps about that long
  };
  // `refreshRate` in Hz, as the video mode reports it; 0 (unknown, as Xvfb
  // reports) is taken as 60.
  explicit FramePacer(int refreshRate, const Clock& clock = SystemClock());

  void BeforeSwaps();
  void AfterSwaps();

  bool Pacing() const { return pacing; }
  double Interval() const { return interval; }

  static Clock SystemClock();

  // Turns in a row whose swaps return early before the pacer waits, and
  // turns in a row whose swaps wait before it stops.
  static constexpr int kEarlyTurnsToPace = 8;
  static constexpr int kWaitingTurnsToStop = 2;

 private:
  Clock clock;
  double interval;
  double turnStart = -1.0;  // when this turn began (after the last wait)
  double swapStart = 0.0;
  int earlyTurns = 0;
  int waitingTurns = 0;
  bool pacing = false;
};
