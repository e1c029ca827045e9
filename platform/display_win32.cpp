// Windows always has its desktop to show windows on.
#include "platform/display.h"

namespace platform {

bool PrepareDisplay() { return true; }

}  // namespace platform
