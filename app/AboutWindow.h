// The About window shown in configure mode ("/c").
#pragma once

class CAboutWindow {
 public:
  // Builds and shows the window, runs its message loop, and returns when the
  // window has been closed (or could not be made).
  CAboutWindow(void* instance, int showCommand);
};
