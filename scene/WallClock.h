// Where the clock hands read the local time. The saver reads the C runtime's
// time and localtime; tests supply their own records.
#pragma once

#include <ctime>

class WallClock {
 public:
  virtual ~WallClock() = default;
  // Fills `out` with the local time now. False when the time cannot be
  // converted; `out` is then left as it was.
  virtual bool ReadLocalTime(std::tm* out) = 0;
};

// time() and localtime(), the record copied whole out of the runtime's buffer.
class SystemWallClock : public WallClock {
 public:
  bool ReadLocalTime(std::tm* out) override;
};

// A plain function as the clock (an offscreen snapshot's fixed time, say).
class FunctionWallClock : public WallClock {
 public:
  using ReadFunction = bool (*)(std::tm* out);
  explicit FunctionWallClock(ReadFunction read_) : read(read_) {}
  bool ReadLocalTime(std::tm* out) override { return read && read(out); }

 private:
  ReadFunction read;
};
