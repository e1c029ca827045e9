// Windows entry point: the screensaver machinery starts Lumitick.scr with
// "/s", "/p HANDLE" or "/c"; the command line arrives without the program
// name. The exit status is always 0.
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include "app/Entry.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int nCmdShow) {
  return SaverEntry(lpCmdLine, hInstance, nCmdShow);
}
