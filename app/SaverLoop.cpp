#include "app/SaverLoop.h"

#include <GLFW/glfw3.h>

#include "app/FramePacer.h"
#include "app/SaverWindows.h"
#include "app/ScreensaverApp.h"
#include "gl/GLEntryPoints.h"
#include "platform/host_window.h"
#include "platform/stop_signal.h"
#include "scene/Scene.h"

void RunSaverLoop() {
  GLFWwindow* window = gApp->window;
  const bool preview = gArgs->mode == ScreensaverMode::Preview;
  const platform::NativeHandle host =
      gHosted.active ? gHosted.window
                     : static_cast<platform::NativeHandle>(static_cast<std::uint32_t>(gArgs->parentWindow));

  SetUpScene();
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  FramePacer pacer(mode ? mode->refreshRate : 0);
  bool running = true;
  do {
    // One window per monitor: every window shows the same instant.
    const bool several = gSaverWindows && gSaverWindows->WindowCount() > 1;
    if (several) gSaverWindows->Draw(); else RunFrameStep();
    if (glFinish) glFinish();  // the frame is done: the swap's own time shows whether it waits
    pacer.BeforeSwaps();
    if (several) gSaverWindows->Swap(); else glfwSwapBuffers(window);
    pacer.AfterSwaps();  // where swaps return at once, waits out the refresh interval
    glfwPollEvents();
    // Input in a preview or in a window xscreensaver hands us is the host's,
    // Escape included.
    if (!gHosted.active && !preview && glfwGetKey(window, GLFW_KEY_ESCAPE) != GLFW_RELEASE) running = false;
    if (glfwWindowShouldClose(window)) running = false;
    if (platform::StopRequested()) running = false;
    if (gSaverWindows && gSaverWindows->ShouldEnd()) running = false;
    if (preview || gHosted.active) {
      if (!platform::IsHostWindowEnabled(host)) break;
      platform::FollowHostSize(window, host);
    }
  } while (running);
}
