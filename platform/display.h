// The display, looked at before anything is shown on it: after the
// single-instance test, before the window library or the About window opens
// it. Windows always has one; X11 may not.
#pragma once

namespace platform {

// X11: opens the display the window library will open (DISPLAY) and keeps
// that connection (a server whose last client leaves may reset, refusing
// the next one meanwhile). False when there is none, after saying so in one
// line on standard error. Windows: true.
//
// On the way it clears a window manager's stale check window: a window
// manager that died without cleaning up leaves _NET_SUPPORTING_WM_CHECK on
// the root window naming a window that is gone (or no longer carries the
// property), and GLFW 3.3.8 then leaves its X error handler grabbed while it
// starts and aborts on an assertion at its next X request. Such a property
// names no running window manager, so it is removed, with the server
// grabbed while it is looked at, so that a window manager starting at that
// moment cannot lose its own (one that is starting gets half a second to
// name its check window on the window itself).
bool PrepareDisplay();

}  // namespace platform
