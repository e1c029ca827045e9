// X11 About window: not built yet; configure mode ends at once.
#include "app/AboutWindow.h"

CAboutWindow::CAboutWindow(void*, int) {}
