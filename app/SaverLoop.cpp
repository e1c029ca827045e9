#include "app/SaverLoop.h"

#include "app/FramePacer.h"
#include "app/SaverWindows.h"
#include "diag/FrameTimes.h"
#include "scene/Scene.h"

void RunSaverLoop() {
  SetUpScene(gSaverWindows->Timer());
  FramePacer pacer(gSaverWindows->RefreshRate());
  do {
#if defined(LUMITICK_SHOW_FRAME_TIMES)
    BeginFrameTimes();
#endif
    if (!gSaverWindows->Draw()) {  // every window's frame, finished
      // Every window shows its frame already: only the events, woken by
      // the first or after a refresh interval.
      gSaverWindows->PollEvents(pacer.Interval());
      continue;
    }
#if defined(LUMITICK_SHOW_FRAME_TIMES)
    EndFrameTimes();  // shows the first frame's report and ends the process
#endif
    pacer.BeforeSwaps();
    gSaverWindows->Swap();
    pacer.AfterSwaps();  // where swaps return at once, waits out the refresh interval
    gSaverWindows->PollEvents();
  } while (!gSaverWindows->ShouldEnd());
}
