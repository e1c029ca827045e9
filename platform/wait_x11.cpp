// POSIX back end of the wait: nanosleep, resumed after a signal.
#include "platform/wait.h"

#include <cerrno>
#include <ctime>

namespace platform {

void WaitSeconds(double seconds) {
  if (!(seconds > 0.0)) return;
  timespec left{};
  left.tv_sec = static_cast<time_t>(seconds);
  left.tv_nsec = static_cast<long>((seconds - static_cast<double>(left.tv_sec)) * 1e9);
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
