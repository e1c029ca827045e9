// Sleeping for a fraction of a frame: the frame pacer's wait. The thread
// sleeps (no spinning) and wakes within about a millisecond of the time.
#pragma once

namespace platform {

void WaitSeconds(double seconds);

}  // namespace platform
