#include "app/SaverLoop.h"

#include <GLFW/glfw3.h>

#include "app/FramePacer.h"
#include "app/SaverWindows.h"
#include "diag/FrameTimes.h"
#include "scene/Scene.h"

void RunSaverLoop() {
  SetUpScene();
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  FramePacer pacer(mode ? mode->refreshRate : 0);
  do {
#if defined(LUMITICK_SHOW_FRAME_TIMES)
    BeginFrameTimes();
#endif
    if (!gSaverWindows->Draw()) {  // every window's frame, finished
      // Every window shows its frame already: only the events, woken by
      // the first or after a refresh interval.
      glfwWaitEventsTimeout(pacer.Interval());
      continue;
    }
#if defined(LUMITICK_SHOW_FRAME_TIMES)
    EndFrameTimes();  // shows the first frame's report and ends the process
#endif
    pacer.BeforeSwaps();
    gSaverWindows->Swap();
    pacer.AfterSwaps();  // where swaps return at once, waits out the refresh interval
    glfwPollEvents();
  } while (!gSaverWindows->ShouldEnd());
}
