// Win32 back end of the wait: Sleep, with the system timer at 1 ms for the
// process (timeBeginPeriod from winmm.dll, looked up at first use) so that
// a wait of a few milliseconds does not last a whole 15.6 ms tick.
#include "platform/wait.h"

#include <windows.h>

namespace platform {

namespace {

void FineTimerOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  if (HMODULE winmm = LoadLibraryA("winmm.dll")) {
    using BeginPeriod = UINT(WINAPI*)(UINT);
    if (auto begin = reinterpret_cast<BeginPeriod>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod"))))
      begin(1);
  }
}

}  // namespace

void WaitSeconds(double seconds) {
  if (!(seconds > 0.0)) return;
  FineTimerOnce();
  const double ms = seconds * 1000.0;
  Sleep(ms >= 1.0 ? static_cast<DWORD>(ms) : 0);
}

}  // namespace platform
