#include "scene/WallClock.h"

bool SystemWallClock::ReadLocalTime(std::tm* out) {
  const std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) return false;
  const std::tm* local = std::localtime(&now);
  if (!local) return false;
  *out = *local;
  return true;
}
